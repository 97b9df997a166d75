#include "app/SettingsText.h"

#include "app/TextEncoding.h"

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
    const QString decoded = TextEncoding::DecodeAuto(bytes);
    qsizetype start = 0;
    const qsizetype size = decoded.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && decoded.at(end) != QLatin1Char('\r') && decoded.at(end) != QLatin1Char('\n'))
            ++end;
        text.m_lines << decoded.mid(start, end - start);
        if (end + 1 < size && decoded.at(end) == QLatin1Char('\r') && decoded.at(end + 1) == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    text.BuildIndex();
    return text;
}

void SettingsText::BuildIndex()
{
    m_sections.clear();
    Section *current = nullptr;  // null outside a section, or in a repeated one
    QString name;
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        if (IsSectionLine(line, &name)) {
            const QString folded = FoldName(name);
            current = m_sections.contains(folded) ? nullptr : &m_sections[folded];
            if (current) {
                current->header = i;
                current->lastContent = i;
            }
            continue;
        }
        if (!current)
            continue;
        if (!QStringView(line).trimmed().isEmpty())
            current->lastContent = i;
        if (KeyOfLine(line, &name, nullptr)) {
            const QString folded = FoldName(name);
            if (!current->keys.contains(folded))
                current->keys.insert(folded, i);
        }
    }
}

std::optional<QString> SettingsText::Value(const QString &section, const QString &key) const
{
    const auto found = m_sections.constFind(FoldName(section));
    if (found == m_sections.constEnd())
        return std::nullopt;
    const auto keyLine = found->keys.constFind(FoldName(key));
    if (keyLine == found->keys.constEnd())
        return std::nullopt;
    QString value;
    KeyOfLine(m_lines.at(keyLine.value()), nullptr, &value);
    return value;
}

void SettingsText::Set(const QString &section, const QString &key, const QString &value)
{
    const auto found = m_sections.constFind(FoldName(section));
    if (found == m_sections.constEnd()) {
        m_lines << (QLatin1Char('[') + section + QLatin1Char(']')) << (key + QLatin1Char('=') + value);
    } else if (const auto keyLine = found->keys.constFind(FoldName(key)); keyLine != found->keys.constEnd()) {
        // The key keeps its own spelling; only the value changes, so no line moves.
        QString existing;
        KeyOfLine(m_lines.at(keyLine.value()), &existing, nullptr);
        m_lines[keyLine.value()] = existing + QLatin1Char('=') + value;
        return;
    } else {
        m_lines.insert(found->lastContent + 1, key + QLatin1Char('=') + value);
    }
    BuildIndex();
}

QByteArray SettingsText::Bytes() const
{
    QString text = m_lines.join(QLatin1String("\r\n"));
    text += QLatin1String("\r\n");
    return TextEncoding::EncodePreferWindows1252(text);
}
