#include "app/shell/Startup.h"
#include "app/window/AboutBox.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "app/menus/MenuCheckItems.h"
#include "core/WaitWithEvents.h"
#include "speech/SpeechController.h"
#include "tests/common/AccessibleTextQuestions.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "windows/AccessibleLabels.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace accessible_text;

namespace {

// What a screen reader is told about one object.
struct Announced
{
    QString name;
    QAccessible::Role role = QAccessible::NoRole;
    QAccessible::State state;
};

// Walks the accessibility tree as a screen reader does and keeps what each named object
// announces; every focusable control that is shown must have a name, and a button or a
// menu item must be announced by the text it shows.
class TreeWalk
{
public:
    explicit TreeWalk(QObject *root) { Visit(QAccessible::queryAccessibleInterface(root), 0); }

    QStringList problems;
    QHash<QString, Announced> byObjectName;
    QList<Announced> all;

private:
    void Visit(QAccessibleInterface *iface, int depth)
    {
        if (!iface || !iface->isValid() || depth > 40)
            return;
        const Announced seen{iface->text(QAccessible::Name), iface->role(), iface->state()};
        all << seen;
        QObject *object = iface->object();
        const QString objectName = object ? object->objectName() : QString();
        if (!objectName.isEmpty() && !byObjectName.contains(objectName))
            byObjectName.insert(objectName, seen);

        if (seen.state.focusable && !seen.state.invisible && seen.name.isEmpty())
            problems << QStringLiteral("nameless focusable %1 (role %2)").arg(objectName).arg(int(seen.role));
        const QString shown = ShownText(object);
        if (!shown.isEmpty() && seen.name != shown)
            problems << QStringLiteral("%1 shows \"%2\" but is announced as \"%3\"").arg(objectName, shown, seen.name);
        if (auto *button = qobject_cast<QAbstractButton *>(object); button && button->text().isEmpty()
            && seen.name != button->toolTip())
            problems << QStringLiteral("%1 is announced as \"%2\", not by its hint \"%3\"")
                            .arg(objectName, seen.name, button->toolTip());

        for (int i = 0; i < iface->childCount(); ++i)
            Visit(iface->child(i), depth + 1);
    }

    static QString ShownText(QObject *object)
    {
        if (auto *button = qobject_cast<QAbstractButton *>(object))
            return WithoutMnemonic(button->text());
        if (auto *action = qobject_cast<QAction *>(object); action && !action->isSeparator())
            return WithoutMnemonic(action->text());
        return QString();
    }
};

void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::activePopupWidget();
    QTest::keyClick(target ? target : QApplication::focusWidget(), Qt::Key(key), modifiers);
}

// The application by its product name, every title exactly as designed: no display
// name is set that the desktop would append to the titles.
void CheckTitles(FormPrincipal &main, FormTTS &speech, FormLlenguatge &languages)
{
    QCOMPARE(QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name),
             QStringLiteral("Tolvanet Corvalida"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Tolvanet Corvalida"));
    QGuiApplication::setApplicationName(QStringLiteral("sonda"));
    QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("sonda"));
    SetProgramIdentity();
    const QString title = QString::fromUtf8("Tolvanet Corvalida - lector i editor de textos que parla - "
                                            "Versió - 26 - 15/11/2019");
    QCOMPARE(main.windowTitle(), title);
    QCOMPARE(QAccessible::queryAccessibleInterface(&main)->text(QAccessible::Name), title);
    QCOMPARE(QAccessible::queryAccessibleInterface(&speech)->text(QAccessible::Name), title);
    QCOMPARE(QAccessible::queryAccessibleInterface(&languages)->text(QAccessible::Name),
             QStringLiteral("DRAVIMOLS - Llenguatges"));
}

// What the windows say in one interface language.
struct Expected
{
    int language;
    QString oneWord, nameField, stop, toolBar, voices, rate, languageList, ok, wordByWord, fileMenu, findField,
        replaceAll, caretEcho;
};

