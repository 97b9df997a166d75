#include "core/SettingsStore.h"

#include "core/WholeFiles.h"

SettingsStore::SettingsStore(const QString &fileName)
    : m_fileName(fileName)
{
}

void SettingsStore::Refresh() const
{
    // Another program may write the same file: read it again whenever it changed.
    const WholeFiles::FileStamp stamp = WholeFiles::StampOf(m_fileName);
    if (stamp == m_stamp && stamp.exists)
        return;
    m_stamp = stamp;
    m_text = SettingsText();
    m_unreadable = false;
    // A settings name that points at a device or a FIFO reads as a missing file.
    const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(m_fileName);
    if (!read.ok) {
        // What cannot be read must not be replaced by a file holding one key.
        m_unreadable = !read.missing;
        return;
    }
    m_text = SettingsText::Parse(read.bytes);
}

QString SettingsStore::ReadLongString(const QString &section, const QString &key,
                                      const QString &defaultValue) const
{
    Refresh();
    return m_text.Value(section, key).value_or(defaultValue);
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
    if (m_unreadable) {
        m_lastError = QStringLiteral("Unable to write to %1").arg(m_fileName);
        return false;
    }
    // The file already says so: nothing to write (a 50 MB file is not rewritten for it).
    if (m_text.Value(section, key) == value) {
        m_lastError.clear();
        return true;
    }
    // A line break in a value would end it there and start a key of its own.
    if (!SettingsText::CanHold(section, key, value)) {
        m_lastError = QStringLiteral("Unable to write to %1: the value of %2 holds a line break").arg(m_fileName, key);
        return false;
    }
    SettingsText text = m_text;
    text.Set(section, key, value);
    // Readers must never see a half-written file: write a copy and rename it over.
    if (!WholeFiles::WriteFile(m_fileName, text.Bytes(), nullptr)) {
        m_lastError = QStringLiteral("Unable to write to %1").arg(m_fileName);
        return false;
    }
    m_text = std::move(text);
    m_stamp = WholeFiles::StampOf(m_fileName);
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
