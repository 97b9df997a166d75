#include "app/spelling/SpellingAssistant.h"
#include "core/SettingsStore.h"
#include "core/WholeFiles.h"
#include "spell/SpellChecker.h"
#include "tests/fakes/RecordingSpeech.h"

#include <QAccessible>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

// Spelling as a pupil meets it: the words marked in the editor, the personal word list,
// Ctrl+F12 and the teacher's tolvanet-tool spell.
class TestSpelling : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    struct Editor
    {
        explicit Editor(const QString &folder, const QString &language = QStringLiteral("ca"))
            : settings(folder + QStringLiteral("/tolvanet.ini")),
              spelling(&edit, settings, speech, folder + QStringLiteral("/paraules-propies.txt"))
        {
            spelling.SetVoiceLanguage([language] { return language; });
            spelling.SetStatus([this](const QString &text) { status << text; });
            spelling.FollowVoice();
        }
        // The words the marks underline, in the order of the text.
        QStringList Marked()
        {
            QStringList words;
            const QString text = edit.toPlainText();
            for (const WordSpan &span : spelling.Marks())
                words << text.mid(span.start, span.length);
            return words;
        }
        QPlainTextEdit edit;
        SettingsStore settings;
        RecordingSpeech speech;
        SpellingAssistant spelling;
        QStringList status;
    };

