#include "app/reading/LanguageReading.h"
#include "app/reading/LanguageVoicesBox.h"
#include "app/reading/ReadingSession.h"
#include "app/reading/ReadingTriggers.h"
#include "app/shell/Startup.h"
#include "app/spelling/SpellingAssistant.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"
#include "speech/SpeechController.h"
#include "tests/common/SinkMonitor.h"
#include "tests/common/SpeechService.h"
#include "tests/common/StartupFixture.h"
#include "windows/FormTTS.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

namespace
{
const QString kCatalan1 = QStringLiteral("Avui a classe hem llegit un conte sobre un nen que vivia al costat del mar.");
const QString kSpanish = QStringLiteral("Hoy en clase hemos leído un cuento sobre un niño que vivía junto al mar.");
const QString kCatalan2 = QStringLiteral("Els alumnes han de portar el llibre de ciències i una llibreta nova.");
const QString kOna = QStringLiteral("UPCTV - Dona - Català");

// The entry of espeak-ng's own Spanish voice ("es").
QString EspeakSpanish()
{
    for (const VoiceCatalog::Voice &voice : VoiceCatalog::EspeakVoices())
        if (voice.identifier.section(u'/', -1) == QLatin1String("es"))
            return voice.description;
    return {};
}
} // namespace

// A document in two languages read aloud with the voice following the language: each
// stretch by its own language's voice, heard at the test sound server's null sink.
class TestHeardLanguages : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SpeechService m_service;

    std::unique_ptr<ProgramWindows> Start(const QByteArray &settings)
    {
        if (!WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")), settings))
            qFatal("cannot write the test's settings file");
        AppLifetime::Instance().Reset();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), nullptr, QCoreApplication::applicationDirPath()));
        windows->main->Edit()->setFocus();
        return windows;
    }

    static QByteArray CatalanVoice()
    {
        return QByteArray::number(VoiceCatalog::EspeakDefaultVoice(QStringLiteral("ca_ES")));
    }

    // How much sound each voice makes of its own stretch, as its synthesizer renders it alone.
    qint64 SoundOfOwnVoices()
    {
        const QString catalan = m_dir.filePath(QStringLiteral("ca.latin1"));
        QFile file(catalan);
        if (!file.open(QIODevice::WriteOnly) || file.write((kCatalan1 + u'\n' + kCatalan2).toLatin1()) < 0)
            return -1;
        file.close();
        const QString ona = m_dir.filePath(QStringLiteral("ona.wav"));
        const QString spanish = m_dir.filePath(QStringLiteral("es.wav"));
        if (QProcess::execute(QStringLiteral("text2wave"), {"-eval", "(voice_upc_ca_ona_hts)", catalan, "-o", ona}) != 0
            || QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "es", "-w", spanish, kSpanish}) != 0)
            return -1;
        return SinkMonitor::SoundMsOfWav(ona) + SinkMonitor::SoundMsOfWav(spanish);
    }

    static void Close(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        windows.main->close();
    }

    // The voices of the parts read, neighbours of one voice taken as one.
    struct Heard
    {
        QStringList voices;
        QStringList texts;
    };
    static void FollowParts(ProgramWindows &windows, Heard &heard)
    {
        ReadingSession *session = &windows.triggers->Session();
        QObject::connect(session, &ReadingSession::partStarted, session, [session, &heard] {
            const ReadingSession::Part &part = session->CurrentPart();
            if (!heard.voices.isEmpty() && heard.voices.last() == part.voice) {
                heard.texts.last() += part.text;
                return;
            }
            heard.voices << part.voice;
            heard.texts << part.text;
        });
    }

