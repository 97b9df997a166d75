#pragma once

#include <QStringList>

// The fixed head and tail of every score the music converter writes. It is created
// once and never shown; only the music converter reads it.
class FormXMLTextos
{
public:
    static const FormXMLTextos &Instance();

    // Indices of the head lines that each run writes again before use.
    static constexpr int CreditWordsLine = 19;
    static constexpr int CreditEndLine = 20;
    static constexpr int BeatsLine = 30;
    static constexpr int BeatTypeLine = 31;

    // XML declaration, document type, identification, credit, part and the attributes
    // of the first measure, which the head leaves open.
    QStringList MemoXMLPartInicial;
    // Closes the last measure, the part and the score.
    QStringList MemoXMLPartFinal;
    // The part list that declares the score's one part; it follows the credit.
    QStringList PartList;

private:
    FormXMLTextos();
};
