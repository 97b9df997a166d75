#include "app/documents/DocumentGrowth.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

// A document whose later pages come while the reader is in it: the pages grow it, running
// headers found out leave it, and the reader's caret and own changes are kept.
class TestDocumentGrowth : public QObject
{
    Q_OBJECT

    static QString Shown()
    {
        return QStringLiteral("Fitxa\n\nLa Marta llegeix.\n\n1\n\nFitxa\n\nEl gat dorm.\n");
    }
    static QString Grown()
    {
        return QStringLiteral("La Marta llegeix.\n\nEl gat dorm.\n\nPlou a fora.\n");
    }

private slots:
    // The header and page number found to run go from the middle, the next page comes at
    // the end, the caret stays on its word, and undo has nothing of it to take back.
    void pagesGrowUnderTheCaret()
    {
        QPlainTextEdit edit;
        edit.setPlainText(Shown());
        QTextCursor caret = edit.textCursor();
        caret.setPosition(int(Shown().indexOf(QStringLiteral("gat"))));
        caret.setPosition(caret.position() + 3, QTextCursor::KeepAnchor);
        edit.setTextCursor(caret);
        GrowDocument(&edit, Shown(), Grown());
        QCOMPARE(edit.toPlainText(), Grown());
        QCOMPARE(edit.textCursor().selectedText(), QStringLiteral("gat"));
        QVERIFY(!edit.document()->isUndoAvailable());
        // A caret at the very end stays before the page that comes there.
        edit.moveCursor(QTextCursor::End);
        const int end = edit.textCursor().position();
        GrowDocument(&edit, Grown(), Grown() + QStringLiteral("\nFi.\n"));
        QCOMPARE(edit.textCursor().position(), end);
        QVERIFY(!edit.document()->isUndoAvailable());
    }

    // The reader's own changes, made while pages come, stay and are undone one by one;
    // the pages stay after every undo. A change of the reader's inside a part the pages
    // change keeps the reader's words.
    void readersChangesStayTheirsToUndo()
    {
        QPlainTextEdit edit;
        edit.setPlainText(Shown());
        QTextCursor cursor(edit.document());
        cursor.insertText(QStringLiteral("Nota: "));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral("Bé."));
        GrowDocument(&edit, Shown(), Grown());
        QCOMPARE(edit.toPlainText(), QStringLiteral("Nota: La Marta llegeix.\n\nEl gat dorm.\nBé.\nPlou a fora.\n"));
        edit.undo();
        QCOMPARE(edit.toPlainText(), QStringLiteral("Nota: La Marta llegeix.\n\nEl gat dorm.\n\nPlou a fora.\n"));
        while (edit.document()->isUndoAvailable())
            edit.undo();
        QCOMPARE(edit.toPlainText(), Grown());

        edit.setPlainText(Shown());
        QTextCursor inside(edit.document());
        inside.setPosition(int(Shown().indexOf(QStringLiteral("1\n"))) + 1);
        inside.insertText(QStringLiteral(" de 2"));
        GrowDocument(&edit, Shown(), Grown());
        QVERIFY2(edit.toPlainText().contains(QStringLiteral("\n1 de 2\n")), qPrintable(edit.toPlainText()));
        QVERIFY(edit.toPlainText().endsWith(QStringLiteral("Plou a fora.\n")));
    }
};

QTEST_MAIN(TestDocumentGrowth)
#include "test_documentgrowth.moc"
