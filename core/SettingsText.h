#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The text of a settings file: sections in square brackets holding "key=value" lines.
// Section and key names match without regard to case; the first section of a name and
// the first key of a name in it are the ones read and written. Sections are indexed
// when the text is read, and the keys of a section when it is first looked in, so that
// a read does not depend on the size of the file.
class SettingsText
{
public:
    SettingsText() = default;
    // UTF-8 when the bytes are valid UTF-8, else Windows-1252; CR LF, LF or CR line ends.
    static SettingsText Parse(QByteArrayView bytes);

    // The value without the blanks around it; nothing when the section or key is missing.
    std::optional<QString> Value(const QString &section, const QString &key) const;
    // Replaces the key's value, or adds the key after the last non-empty line of its
    // section, or adds the section at the end. A value or a name that would not read
    // back as one line (CanHold) is refused: false, and the text stays as it was.
    bool Set(const QString &section, const QString &key, const QString &value);
    // Whether the file can hold this key and value: no line break in any of them, no
    // "=" in the key, no "]" in the section, no key starting with "[".
    static bool CanHold(const QString &section, const QString &key, const QString &value);
    // The file's bytes: lines ended by CR LF, Windows-1252 unless a character needs UTF-8.
    QByteArray Bytes() const;

    // A name as it is matched: each character case-folded on its own.
    static QString FoldName(const QString &name);

private:
    struct Line
    {
        qsizetype start = 0;
        qsizetype length = 0;
    };
    struct Section
    {
        int header = -1;  // the line of "[name]"
        int end = -1;     // the line of the next section, or the line count
        mutable std::optional<QHash<QString, int>> keys;  // made on the first look
    };

    void IndexLines();
    QStringView LineAt(int i) const { return QStringView(m_text).mid(m_lines.at(i).start, m_lines.at(i).length); }
    const QHash<QString, int> &KeysOf(const Section &section) const;
    // The line of the key in the first section of the name, or -1; the section in *found.
    int FindKey(const QString &section, const QString &key, const Section **found) const;
    void ReplaceLines(int first, int count, const QStringList &lines);

    QString m_text;
    bool m_crlfOnly = true;  // every line ends in CR LF: the text is already the file's
    QList<Line> m_lines;
    QHash<QString, Section> m_sections;
};
