#pragma once

#include "spell/SpellChecker.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>

// The dictionaries a document is checked with when each paragraph is checked in its own
// language: the main one (the document's language), and one for each other language met,
// opened when it is first needed and given the words accepted so far.
class LanguageCheckers
{
public:
    // Forgets the other languages' dictionaries; those opened from now on accept these words.
    void Reset(const QStringList &accepted);
    // The dictionary of a paragraph in `language`: the main one for its own language, an
    // empty one (not told) and one that has no dictionary here.
    const SpellChecker &For(const QString &language, const SpellChecker &main);
    // Words right from now on in every language.
    void Accept(const QStringList &words);

private:
    std::map<QString, std::unique_ptr<SpellChecker>> m_others;
    QStringList m_accepted;
};
