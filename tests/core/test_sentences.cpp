#include "core/Sentences.h"

#include <QStringList>
#include <QtTest>

// Sentences as a reader moves by them, in Catalan and Spanish text.
class TestSentences : public QObject
{
    Q_OBJECT

    static QStringList Split(const QString &text)
    {
        QStringList sentences;
        const QList<int> starts = Sentences::Starts(text);
        for (int start : starts)
            sentences << text.mid(start, Sentences::EndAt(text, start) - start);
        return sentences;
    }

private slots:
    void sentencesOfAParagraph_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("sentences");
        QTest::newRow("abbreviations and decimals")
            << "El Sr. Puig i la Dra. Vila van pagar 3.5 euros, o 3,5. Vegeu la pàg. 12, p. ex. el núm. 4! "
               "Ho sabies? Sí… I després, etc. va acabar."
            << QStringList{"El Sr. Puig i la Dra. Vila van pagar 3.5 euros, o 3,5.",
                           "Vegeu la pàg. 12, p. ex. el núm. 4!", "Ho sabies?", "Sí…",
                           "I després, etc. va acabar."};
        QTest::newRow("Spanish marks and quotes")
            << QStringLiteral("¿Vienes? «Sí, Sra. López.» Vale...  Hasta luego")
            << QStringList{"¿Vienes?", "«Sí, Sra. López.»", "Vale...", "Hasta luego"};
        QTest::newRow("a blank line ends one, a line break does not")
            << "Títol\n\nPrimera línia\nque continua. Segona\n \nTercera"
            << QStringList{"Títol", "Primera línia\nque continua.", "Segona", "Tercera"};
        QTest::newRow("blanks only") << "  \n\n " << QStringList{};
        QTest::newRow("no mark at all") << "una frase sense punt" << QStringList{"una frase sense punt"};
    }
    void sentencesOfAParagraph()
    {
        QFETCH(QString, text);
        QTEST(Split(text), "sentences");
    }

    // Moving from any place: inside a sentence, on its start, in the blanks after it,
    // at both ends of the text and past them.
    void movingBySentence()
    {
        const QString text = QStringLiteral("Un. Dos dos.  Tres");
        QCOMPARE(Sentences::StartAt(text, 6), 4);
        QCOMPARE(Sentences::StartAt(text, 4), 4);
        QCOMPARE(Sentences::StartAt(text, 13), 4); // the blanks after "Dos dos."
        QCOMPARE(Sentences::NextStart(text, 0), 4);
        QCOMPARE(Sentences::NextStart(text, 13), 14);
        QCOMPARE(Sentences::NextStart(text, 14), int(text.size()));
        QCOMPARE(Sentences::PreviousStart(text, 15), 4);
        QCOMPARE(Sentences::PreviousStart(text, 2), 0);
        QCOMPARE(Sentences::StartAt(text, 999), 14);
        QCOMPARE(Sentences::NextStart(text, -5), 4);
        QCOMPARE(Sentences::NextStart(QString(), 0), 0);
        QCOMPARE(Sentences::StartAt(QString(), 3), 0);
    }

    // What a voice is given: only the full stops that end no sentence become blanks,
    // every character in its place.
    void voicesAreGivenOnlyTheStopsThatEndSentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("abbreviations and an initial")
            << "El Sr. Puig, a la pàg. 12 de J. Pla. Fi." << "El Sr  Puig, a la pàg  12 de J  Pla. Fi.";
        QTest::newRow("decimals, ellipses, the last stop") << "Val 3.5... o no." << "Val 3.5... o no.";
        QTest::newRow("a stop before a line break") << "etc.\nNova. Sr." << "etc \nNova. Sr.";
    }
    void voicesAreGivenOnlyTheStopsThatEndSentences()
    {
        QFETCH(QString, text);
        QFETCH(QString, spoken);
        QCOMPARE(Sentences::WithoutInnerStops(text), spoken);
    }
};

QTEST_APPLESS_MAIN(TestSentences)
#include "test_sentences.moc"
