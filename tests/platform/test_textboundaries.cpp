#include "platform/TextBoundaries.h"

#include <QtTest>

// The pieces a screen reader is given of a one-line text, read back as text.
class TestTextBoundaries : public QObject
{
    Q_OBJECT

    static QString Of(const QString &text, TextRange range)
    {
        return range.start < 0 ? QStringLiteral("<none>") : text.mid(range.start, range.end - range.start);
    }

private slots:
    void piecesAroundAnOffset_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("boundary");
        QTest::addColumn<QString>("at");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const int word = QAccessible::WordBoundary;
        const int character = QAccessible::CharBoundary;
        const int sentence = QAccessible::SentenceBoundary;
        const int line = QAccessible::LineBoundary;
        const QString none = QStringLiteral("<none>");
        QTest::newRow("word at the end of a one-word field") << "Sintetitzat" << 11 << word << "Sintetitzat" << ""
                                                             << "";
        QTest::newRow("word with the blank after it") << "Hola món" << 2 << word << "Hola " << "" << "món";
        QTest::newRow("word on its blank") << "Hola món" << 4 << word << "Hola " << "" << "món";
        QTest::newRow("last word") << "Hola món" << 5 << word << "món" << "Hola " << "";
        QTest::newRow("blanks before the first word") << "  Hola" << 0 << word << "  " << "" << "Hola";
        QTest::newRow("apostrophe and middle dot inside words")
            << QString::fromUtf8("l'àvia col·lecció") << 9 << word << QString::fromUtf8("col·lecció")
            << QString::fromUtf8("l'àvia ") << "";
        QTest::newRow("no word at all") << " , " << 1 << word << " , " << "" << "";
        QTest::newRow("character at the end") << "Hola" << 4 << character << "" << "a" << "";
        QTest::newRow("character made of two units")
            << QString::fromUtf8("a😀b") << 1 << character << QString::fromUtf8("😀") << "a" << "b";
        QTest::newRow("sentence") << QString::fromUtf8("Hola. Adéu.") << 7 << sentence << QString::fromUtf8("Adéu.")
                                  << "Hola. " << "";
        QTest::newRow("line is the whole field") << "Hola món" << 8 << line << "Hola món" << "" << "";
        QTest::newRow("empty field") << "" << 0 << word << "" << "" << "";
        QTest::newRow("before the text") << "Hola" << -1 << word << none << none << none;
        QTest::newRow("past the end") << "Hola" << 5 << character << none << none << none;
    }

    void piecesAroundAnOffset()
    {
        QFETCH(QString, text);
        QFETCH(int, offset);
        QFETCH(int, boundary);
        const auto type = QAccessible::TextBoundaryType(boundary);
        QFETCH(QString, at);
        QCOMPARE(Of(text, PieceAt(text, offset, type)), at);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QCOMPARE(Of(text, PieceBefore(text, offset, type)), before);
        QCOMPARE(Of(text, PieceAfter(text, offset, type)), after);
    }

    // Whatever the text, the pieces of every kind follow one another over all of it.
    void piecesCoverTheTextWithoutGaps()
    {
        const QString text = QString::fromUtf8("  L'àvia diu: «adéu»! Són 3,5 km… 😀 fi.  ");
        for (auto type : {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                          QAccessible::LineBoundary, QAccessible::ParagraphBoundary, QAccessible::NoBoundary}) {
            int next = 0;
            for (const TextRange &piece : TextPieces(text, type)) {
                QCOMPARE(piece.start, next);
                QVERIFY(piece.end > piece.start);
                next = piece.end;
            }
            QCOMPARE(next, int(text.size()));
        }
    }
};

QTEST_APPLESS_MAIN(TestTextBoundaries)
#include "test_textboundaries.moc"
