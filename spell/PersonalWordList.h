#pragma once

#include <QString>
#include <QStringList>

// The user's own words, accepted by every dictionary: a UTF-8 text file beside the
// settings file, one word a line.
class PersonalWordList
{
public:
    // The longest word kept; a longer line is no word of anyone's.
    static constexpr int kLongestWord = 100;
    // The largest list read; a bigger file is not a word list (a long line in it is left out).
    static constexpr qint64 kLargestList = qint64(32) << 20;

    explicit PersonalWordList(QString fileName);

    // Reads the list again; lines that are not UTF-8 or too long are left out and
    // Problem() says so. A missing file is an empty list.
    void Load();
    const QStringList &Words() const { return m_words; }
    const QString &FileName() const { return m_fileName; }
    // What could not be used of the file at the last Load or Add; empty when all was.
    const QString &Problem() const { return m_problem; }

    // Appends the word to the file; false (and Problem() says why) when it is no single
    // word or the file cannot be written.
    bool Add(const QString &word);

    // The file's name beside a settings file.
    static QString BesideSettings(const QString &settingsFile);

private:
    QString m_fileName;
    QStringList m_words;
    QString m_problem;
};
