#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Where the words of a text are, as a dictionary should see them.

struct WordSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const WordSpan &, const WordSpan &) = default;
};

// The words of the text: runs of letters joined by an apostrophe (l'escola, d’acord), a
// middle dot (col·legi) or a hyphen (porta-ho) between two letters. Anything holding a
// digit, and whole URLs, e-mail addresses and paths, are left out.
QList<WordSpan> WordsToCheck(QStringView text);

// The word as the dictionary takes it: the typographic apostrophe as a plain one.
QString DictionaryForm(QStringView word);

// The word of WordsToCheck that holds position or ends there; an empty span when none.
WordSpan WordAt(QStringView text, qsizetype position);
