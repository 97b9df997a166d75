#include "app/reading/DocumentSentences.h"

#include "core/Sentences.h"

#include <QString>
#include <QTextDocument>

namespace
{
constexpr int kSentenceReach = 4000;

int DocumentLength(const QTextDocument &document)
{
    // The document counts a last block separator that the text does not hold.
    return document.characterCount() - 1;
}

// The stretch from..to, read a character at a time: a cursor would lay out the block
// first, and a document of one long line is one block.
QString Stretch(const QTextDocument &document, int from, int to)
{
    QString text;
    text.reserve(qMax(0, to - from));
    for (int i = from; i < to; ++i)
        text.append(document.characterAt(i));
    return text;
}

struct Around
{
    int from;
    QString text;
};

Around AroundPosition(const QTextDocument &document, int position, int reachAfter)
{
    const int length = DocumentLength(document);
    position = qBound(0, position, length);
    const int from = qMax(0, position - kSentenceReach);
    return {from, Stretch(document, from, qMin(length, position + reachAfter))};
}
} // namespace

namespace DocumentSentences
{
int StartAt(const QTextDocument &document, int position)
{
    const Around around = AroundPosition(document, position, 1);
    return around.from + Sentences::StartAt(around.text, position - around.from);
}

int NextStart(const QTextDocument &document, int position)
{
    const Around around = AroundPosition(document, position, kSentenceReach);
    return around.from + Sentences::NextStart(around.text, position - around.from);
}

int EndAt(const QTextDocument &document, int position)
{
    const Around around = AroundPosition(document, position, kSentenceReach);
    return around.from + Sentences::EndAt(around.text, position - around.from);
}
} // namespace DocumentSentences
