#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>

class Hunspell;

// One Hunspell dictionary, chosen by language, with the words the user added or chose
// to ignore. Words are given as the text holds them (see SpellWords.h).
class SpellChecker
{
public:
    // The folders searched for "<name>.aff" and "<name>.dic".
    static QStringList DictionaryFolders();

    // The dictionary of a language as voices name it ("ca", "es", "pt-br", "en_GB"):
    // that language and region first, then the language alone, then its own region
    // (es_ES, pt_PT), then any region. When none is there, or it cannot be read,
    // nothing is checked and Problem() says why.
    explicit SpellChecker(const QString &language, const QStringList &folders = DictionaryFolders());
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    bool Usable() const { return m_hunspell != nullptr; }
    // The dictionary's name ("ca", "es_ES"); empty when none is used.
    const QString &DictionaryName() const { return m_name; }
    const QString &Problem() const { return m_problem; }

    // True for a word the dictionary knows, added or ignored, and for every word when
    // nothing can be checked. A hyphenated word is right when each of its parts is.
    bool IsCorrect(QStringView word) const;
    // The dictionary's suggestions, best first, at most `most`.
    QStringList Suggestions(QStringView word, int most = 6) const;

    // Words right from now on: the personal list's, and those ignored in this session.
    void Accept(const QStringList &words);

private:
    bool Known(const QString &word) const;
    bool Open(const QString &aff, const QString &dic);

    std::unique_ptr<Hunspell> m_hunspell;
    QString m_name;
    QString m_problem;
    QSet<QString> m_accepted;
    // What the dictionary said of each word asked: typing asks the same words again and again.
    mutable QHash<QString, bool> m_known;
};
