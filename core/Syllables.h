#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

// The syllables of words, for reading them out and showing them to early readers. The
// hyphenation patterns of the language (libhyphen) give the borders between consonants;
// on top of them every vowel group is parted as a syllable split needs and line-end
// hyphenation does not: a single letter may be a syllable ("a-mic"), Catalan l·l parts at
// its dot, u after q and g is no vowel ("qua-tre", "guer-ra"), falling diphthongs stay
// whole ("ai-gua") and hiatus parts ("po-e-si-a", "pa-ís").

// Where a word lies in a text: a run of letters and their combining marks, with a middle
// dot between two l's.
struct TextWord
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextWord &, const TextWord &) = default;
};

// The words of a text, in order. Apostrophes, hyphens, digits, emoji and blanks part words.
QList<TextWord> WordsForSyllables(QStringView text);

class SyllableSplitter
{
public:
    // The patterns of a language code ("ca", "es", "pt-PT", "en_US"); folders to search
    // in order, the system's by default.
    explicit SyllableSplitter(const QString &language, const QStringList &folders = PatternFolders());
    ~SyllableSplitter();
    SyllableSplitter(const SyllableSplitter &) = delete;
    SyllableSplitter &operator=(const SyllableSplitter &) = delete;

    static QStringList PatternFolders();

    // False when the language has no patterns; Problem() then says so, in English.
    bool Usable() const { return m_dictionary != nullptr; }
    QString Problem() const { return m_problem; }
    // The two-letter language the vowel rules follow ("ca", "es", ...).
    QString Language() const { return m_language; }

    // The offsets inside the word where a syllable starts, after the first; in order.
    // A word the patterns do not know is parted by the vowel rules alone.
    QList<qsizetype> Borders(QStringView word) const;
    // The word's syllables, which together are the word.
    QStringList Syllables(QStringView word) const;
    // The text with every syllable border of every word marked by the separator; a border
    // at a Catalan l·l is marked by its own dot.
    QString Marked(QStringView text, QStringView separator = u"-") const;

private:
    struct Dictionary;
    std::unique_ptr<Dictionary> m_dictionary;
    QString m_language;
    QString m_problem;
};