void CheckMainWindow(FormPrincipal &main, const Expected &row, bool fullMenus, const QByteArray &context)
{
    TreeWalk mainTree(&main);
    QVERIFY2(mainTree.problems.isEmpty(), qPrintable(context + ": " + mainTree.problems.join("; ")));
    const auto &seen = mainTree.byObjectName;
    QCOMPARE(seen.value("CheckBoxNomesUnParaula").name, row.oneWord);
    QCOMPARE(seen.value("CheckBoxNomesUnParaula").role, QAccessible::CheckBox);
    QCOMPARE(seen.value("EditNomFitxer").name, row.nameField);
    QCOMPARE(seen.value("EditNomFitxer").role, QAccessible::EditableText);
    QCOMPARE(seen.value("ButtonParar").name, row.stop);
    QCOMPARE(seen.value("ButtonParar").role, QAccessible::Button);
    QCOMPARE(seen.value("ButtonWAV").name, QStringLiteral("WAV"));
    QCOMPARE(seen.value("ToolBar").role, QAccessible::ToolBar);
    QCOMPARE(seen.value("ToolBar").name, row.toolBar);
    QCOMPARE(seen.value("ToolBar").state.invisible, fullMenus);
    QCOMPARE(seen.value("Edit").role, QAccessible::EditableText);
    QVERIFY(seen.value("Edit").state.focusable);
    QCOMPARE(seen.value("MenuParaulaPerParaula").name, row.wordByWord);
    QCOMPARE(seen.value("MenuParaulaPerParaula").role, QAccessible::MenuItem);
    // The one-hand item says that it can be ticked, and whether it is.
    const Announced oneHand = seen.value("MenuTeclatAmbUnaMa");
    QCOMPARE(oneHand.role, QAccessible::CheckBox);
    QCOMPARE(seen.value("MenuLlegirCursor").name, row.caretEcho);
    QCOMPARE(seen.value("MenuLlegirCursor").role, QAccessible::CheckBox);
    QVERIFY(oneHand.state.checkable);
    QCOMPARE(bool(oneHand.state.checked), main.ActionFor(WindowCommandId::kOneHandKeyboard)->isChecked());
    QCOMPARE(QAccessible::queryAccessibleInterface(&main)->role(), QAccessible::Window);
    QCOMPARE(seen.value("MenuFitxer").name, row.fileMenu);
}

// The replace dialog, opened or already open, speaks the language too.
void CheckReplaceDialog(FormPrincipal &main, const Expected &row, const QByteArray &context)
{
    main.ActionFor(QStringLiteral("replace"))->trigger();
    auto *replace = main.findChild<QDialog *>(QStringLiteral("ReplaceDialog1"));
    QVERIFY(replace);
    QTRY_COMPARE(TreeWalk(replace).byObjectName.value("EditBuscar").name, row.findField);
    TreeWalk replaceTree(replace);
    QVERIFY2(replaceTree.problems.isEmpty(), qPrintable(context + ": " + replaceTree.problems.join("; ")));
    QCOMPARE(replaceTree.byObjectName.value("ButtonSubstituirTot").name, row.replaceAll);
    QCOMPARE(replace->windowTitle(), QStringLiteral("Substituir"));
}

void CheckSpeechAndLanguageWindows(FormTTS &speech, FormLlenguatge &languages, const Expected &row,
                                   const QByteArray &context)
{
    TreeWalk speechTree(&speech);
    QVERIFY2(speechTree.problems.isEmpty(), qPrintable(context + ": " + speechTree.problems.join("; ")));
    QCOMPARE(speechTree.byObjectName.value("ListBoxMotorsDeVeu").name, row.voices);
    QCOMPARE(speechTree.byObjectName.value("ListBoxMotorsDeVeu").role, QAccessible::List);
    QCOMPARE(speechTree.byObjectName.value("tbRate").name, row.rate);
    QCOMPARE(speechTree.byObjectName.value("tbRate").role, QAccessible::Slider);
    QCOMPARE(speechTree.byObjectName.value("BitBtnTancar").name, row.ok);
    QCOMPARE(speechTree.byObjectName.value("FormTTS").role, QAccessible::Dialog);

    TreeWalk languageTree(&languages);
    QVERIFY2(languageTree.problems.isEmpty(), qPrintable(context + ": " + languageTree.problems.join("; ")));
    QCOMPARE(languageTree.byObjectName.value("ListBoxLlenguatge").name, row.languageList);
    QCOMPARE(languageTree.byObjectName.value("BitBtnTancar").name, row.ok);
}

} // namespace

// The main window, the speech window and the language chooser as a screen reader reads
// them, in two interface languages one after the other.
class TestAccessibility : public QObject
{
    Q_OBJECT

    QStringList m_log;
    std::unique_ptr<FakeVoiceEngine> m_voices;
    SpeechEngineSet m_engines;

private slots:
    // Every one-line field the program shows, its own and those of Qt's dialogs, answers
    // a screen reader's questions about its characters, words, sentences and lines at
    // every offset, and reads as one run of text.
    void everyLineEditAnswersTextQuestions()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        main.show();
        windows->speechWindow->show();
        main.ActionFor(QStringLiteral("find"))->trigger();
        main.ActionFor(QStringLiteral("replace"))->trigger();
        QFileDialog files(&main, QStringLiteral("Obrir"), dir.path());
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.show();