private slots:
    // Apostrophes, the l·l, hyphens, numbers, URLs and e-mail addresses are no errors;
    // the switch takes the marks away and is stored.
    void onlyMisspelledWordsAreMarked()
    {
        Editor editor(m_dir.path());
        editor.edit.setPlainText(QStringLiteral("L'escola i el col·legi, d’acord? Porta-ho el 3r dia.\n"
                                                "Escriu a mestra@escola.cat o a https://xtec.cat/paginna: frasse faltaa."));
        QTRY_COMPARE(editor.Marked(), QStringList({"frasse", "faltaa"}));
        editor.spelling.SetEnabled(false);
        QTRY_VERIFY(editor.Marked().isEmpty());
        QCOMPARE(editor.settings.ReadString("LlibreriaLlegir", "ORTOGRAFIA", "?"), QStringLiteral("NO"));
    }

    // A voice whose language has no dictionary checks nothing, and the status line says so.
    void aLanguageWithoutDictionaryIsTold()
    {
        QTemporaryDir dir;
        Editor editor(dir.path(), QStringLiteral("cmn"));
        editor.edit.setPlainText(QStringLiteral("frasse"));
        QCOMPARE(editor.status.size(), 1);
        QVERIFY2(editor.status.first().contains(QStringLiteral("cmn")), qPrintable(editor.status.first()));
    }

    // A damaged list keeps its good words and says what it left out; "Afegir al
    // diccionari" appends the word as a line of its own and unmarks it.
    void thePersonalListSurvivesBadLines()
    {
        QTemporaryDir dir;
        const QString list = dir.filePath(QStringLiteral("paraules-propies.txt"));
        QVERIFY(WholeFiles::WriteFile(list, "Tolvanet\n\xff\xfe\n" + QByteArray(10 << 20, 'a') + "\nCorvalida", nullptr));
        Editor editor(dir.path());
        QCOMPARE(editor.status.size(), 1);
        QVERIFY2(editor.status.first().contains(QStringLiteral("2 línies")), qPrintable(editor.status.first()));
        editor.edit.setPlainText(QStringLiteral("Tolvanet Corvalida frasse"));
        QTRY_COMPARE(editor.Marked(), QStringList({"frasse"}));

        std::unique_ptr<QMenu> menu = editor.spelling.MenuFor(20);
        QVERIFY(menu);
        QStringList captions;
        for (QAction *action : menu->actions())
            captions << action->text();
        QVERIFY2(captions.contains(QStringLiteral("frase")), qPrintable(captions.join('|')));
        QCOMPARE(captions.mid(captions.size() - 3), QStringList({"", "Afegir al diccionari", "Ignorar"}));
        menu->findChild<QAction *>(QStringLiteral("MenuAfegirAlDiccionari"))->trigger();
        QTRY_VERIFY(editor.Marked().isEmpty());
        QVERIFY(!editor.spelling.MenuFor(20));
        const WholeFiles::ReadResult written = WholeFiles::ReadRegularFile(list);
        QVERIFY(written.bytes.endsWith("\nCorvalida\nfrasse\n"));
    }

    // Ctrl+F12 spells the word at the caret with its suggestions; pressed again it says
    // the next suggestion; Enter puts it in place of the word in one undo step.
    void ctrlF12SpellsAndEnterReplaces()
    {
        QTemporaryDir dir;
        Editor editor(dir.path());
        editor.edit.setPlainText(QStringLiteral("Una frasse curta"));
        QTextCursor caret = editor.edit.textCursor();
        caret.setPosition(6);
        editor.edit.setTextCursor(caret);
        QVERIFY(editor.spelling.Checker());
        const QStringList suggestions = editor.spelling.Checker()->Suggestions(QStringLiteral("frasse"));
        QVERIFY(suggestions.size() >= 2);
        QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(editor.speech.calls.last(), QStringLiteral("speak:frasse: f, r, a, s, s, e. Suggeriments: %1.")
                                                 .arg(suggestions.join(QStringLiteral(", "))));
        QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QCOMPARE(editor.speech.calls.last(), QStringLiteral("speak:") + suggestions.at(1));
        QTest::keyClick(&editor.edit, Qt::Key_Return);
        QCOMPARE(editor.edit.toPlainText(), QStringLiteral("Una %1 curta").arg(suggestions.at(1)));
        editor.edit.undo();
        QCOMPARE(editor.edit.toPlainText(), QStringLiteral("Una frasse curta"));
        // Esc leaves the word as it is and reaches neither the text nor the reading keys.
        QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QTest::keyClick(&editor.edit, Qt::Key_Escape);
        QTest::keyClick(&editor.edit, Qt::Key_Return);
        QCOMPARE(editor.edit.toPlainText().count(u'\n'), 1);
        QVERIFY(editor.edit.toPlainText().contains(QStringLiteral("frasse")));
    }

    // Straight after the first Ctrl+F12, Enter takes the first suggestion; the suggestions
    // are shown under the word, the one Enter would take selected, for a screen reader
    // too; moving inside the word keeps the choice, leaving the word ends it.
    void enterTakesASuggestionUntilTheCaretLeavesTheWord()
    {
        QTemporaryDir dir;
        Editor editor(dir.path());
        editor.edit.resize(500, 300);
        editor.edit.show();
        editor.edit.setPlainText(QStringLiteral("Una frasse curta"));
        QTextCursor caret = editor.edit.textCursor();
        caret.setPosition(8);
        editor.edit.setTextCursor(caret);
        const QStringList suggestions = editor.spelling.Checker()->Suggestions(QStringLiteral("frasse"));
        QVERIFY(suggestions.size() >= 2);
        const auto shownList = [&editor] { return editor.edit.window()->findChild<QListWidget *>("LlistaSuggeriments"); };
        QVERIFY(!shownList());

        QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QListWidget *list = shownList();
        QVERIFY(list && list->isVisible());
        QVERIFY(!list->hasFocus());
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(list);
        QCOMPARE(face->role(), QAccessible::List);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("frasse"));
        QAccessibleInterface *first = face->tableInterface()->cellAt(0, 0);
        QCOMPARE(first->text(QAccessible::Name), suggestions.first());
        QVERIFY(first->state().selected);
        QCOMPARE(list->count(), suggestions.size());
        // The list stands under the word.
        QVERIFY(list->geometry().top() >= editor.edit.cursorRect().bottom());

        QTest::keyClick(&editor.edit, Qt::Key_Left);
        QTest::keyClick(&editor.edit, Qt::Key_Right);
        QTest::keyClick(&editor.edit, Qt::Key_Return);
        QCOMPARE(editor.edit.toPlainText(), QStringLiteral("Una %1 curta").arg(suggestions.first()));
        QTRY_VERIFY(!shownList());
        editor.edit.undo();
        QCOMPARE(editor.edit.toPlainText(), QStringLiteral("Una frasse curta"));

        // Going through the suggestions moves the selection along.
        caret.setPosition(6);
        editor.edit.setTextCursor(caret);
        for (int press = 0; press < 3; ++press)
            QTest::keyClick(&editor.edit, Qt::Key_F12, Qt::ControlModifier);
        QVERIFY(shownList());
        QCOMPARE(shownList()->currentRow(), 1);

        // Out of the word, the list goes and Enter is a line break again.
        QTest::keyClick(&editor.edit, Qt::Key_End);
        QTRY_VERIFY(!shownList());
        QTest::keyClick(&editor.edit, Qt::Key_Return);
        QCOMPARE(editor.edit.toPlainText(), QStringLiteral("Una frasse curta\n"));
    }

    // The teacher's batch check: the errors line for line, exit 1 with errors, 0 without.
    void theToolListsErrors_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("status");
        QTest::newRow("Catalan") << "ca" << "L'escola del col·legi, d'acord.\nUna frasse i una faltaa.\n"
                                 << "2:5 frasse -> frases, fressa, frase, fasser, fresse, frisse\n"
                                    "2:18 faltaa -> falta, faltara, faltada, faltava, faltar, faltat\n" << 1;
        QTest::newRow("Spanish") << "es" << "Mi casa es muy bonitta.\nEscribe a profe@escuela.es el 2º día.\n"
                                 << "1:16 bonitta -> bonita, bonito\n" << 1;
        QTest::newRow("correct") << "es" << "Hola, buenos días.\n" << "" << 0;
    }
    void theToolListsErrors()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(int, status);
        const QString file = m_dir.filePath(QStringLiteral("treball.txt"));
        QVERIFY(WholeFiles::WriteFile(file, text.toUtf8(), nullptr));
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool"),
                   {QStringLiteral("spell"), QStringLiteral("--language"), language, file});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), expected);
        QCOMPARE(tool.exitCode(), status);
    }

    // With the voice following the language, each paragraph is checked in its own language:
    // a right Spanish word in a Catalan document is not marked, a wrong one still is.
    void theToolChecksEachParagraphInItsLanguage()
    {
        QTemporaryDir portable;
        const QString tool = portable.filePath(QStringLiteral("tolvanet-tool"));
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/tolvanet-tool"), tool));
        QVERIFY(WholeFiles::WriteFile(portable.filePath(QStringLiteral("tolvanet.ini")),
                                      "[LlibreriaLlegir]\r\nCANVI DE LLENGUA=SI\r\n", nullptr));
        const QString file = portable.filePath(QStringLiteral("barreja.txt"));
        QVERIFY(WholeFiles::WriteFile(file,
            QStringLiteral("Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar.\n"
                           "Hoy en clase hemos leído un cuento sobre un niño que vivía junto al marr.\n").toUtf8(),
            nullptr));
        QProcess run;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LANG"), QStringLiteral("ca_ES.UTF-8"));
        run.setProcessEnvironment(environment);
        run.start(tool, {QStringLiteral("spell"), file});
        QVERIFY(run.waitForFinished(60000));
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        QVERIFY2(out.startsWith(QStringLiteral("2:69 marr -> ")) && out.count(u'\n') == 1, qPrintable(out));
        QCOMPARE(run.exitCode(), 1);
        // Asked for one language, the whole document is checked in it, as before.
        run.start(tool, {QStringLiteral("spell"), QStringLiteral("--language"), QStringLiteral("ca"), file});
        QVERIFY(run.waitForFinished(60000));
        QVERIFY(QString::fromUtf8(run.readAllStandardOutput()).contains(QStringLiteral("2:1 Hoy")));
    }
};

QTEST_MAIN(TestSpelling)
#include "test_spelling.moc"
