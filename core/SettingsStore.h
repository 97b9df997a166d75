#pragma once

#include "core/SettingsText.h"
#include "core/WholeFiles.h"

#include <QString>

// A settings file of sections and keys with the semantics of the Windows profile
// functions: names match without regard to case, a read gives a default when the
// file, section or key is missing, and every write reaches the file at once.
class SettingsStore
{
public:
    static constexpr int kMaxValueLength = 2047;

    explicit SettingsStore(const QString &fileName);

    QString FileName() const { return m_fileName; }

    // The stored value without blanks around it, at most 2047 characters, or the default.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // The value exactly as stored (trimmed, no length limit), for values that both ends own.
    QString ReadLongString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Stores the value at once, replacing the file atomically. On failure gives false and
    // LastError() holds "Unable to write to <file>"; a value holding a line break is
    // refused so, and the file stays as it was.
    bool WriteString(const QString &section, const QString &key, const QString &value);
    QString LastError() const { return m_lastError; }

    // "SI"/"NO" values compare exactly.
    bool ReadYes(const QString &section, const QString &key, bool defaultValue) const;
    bool WriteYes(const QString &section, const QString &key, bool value)
    {
        return WriteString(section, key, value ? QStringLiteral("SI") : QStringLiteral("NO"));
    }

private:
    void Refresh() const;

    QString m_fileName;
    QString m_lastError;
    mutable SettingsText m_text;
    mutable WholeFiles::FileStamp m_stamp;
    mutable bool m_unreadable = false;
};

// A strict decimal conversion: nothing unless the whole text is a number.
std::optional<int> ToInteger(const QString &text);
