#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/Startup.h"
#include "core/WaitWithEvents.h"
#include "speech/AccessibleLabels.h"
#include "speech/FormLlenguatge.h"
#include "speech/FormTTS.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/fakes/FakeSpeechEngines.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

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
    void init()
    {
        AppLifetime::Instance().Reset();
        m_voices = std::make_unique<FakeVoiceEngine>("msp", QStringList{"Catalan", "Spanish"}, &m_log);
        m_engines = SpeechEngineSet{};
        m_engines.msp = m_voices.get();
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

        // The application by its product name, every title exactly as designed: no
        // display name is set that the desktop would append to the titles.
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

        struct Expected
        {
            int language;
            QString oneWord, nameField, stop, toolBar, voices, rate, languageList, ok, wordByWord;
        };
        const Expected rows[] = {
            {0, "Només una paraula", "Nom del fitxer de so:", "Parar la lectura", "Barra d'eines", "Veus",
             "Velocitat:", "Llenguatge", "D'acord", "Llegir paraula per paraula"},
            {5, "Sólo una palabra", "Sound file name:", "Stop", "Toolbar", "Voices", "Speed:", "Language", "OK",
             "Read word by word"},
        };
        for (const Expected &row : rows) {
            // Relabelled in place, as the chooser does it.
            languages.SetLanguageIndex(row.language);
            languages.ListBoxLlenguatgeClick();
            const QByteArray context = "language " + QByteArray::number(row.language);

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
            QCOMPARE(oneHand.role, QAccessible::MenuItem);
            QVERIFY(oneHand.state.checkable);
            QCOMPARE(bool(oneHand.state.checked), main.ActionFor(WindowCommandId::kOneHandKeyboard)->isChecked());
            QCOMPARE(QAccessible::queryAccessibleInterface(&main)->role(), QAccessible::Window);

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