private slots:
    void initTestCase()
    {
        const QString why = m_service.Start();
        if (!why.isEmpty())
            QFAIL(qPrintable(why));
        QVERIFY2(UpctvRenderingProblem({VoiceFamily::Upctv, VoiceCatalog::kUpctvOnaEntry}).isEmpty(),
                 "festival's Catalan voice ona is not installed");
        QVERIFY2(!EspeakSpanish().isEmpty(), "espeak-ng has no Spanish voice");
    }

    // Catalan, Spanish, Catalan: ona, espeak-ng's Spanish, ona, with the first run's
    // choices, and about as much sound as each voice makes of its own stretch.
    void eachLanguageIsReadByItsVoice()
    {
        const qint64 own = SoundOfOwnVoices();
        QVERIFY2(own > 1000, "the voices' own renderings could not be made");
        SinkMonitor monitor;
        START_LISTENING(monitor);
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nCANVI DE LLENGUA=SI\r\n");
        QVERIFY(windows->languageReading->On());
        QVERIFY(windows->main->ActionFor(WindowCommandId::kFollowLanguage)->isChecked());
        QCOMPARE(windows->languageReading->Voices().VoiceFor("ca"), kOna);
        QCOMPARE(windows->languageReading->Voices().VoiceFor("es"), EspeakSpanish());
        windows->main->Edit()->setPlainText(kCatalan1 + u'\n' + kSpanish + u'\n' + kCatalan2 + u'\n');
        Heard heard;
        FollowParts(*windows, heard);
        monitor.Clear();
        QTest::keyClick(windows->main->Edit(), Qt::Key_F7);
        QVERIFY2(monitor.WaitForSound(20000), "nothing was heard");
        QTRY_COMPARE_WITH_TIMEOUT(heard.voices.size(), 3, 60000);
        QVERIFY(monitor.WaitForSilence(1500, 60000));
        QCOMPARE(heard.voices, (QStringList{kOna, EspeakSpanish(), kOna}));
        QCOMPARE(heard.texts.at(1).trimmed(), kSpanish);
        const qint64 sound = monitor.SoundMs();
        QVERIFY2(sound > own / 2 && sound < own * 2,
                 qPrintable(QStringLiteral("heard %1 ms, the voices alone make %2 ms").arg(sound).arg(own)));
        Close(*windows);
    }

    // With the switch off (the default) the chosen voice reads it all; the switch is kept.
    // A stored voice no longer listed is said once, and the language's first voice reads it.
    void offByDefaultAndAGoneVoiceIsTold()
    {
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[Veus per llengua]\r\nes=Veu que ja no hi és\r\n");
        QVERIFY(!windows->languageReading->On());
        QTRY_VERIFY2_WITH_TIMEOUT(windows->main->statusBar()->currentMessage().contains(QStringLiteral("Veu que ja no hi és")),
                                  qPrintable(windows->main->statusBar()->currentMessage()), 15000);
        QCOMPARE(windows->languageReading->Voices().VoiceFor("es"), EspeakSpanish());
        windows->main->Edit()->setPlainText(kCatalan1 + u'\n' + kSpanish + u'\n');
        Heard heard;
        FollowParts(*windows, heard);
        QSignalSpy ended(windows->speech.get(), &SpeechController::readingEnded);
        QTest::keyClick(windows->main->Edit(), Qt::Key_F7);
        QTRY_VERIFY_WITH_TIMEOUT(!heard.voices.isEmpty(), 20000);
        QCOMPARE(heard.voices, QStringList{QString()});
        QTest::keyClick(windows->main->Edit(), Qt::Key_F11);

        windows->main->ActionFor(WindowCommandId::kFollowLanguage)->trigger();
        QVERIFY(windows->languageReading->On());
        QCOMPARE(SettingsStore(m_dir.filePath("tolvanet.ini")).ReadString("LlibreriaLlegir", "CANVI DE LLENGUA", ""),
                 QStringLiteral("SI"));
        // Told once: the list looked at again says nothing more.
        windows->main->ShowStatus(QString());
        windows->languageReading->RefreshVoices();
        QCOMPARE(windows->main->statusBar()->currentMessage(), QString());
        Close(*windows);
    }

    // With the switch on, each paragraph is checked with its own language's dictionary:
    // the Spanish paragraph's words are right and its misspelling is marked; with it off,
    // the voice's Catalan dictionary marks the Spanish words.
    void eachParagraphIsSpeltInItsLanguage()
    {
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nCANVI DE LLENGUA=SI\r\nORTOGRAFIA=SI\r\n");
        QPlainTextEdit *edit = windows->main->Edit();
        edit->setPlainText(kCatalan1 + u'\n' + QString(kSpanish).replace(QStringLiteral("mar."), QStringLiteral("marr."))
                           + u'\n' + QString(kCatalan2).replace(QStringLiteral("nova"), QStringLiteral("novva")) + u'\n');
        const auto marked = [&windows, edit] {
            QStringList words;
            for (const WordSpan &span : windows->spelling->Marks())
                words << edit->toPlainText().mid(span.start, span.length);
            return words;
        };
        QTRY_COMPARE_WITH_TIMEOUT(marked(), (QStringList{QStringLiteral("marr"), QStringLiteral("novva")}), 30000);
        // The menu of the Spanish misspelling offers Spanish words.
        const int at = int(edit->toPlainText().indexOf(QStringLiteral("marr")));
        std::unique_ptr<QMenu> menu = windows->spelling->MenuFor(at);
        QVERIFY(menu);
        QStringList offered;
        for (QAction *action : menu->actions())
            offered << action->text();
        QVERIFY2(offered.contains(QStringLiteral("mar")), qPrintable(offered.join(u',')));

        windows->main->ActionFor(WindowCommandId::kFollowLanguage)->trigger();
        QVERIFY(!windows->languageReading->On());
        QTRY_VERIFY_WITH_TIMEOUT(marked().contains(QStringLiteral("niño")) && marked().contains(QStringLiteral("cuento")),
                                 5000);
        QVERIFY(marked().contains(QStringLiteral("novva")));
        Close(*windows);
    }

    // What the window's export records: each language's stretch with its voice while the
    // switch is on, covering the text in order; nothing apart with it off.
    void theWindowsExportFollowsTheLanguage()
    {
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice()
                             + "\r\n[LlibreriaLlegir]\r\nCANVI DE LLENGUA=SI\r\n");
        const QString text = kCatalan1 + u'\n' + kSpanish + u'\n' + kCatalan2 + u'\n';
        SpeechController &speech = *windows->speech;
        const LanguageVoiceChoice chosen{speech.SelectedVoice(), speech.SelectedVoiceName()};
        const QList<ExportRun> runs = windows->languageReading->ExportRuns(text, chosen);
        QStringList voices;
        for (const ExportRun &run : runs)
            voices << run.voiceName;
        QCOMPARE(voices, (QStringList{kOna, EspeakSpanish(), kOna}));
        QVERIFY(RunsCoverText(runs, text.size()));
        QCOMPARE(text.mid(runs.at(1).start, runs.at(1).length).trimmed(), kSpanish);
        QCOMPARE(runs.at(1).voice, speech.VoiceOfRow(int(speech.VoiceEntries().indexOf(EspeakSpanish()))));
        windows->main->ActionFor(WindowCommandId::kFollowLanguage)->trigger();
        QVERIFY(windows->languageReading->ExportRuns(text, chosen).isEmpty());
        Close(*windows);
    }

    // The speech window lists the languages with their voices, each named as a screen
    // reader reads it; choosing another voice from the keyboard keeps it.
    void theSpeechWindowChoosesEachLanguagesVoice()
    {
        auto windows = Start("[tts]\r\nNumero sintetitzador=" + CatalanVoice() + "\r\n");
        auto *list = windows->speechWindow->findChild<LanguageVoicesBox *>();
        QVERIFY(list);
        QComboBox *spanish = list->VoiceBox("es");
        QVERIFY(spanish && list->VoiceBox("ca") && list->VoiceBox("en"));
        QCOMPARE(list->VoiceBox("ca")->currentText(), kOna);
        QCOMPARE(spanish->currentText(), EspeakSpanish());
        // On Linux a combo box is named by the label that points at it, as Orca reads it.
        QStringList labels;
        for (const auto &[other, relation] : QAccessible::queryAccessibleInterface(spanish)->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        QVERIFY2(labels.contains(QStringLiteral("Español")), qPrintable(labels.join(", ")));
        QVERIFY(spanish->count() > 1);
        windows->speechWindow->show();
        spanish->setFocus();
        QTest::keyClick(spanish, Qt::Key_Down);
        const QString chosen = spanish->currentText();
        QVERIFY(chosen != EspeakSpanish());
        QCOMPARE(windows->languageReading->Voices().VoiceFor("es"), chosen);
        QCOMPARE(SettingsStore(m_dir.filePath("tolvanet.ini")).ReadString("Veus per llengua", "es", ""), chosen);
        windows->speechWindow->hide();
        Close(*windows);
    }
};

QTEST_MAIN(TestHeardLanguages)
#include "test_heard_languages.moc"
