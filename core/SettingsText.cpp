#include "core/SettingsText.h"

#include "core/TextEncoding.h"

namespace {

// The section name of a "[name]" line.
bool IsSectionLine(QStringView line, QString *name)
{
    const QStringView trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = trimmed.mid(1, close - 1).trimmed().toString();
    return true;
}

// The key of a "key=value" line, and its value without blanks around it.
bool KeyOfLine(QStringView line, QString *key, QString *value)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return false;
    if (key)
        *key = line.left(equals).trimmed().toString();
    if (value)
        *value = line.mid(equals + 1).trimmed().toString();
    return true;
}

} // namespace

QString SettingsText::FoldName(const QString &name)
{
    // The same folding as a case-insensitive comparison: one character at a time.
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QString folded = name;
        for (QChar &c : folded)
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(c.unicode() + ('a' - 'A'));
        return folded;
    }
    QList<uint> characters = name.toUcs4();
    for (uint &c : characters)
        c = QChar::toCaseFolded(char32_t(c));
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(characters.constData()), characters.size());
}

SettingsText SettingsText::Parse(QByteArrayView bytes)
{
    SettingsText text;
    text.m_text = TextEncoding::DecodeAuto(bytes);
    text.IndexLines();
    return text;
}

void SettingsText::IndexLines()
{
    m_lines.clear();
    m_sections.clear();
    const QChar *characters = m_text.constData();
    const qsizetype size = m_text.size();
    qsizetype start = 0;
    m_crlfOnly = true;
    while (start < size) {
        qsizetype end = start;
        while (end < size && characters[end] != QLatin1Char('\r') && characters[end] != QLatin1Char('\n'))
            ++end;
        m_lines.append({start, end - start});
        if (end + 1 < size && characters[end] == QLatin1Char('\r') && characters[end + 1] == QLatin1Char('\n'))
            ++end;
        else
            m_crlfOnly = false;  // a line end other than CR LF, or none after the last line
        start = end + 1;
    }

    // Each section ends where the next one starts, repeated or not.
    Section *open = nullptr;
    QString name;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (!IsSectionLine(LineAt(i), &name))
            continue;
        if (open)
            open->end = i;
        open = nullptr;
        const QString folded = FoldName(name);
        if (!m_sections.contains(folded)) {
            open = &m_sections[folded];
            open->header = i;
        }
    }
    if (open)
        open->end = int(m_lines.size());
}

const QHash<QString, int> &SettingsText::KeysOf(const Section &section) const
{
    if (!section.keys) {
        QHash<QString, int> keys;
        QString key;
        for (int i = section.header + 1; i < section.end; ++i) {
            if (KeyOfLine(LineAt(i), &key, nullptr)) {
                const QString folded = FoldName(key);
                if (!keys.contains(folded))
                    keys.insert(folded, i);
            }
        }
        section.keys = std::move(keys);
    }
    return *section.keys;
}

int SettingsText::FindKey(const QString &section, const QString &key, const Section **found) const
{
    const auto at = m_sections.constFind(FoldName(section));
    *found = at == m_sections.constEnd() ? nullptr : &at.value();
    if (!*found)
        return -1;
    const QHash<QString, int> &keys = KeysOf(**found);
    return keys.value(FoldName(key), -1);
}

std::optional<QString> SettingsText::Value(const QString &section, const QString &key) const
{
    const Section *found = nullptr;
    const int line = FindKey(section, key, &found);
    if (line < 0)
        return std::nullopt;
    QString value;
    KeyOfLine(LineAt(line), nullptr, &value);
    return value;
}

void SettingsText::ReplaceLines(int first, int count, const QStringList &lines)
{
    // A write rewrites the whole file anyway: the text is rebuilt with CR LF line ends.
    QString text;
    text.reserve(m_text.size() + (m_lines.size() + lines.size()) * 2);
    const auto add = [&text](QStringView line) {
        text += line;
        text += QLatin1String("\r\n");
    };
    for (int i = 0; i < first; ++i)
        add(LineAt(i));
    for (const QString &line : lines)
        add(line);
    for (int i = first + count; i < m_lines.size(); ++i)
        add(LineAt(i));
    m_text = std::move(text);
    IndexLines();
}

bool SettingsText::CanHold(const QString &section, const QString &key, const QString &value)
{
    const auto breaksLine = [](const QString &text) {
        return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    };
    if (breaksLine(section) || breaksLine(key) || breaksLine(value))
        return false;
    // A name must read back as itself: a key with "=" or a section with "]" would be
    // cut there, and a key starting with "[" would be read as a section.
    return !key.contains(QLatin1Char('=')) && !key.trimmed().startsWith(QLatin1Char('['))
           && !section.contains(QLatin1Char(']'));
}

bool SettingsText::Set(const QString &section, const QString &key, const QString &value)
{
    if (!CanHold(section, key, value))
        return false;
    const Section *found = nullptr;
    const int line = FindKey(section, key, &found);
    if (!found) {
        ReplaceLines(int(m_lines.size()), 0, {QLatin1Char('[') + section + QLatin1Char(']'), key + QLatin1Char('=') + value});
    } else if (line >= 0) {
        // The key keeps its own spelling; only the value changes, and no line moves.
        QString existing;
        KeyOfLine(LineAt(line), &existing, nullptr);
        const QString replaced = existing + QLatin1Char('=') + value;
        const qsizetype shift = replaced.size() - m_lines.at(line).length;
        m_text.replace(m_lines.at(line).start, m_lines.at(line).length, replaced);
        m_lines[line].length = replaced.size();
        for (qsizetype i = line + 1; i < m_lines.size(); ++i)
            m_lines[i].start += shift;
    } else {
        // After the last non-empty line of the section.
        int after = found->header;
        for (int i = found->header + 1; i < found->end; ++i)
            if (!LineAt(i).trimmed().isEmpty())
                after = i;
        ReplaceLines(after + 1, 0, {key + QLatin1Char('=') + value});
    }
    return true;
}

QByteArray SettingsText::Bytes() const
{
    if (m_crlfOnly)
        return TextEncoding::EncodePreferWindows1252(m_text);
    QString text;
    text.reserve(m_text.size() + m_lines.size() + 2);
    for (int i = 0; i < m_lines.size(); ++i) {
        text += LineAt(i);
        text += QLatin1String("\r\n");
    }
    return TextEncoding::EncodePreferWindows1252(text);
}