        QList<QLineEdit *> edits;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible())
                for (QLineEdit *edit : window->findChildren<QLineEdit *>())
                    if (edit->isVisible())
                        edits << edit;
        QVERIFY(edits.contains(main.ToolBar().nomFitxer));
        QVERIFY(edits.size() >= 5);

        AnswerDeadline deadline(std::chrono::seconds(30));
        const QStringList texts = {QStringLiteral("Sintetitzat"), QStringLiteral("Hola"),
                                   QString::fromUtf8("  L'àvia diu: «adéu»! Són 3,5 km 😀 fi.  "), QString()};
        for (QLineEdit *edit : std::as_const(edits)) {
            for (const QString &sample : texts) {
                edit->setText(sample);
                edit->setFocus();
                const QStringList problems = TextQueryProblems(edit, deadline);
                QVERIFY2(problems.isEmpty(), qPrintable(problems.mid(0, 5).join("; ")));
            }
        }
        deadline.Asking("nothing");
        files.hide();
        main.Document().SetModified(false);
        main.close();
    }

    // The toolbar's buttons from the keyboard, announced by their hints, never taking the
    // focus from a click; the one-hand item ticked from its menu, heard on the item.
    void keyboardMovesAreAnnounced()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        const MainToolBar &tools = main.ToolBar();
        main.show();
        QVERIFY(ShowActive(&main));
        main.Edit()->setFocus();

        Press(Qt::Key_F6);
        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tools.nomesUnaParaula);
        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), tools.lectura);
        const QList<QToolButton *> row = {tools.lectura, tools.paraulaPerParaula, tools.parar, tools.menu, tools.wav,
                                          tools.mp3};
        for (int step = 1; step <= row.size(); ++step) {
            QToolButton *button = qobject_cast<QToolButton *>(QApplication::focusWidget());
            QVERIFY(button);
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(button);
            QCOMPARE(iface->role(), QAccessible::Button);
            QVERIFY(iface->state().focused);
            QCOMPARE(iface->text(QAccessible::Name), button->text().isEmpty() ? button->toolTip() : button->text());
            Press(Qt::Key_Right);
            QCOMPARE(QApplication::focusWidget(), row[step % row.size()]);
        }
        Press(Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), tools.mp3);
        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), main.Edit());
        // Enter presses the focused button: here the stop button, which stops the voice.
        Press(Qt::Key_F6);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Right);
        Press(Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), tools.parar);
        m_log.clear();
        Press(Qt::Key_Return);
        QTRY_VERIFY(m_log.contains("msp:skip"));
        QCOMPARE(QApplication::focusWidget(), main.Edit());
        // A click leaves the focus in the editor.
        main.Edit()->setFocus();
        QTest::mouseClick(tools.parar, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), main.Edit());

        QAction *oneHand = main.ActionFor(WindowCommandId::kOneHandKeyboard);
        // The window tells the accessibility layer of a check mark's change as it toggles.
        QList<bool> toggledWithMenuOpen;
        connect(oneHand, &QAction::toggled, this,
                [&] { toggledWithMenuOpen << (QApplication::activePopupWidget() != nullptr); });
        for (bool ticked : {true, false}) {
            toggledWithMenuOpen.clear();
            Press(Qt::Key_O, Qt::AltModifier);
            QTRY_VERIFY(QApplication::activePopupWidget());
            QCOMPARE(qobject_cast<QMenu *>(QApplication::activePopupWidget())->activeAction(), oneHand);
            Press(Qt::Key_Return);
            QCOMPARE(oneHand->isChecked(), ticked);
            QCOMPARE(toggledWithMenuOpen, QList<bool>{true});
            QAccessibleInterface *item = AccessibleMenuItem(main.MenuNamed("MenuOpcions"), oneHand);
            QVERIFY(item);
            // A check box: the desktop's bridge says the mark of no menu item that is not ticked.
            QCOMPARE(item->role(), QAccessible::CheckBox);
            QCOMPARE(QAccessible::queryAccessibleInterface(main.MenuNamed("MenuOpcions"))->indexOfChild(item), 0);
            QVERIFY(item->state().checkable);
            QCOMPARE(bool(item->state().checked), ticked);
            QTRY_VERIFY(!QApplication::activePopupWidget());
            QTRY_COMPARE(QApplication::focusWidget(), main.Edit());
        }
        main.Document().SetModified(false);
        main.close();
    }

    // Qt's own dialogs speak the interface language: Qt's translations where the system
    // has them, the program's own where it has none (Basque).
    void qtDialogsSpeakTheInterfaceLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("buttons"); // Yes, No, Cancel, as announced
        QTest::addColumn<QString>("fileName");
        QTest::newRow("Catalan") << 0 << QStringList{QString::fromUtf8("Sí"), "No", QString::fromUtf8("Cancel·la")}
                                 << "Nom de fitxer:";
        QTest::newRow("Spanish") << 1 << QStringList{QString::fromUtf8("Sí"), "No", "Cancelar"}
                                 << "Nombre de fichero:";
        QTest::newRow("Basque") << 2 << QStringList{"Bai", "Ez", "Utzi"} << "Fitxategiaren izena:";
    }

    void qtDialogsSpeakTheInterfaceLanguage()
    {
        QFETCH(int, language);
        QFETCH(QStringList, buttons);
        QFETCH(QString, fileName);
        QTemporaryDir dir;
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        windows->languages->SetLanguageIndex(language);
        windows->languages->ListBoxLlenguatgeClick();

        QMessageBox question(QMessageBox::Question, QStringLiteral("Tolvanet"), QStringLiteral("?"),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, windows->main.get());
        QStringList announced;
        for (auto which : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            announced << QAccessible::queryAccessibleInterface(question.button(which))->text(QAccessible::Name);
        QFileDialog files(windows->main.get());
        files.setOption(QFileDialog::DontUseNativeDialog);
        auto *label = files.findChild<QLabel *>(QStringLiteral("fileNameLabel"));
        QVERIFY(label);
        QCOMPARE(announced, buttons);
        QCOMPARE(WithoutMnemonic(label->text()), fileName);

        // Back to Catalan, the buttons follow.
        windows->languages->SetLanguageIndex(0);
        windows->languages->ListBoxLlenguatgeClick();
        QMessageBox again(QMessageBox::Question, QStringLiteral("Tolvanet"), QStringLiteral("?"), QMessageBox::Cancel);
        QCOMPARE(again.button(QMessageBox::Cancel)->text(), QString::fromUtf8("Cancel·la"));
        windows->main->Document().SetModified(false);
        windows->main->close();
    }

    // Entering the voice list or the language list, a screen reader finds the chosen
    // entry focused and selected, even when nothing was selected before.
    void enteringAListGivesItsChosenEntry()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        windows->speechWindow->show();
        windows->languages->show();
        const std::tuple<QWidget *, const char *, int> lists[] = {{windows->languages.get(), "ListBoxLlenguatge", 5},
                                                                  {windows->speechWindow.get(), "ListBoxMotorsDeVeu", 1}};
        for (auto [window, name, row] : lists) {
            auto *list = window->findChild<QListWidget *>(QLatin1String(name));
            QVERIFY(list);
            list->setCurrentRow(row, QItemSelectionModel::NoUpdate);
            list->clearSelection();
            QApplication::setActiveWindow(window);
            list->setFocus();
            QTRY_VERIFY(list->hasFocus());
            QAccessibleInterface *entry = QAccessible::queryAccessibleInterface(list)->tableInterface()->cellAt(row, 0);
            QVERIFY(entry);
            QCOMPARE(entry->text(QAccessible::Name), list->item(row)->text());
            QVERIFY2(entry->state().selected, name);
            QVERIFY2(entry->state().focused, name);
        }
        windows->main->Document().SetModified(false);
        windows->main->close();
    }

    // "No encuentro" is said once and gives the focus back to the find dialog, which
    // stays open.
    void notFoundLeavesTheFocusInTheFindDialog()
    {
        QTemporaryDir dir;
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        main.show();
        QApplication::setActiveWindow(&main);
        main.ActionFor(QStringLiteral("find"))->trigger();
        auto *find = main.findChild<QDialog *>(QStringLiteral("FindDialog1"));
        QVERIFY(find);
        QVERIFY(ShowActive(find));
        auto *field = find->findChild<QLineEdit *>(QStringLiteral("EditBuscar"));
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("zzz"));

        QString description = QStringLiteral("not shown");
        QWidget *owner = nullptr;
        auto *answer = new QTimer(find);
        answer->setInterval(10);
        connect(answer, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            answer->stop();
            description = QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
            owner = box->parentWidget();
            box->accept();
        });
        answer->start();
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QVERIFY2(!description.contains(QStringLiteral("No encuentro")), qPrintable(description));
        // The desktop gives the activation back to the window the message belonged to.
        QCOMPARE(owner, find);
        QVERIFY(find->isVisible());
        main.Document().SetModified(false);
        main.close();
    }

    void init()
    {
        AppLifetime::Instance().Reset();
        m_voices = std::make_unique<FakeVoiceEngine>("msp", QStringList{"Catalan", "Spanish"}, &m_log);
        m_engines = SpeechEngineSet{};
        m_engines.msp = m_voices.get();
    }

    // In every interface language each item of "&Opcions" that has a letter has one of
    // its own, and the reader's items have one.
    void everyOptionsItemHasALetterOfItsOwn()
    {
        QTemporaryDir dir;
        QVERIFY(WriteWholeFile(dir.filePath("tolvanet.ini"), "[tts]\r\nNumero sintetitzador=0\r\n"));
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormLlenguatge &languages = *windows->languages;
        for (int language = 0; language < kLanguageCount; ++language) {
            languages.SetLanguageIndex(language);
            languages.ListBoxLlenguatgeClick();
            QMap<QChar, QString> letters;
            for (QAction *action : windows->main->MenuNamed(QStringLiteral("MenuOpcions"))->actions()) {
                const qsizetype amp = action->text().indexOf(u'&');
                const bool reader = action->objectName().startsWith(QLatin1String("MenuLlegirDesDelCursor"))
                    || action->objectName() == QLatin1String("MenuPausaIContinua")
                    || action->objectName().startsWith(QLatin1String("MenuFrase"));
                if (amp < 0 || amp + 1 >= action->text().size()) {
                    QVERIFY2(!reader, qPrintable(action->text()));
                    continue;
                }
                const QChar letter = action->text().at(amp + 1).toLower();
                QVERIFY2(!letters.contains(letter),
                         qPrintable(QStringLiteral("language %1: \"%2\" and \"%3\"")
                                        .arg(language).arg(letters.value(letter), action->text())));
                letters.insert(letter, action->text());
            }
        }
        windows->main->close();
    }

    void everyWindowIsAnnouncedInTheInterfaceLanguage_data()
    {
        QTest::addColumn<bool>("fullMenus");
        QTest::newRow("toolbar") << false;
        QTest::newRow("full menus") << true;
    }

    void everyWindowIsAnnouncedInTheInterfaceLanguage()
    {
        QFETCH(bool, fullMenus);
        QTemporaryDir dir;
        QFile ini(dir.filePath("tolvanet.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[tts]\r\nNumero sintetitzador=0\r\n[LlibreriaLlegir]\r\nLLENGUA=0\r\n");
        if (fullMenus)
            ini.write("[Tolvanet32]\r\nTolvanet32=SI\r\n");
        ini.close();
        auto windows = StartProgram(TestStartupOptions(dir.path(), &m_engines));
        FormPrincipal &main = *windows->main;
        FormTTS &speech = *windows->speechWindow;
        FormLlenguatge &languages = *windows->languages;
        speech.show();
        languages.show();

        CheckTitles(main, speech, languages);
        if (QTest::currentTestFailed())
            return;
        const Expected rows[] = {
            {0, "Només una paraula", "Nom del fitxer de so:", "Parar la lectura", "Barra d'eines", "Veus",
             "Velocitat:", "Llenguatge", "D'acord", "Llegir paraula per paraula", "Fitxer", "Text a buscar",
             "Substituir-ho tot", "Llegir en moure el cursor"},
            {5, "Only one word", "Sound file name:", "Stop", "Toolbar", "Voices", "Speed:", "Language", "OK",
             "Read word by word", "File", "Text to find", "Replace all", "Read as the cursor moves"},
        };
        for (const Expected &row : rows) {
            // Relabelled in place, as the chooser does it.
            languages.SetLanguageIndex(row.language);
            languages.ListBoxLlenguatgeClick();
            const QByteArray context = "language " + QByteArray::number(row.language);
            CheckMainWindow(main, row, fullMenus, context);
            if (QTest::currentTestFailed())
                return;
            CheckReplaceDialog(main, row, context);
            if (QTest::currentTestFailed())
                return;
            CheckSpeechAndLanguageWindows(speech, languages, row, context);
            if (QTest::currentTestFailed())
                return;
        }

        // Ticking the one-hand item is heard as a change of its state.
        main.ActionFor(WindowCommandId::kOneHandKeyboard)->trigger();
        QVERIFY(TreeWalk(&main).byObjectName.value("MenuTeclatAmbUnaMa").state.checked);

        // The about window's pictures say what they show.
        windows->about->show();
        TreeWalk aboutTree(windows->about.get());
        QVERIFY2(aboutTree.problems.isEmpty(), qPrintable(aboutTree.problems.join("; ")));
        QVERIFY(!aboutTree.byObjectName.value("EarOrComputerPicture").name.isEmpty());
        windows->about->hide();

        speech.hide();
        languages.hide();
        main.Document().SetModified(false);
        main.close();
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
