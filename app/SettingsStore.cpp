#include "app/SettingsStore.h"

#include "app/TextEncoding.h"

#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

bool IsSectionLine(const QString &line, QString *name)
{
    const QString trimmed = line.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
        return false;
    if (name)
        *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

bool KeyOfLine(const QString &line, QString *key, QString *value)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals < 0)
        return false;
    *key = line.left(equals).trimmed();
    if (value)
        *value = line.mid(equals + 1).trimmed();
    return true;
}

bool SameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

SettingsStore::SettingsStore(const QString &fileName)
    : m_fileName(fileName)
{
}

SettingsStore::Stamp SettingsStore::CurrentStamp() const
{
    struct stat info {};
    if (::stat(QFile::encodeName(m_fileName).constData(), &info) != 0)
        return Stamp{};
    return Stamp{qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec), qint64(info.st_size),
                 quint64(info.st_ino)};
}

void SettingsStore::Refresh() const
{
    // Another program may write the same file: read it again whenever it changed.
    const Stamp stamp = CurrentStamp();
    if (stamp == m_stamp && stamp.size >= 0)
        return;
    m_stamp = stamp;
    m_lines.clear();
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QString text = TextEncoding::DecodeAuto(file.readAll());
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_lines = normalized.split(QLatin1Char('\n'));
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

int SettingsStore::FindSection(const QString &section) const
{
    QString name;
    for (int i = 0; i < m_lines.size(); ++i)
        if (IsSectionLine(m_lines.at(i), &name) && SameName(name, section))
            return i;
    return -1;
}

int SettingsStore::FindKey(int sectionLine, const QString &key) const
{
    QString name;
    for (int i = sectionLine + 1; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        if (IsSectionLine(line, nullptr))
            break;
        if (KeyOfLine(line, &name, nullptr) && SameName(name, key))
            return i;
    }
    return -1;
}

QString SettingsStore::ReadLongString(const QString &section, const QString &key,
                                      const QString &defaultValue) const
{
    Refresh();
    const int sectionLine = FindSection(section);
    if (sectionLine < 0)
        return defaultValue;
    const int keyLine = FindKey(sectionLine, key);
    if (keyLine < 0)
        return defaultValue;
    QString name;
    QString value;
    KeyOfLine(m_lines.at(keyLine), &name, &value);
    return value;
}

QString SettingsStore::ReadString(const QString &section, const QString &key,
                                  const QString &defaultValue) const
{
    return ReadLongString(section, key, defaultValue).left(kMaxValueLength);
}

bool SettingsStore::ReadYes(const QString &section, const QString &key, bool defaultValue) const
{
    const QString value = ReadString(section, key, defaultValue ? QStringLiteral("SI") : QStringLiteral("NO"));
    if (value == QLatin1String("SI"))
        return true;
    if (value == QLatin1String("NO"))
        return false;
    return defaultValue;
}

bool SettingsStore::WriteString(const QString &section, const QString &key, const QString &value)
{
    Refresh();
    QStringList lines = m_lines;
    const QString entry = key + QLatin1Char('=') + value;
    const int sectionLine = FindSection(section);
    if (sectionLine < 0) {
        lines << (QLatin1Char('[') + section + QLatin1Char(']')) << entry;
    } else {
        const int keyLine = FindKey(sectionLine, key);
        if (keyLine >= 0) {
            QString existing;
            KeyOfLine(lines.at(keyLine), &existing, nullptr);
            lines[keyLine] = existing + QLatin1Char('=') + value;
        } else {
            // After the last non-empty line of the section.
            int insertAt = sectionLine + 1;
            for (int i = sectionLine + 1; i < lines.size() && !IsSectionLine(lines.at(i), nullptr); ++i)
                if (!lines.at(i).trimmed().isEmpty())
                    insertAt = i + 1;
            lines.insert(insertAt, entry);
        }
    }

    QString text = lines.join(QLatin1String("\r\n"));
    text += QLatin1String("\r\n");
    QSaveFile file(m_fileName);
    // Readers must never see a half-written file: write a copy and rename it over.
    if (!file.open(QIODevice::WriteOnly)
        || file.write(TextEncoding::EncodePreferWindows1252(text)) < 0
        || !file.commit()) {
        m_lastError = QStringLiteral("Unable to write to %1").arg(m_fileName);
        return false;
    }
    m_lines = lines;
    m_stamp = CurrentStamp();
    m_lastError.clear();
    return true;
}

std::optional<int> ToInteger(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}
