#include "SpeechWindowFakes.h"
#include "speech/FormLlenguatge.h"
#include "speech/FormTTS.h"
#include "speech/ReadingOptionsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kSection = QStringLiteral("LlibreriaLlegir");

struct OptionKey
{
    ReadingOption option;
    QString key;
    bool onByDefault;
};

const QList<OptionKey> kKeys{
    {ReadingOption::Letters, "LLEGIR LLETRES", false},
    {ReadingOption::WordOnSpace, "LLEGIR PARAULES", false},
    {ReadingOption::SentenceOnFullStop, "LLEGIR FRASE", false},
    {ReadingOption::SelectionOnMouseUp, "LLEGIR A LAIXECAR EL CLIC", false},
    {ReadingOption::PastedToClipboard, "LLEGIR DIRECTAMENT EL CONTINGUT DE LA CARPETA QUAN CANVIA", false},
    {ReadingOption::ReadAll, "F7", true},
    {ReadingOption::ReadSelected, "F8", true},
    {ReadingOption::ReadClipboard, "F9", true},
    {ReadingOption::ReadWordByWord, "F10", true},
    {ReadingOption::SelectedText, "CheckBoxSelectedText", false},
};

struct Windows
{
    FakeVoices voices{{QStringLiteral("Alba")}};
    FakeDictionary dictionary;
    FakeOneHand oneHand;
    TemporarySettings settings;
    QWidget main;
    ReadingOptions options;
    FormTTS speech{voices, dictionary, settings.store, options};
    FormLlenguatge languages{speech, &main};

    Windows() { speech.SetOneHandSwitch(&oneHand); }
};

} // namespace

class TestReadingOptions : public QObject
{
    Q_OBJECT
private slots:
    void restoreTakesOnlyExactValues_data();
    void restoreTakesOnlyExactValues();
    void restoredWordOnSpaceTurnsTheOneHandKeyboardOff();
    void storeWritesEveryOptionThenTheLanguage();
    void storeThenRestoreGivesTheSameBoxes();
    void storeReportsAFailedWrite();
    void storedLanguageIsSelectedAndApplied_data();
    void storedLanguageIsSelectedAndApplied();
    void firstRunNeedsAVoice_data();
    void firstRunNeedsAVoice();
};

void TestReadingOptions::restoreTakesOnlyExactValues_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("stored");  // a null text leaves the key out
    QTest::addColumn<bool>("checked");
    for (int i = 0; i < kKeys.size(); ++i) {
        const OptionKey &entry = kKeys[i];
        const QByteArray key = entry.key.toUtf8();
        QTest::newRow(key + " missing") << i << QString() << entry.onByDefault;
        QTest::newRow(key + " SI") << i << QStringLiteral("SI") << true;
        QTest::newRow(key + " NO") << i << QStringLiteral("NO") << false;
        QTest::newRow(key + " si") << i << QStringLiteral("si") << entry.onByDefault;
        QTest::newRow(key + " no") << i << QStringLiteral("no") << entry.onByDefault;
        QTest::newRow(key + " empty") << i << QStringLiteral("") << entry.onByDefault;
    }
}

void TestReadingOptions::restoreTakesOnlyExactValues()
{
    QFETCH(int, index);
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    Windows windows;
    const OptionKey &entry = kKeys[index];
    if (!stored.isNull())
        QVERIFY(windows.settings.store.WriteString(kSection, entry.key, stored));

    RestoreReadingOptions(windows.settings.store, windows.options);
    for (const OptionKey &other : kKeys) {
        const bool expected = other.option == entry.option ? checked : other.onByDefault;
        QCOMPARE(windows.speech.IsOptionChecked(other.option), expected);
    }
}

void TestReadingOptions::restoredWordOnSpaceTurnsTheOneHandKeyboardOff()
{
    Windows windows;
    windows.oneHand.on = true;
    QVERIFY(windows.settings.store.WriteString(kSection, QStringLiteral("LLEGIR PARAULES"), QStringLiteral("SI")));
    RestoreReadingOptions(windows.settings.store, windows.options);
    QVERIFY(windows.options.ReadWordOnSpace());
    QCOMPARE(windows.oneHand.turnedOff, 1);

    // Without the stored option the one-hand keyboard stays on.
    Windows untouched;
    untouched.oneHand.on = true;
    RestoreReadingOptions(untouched.settings.store, untouched.options);
    QVERIFY(untouched.oneHand.on);
}

void TestReadingOptions::storeWritesEveryOptionThenTheLanguage()
{
    Windows windows;
    windows.speech.SetOptionChecked(ReadingOption::Letters, true);
    windows.speech.SetOptionChecked(ReadingOption::ReadSelected, false);
    windows.languages.SetLanguageIndex(4);
    QVERIFY(StoreReadingOptionsAndLanguage(windows.settings.store, windows.options, windows.languages).isEmpty());

    QStringList expected{QStringLiteral("[LlibreriaLlegir]")};
    for (const OptionKey &entry : kKeys) {
        const bool on = entry.option == ReadingOption::Letters
                        || (entry.onByDefault && entry.option != ReadingOption::ReadSelected);
        expected << entry.key + (on ? QStringLiteral("=SI") : QStringLiteral("=NO"));
    }
    expected << QStringLiteral("LLENGUA=4");
    QCOMPARE(windows.settings.Contents().split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts),
             expected);
}

void TestReadingOptions::storeThenRestoreGivesTheSameBoxes()
{
    Windows first;
    for (int i = 0; i < kKeys.size(); ++i)
        first.speech.SetOptionChecked(kKeys[i].option, i % 3 != 0);
    first.languages.SetLanguageIndex(-1);
    QVERIFY(StoreReadingOptionsAndLanguage(first.settings.store, first.options, first.languages).isEmpty());
    QCOMPARE(first.settings.Read(kSection, "LLENGUA"), QStringLiteral("-1"));

    Windows second;
    SettingsStore sameFile(first.settings.store.FileName());
    RestoreReadingOptions(sameFile, second.options);
    for (int i = 0; i < kKeys.size(); ++i)
        QCOMPARE(second.speech.IsOptionChecked(kKeys[i].option), i % 3 != 0);
}

void TestReadingOptions::storeReportsAFailedWrite()
{
    Windows windows;
    // A file where a folder should be: no write can succeed, whoever runs the test.
    QFile blocker(windows.settings.dir.filePath(QStringLiteral("blocker")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore unwritable(blocker.fileName() + QStringLiteral("/tolvanet.ini"));
    const QString error = StoreReadingOptionsAndLanguage(unwritable, windows.options, windows.languages);
    QVERIFY(error.startsWith(QStringLiteral("Unable to write to ")));
}

void TestReadingOptions::storedLanguageIsSelectedAndApplied_data()
{
    QTest::addColumn<QString>("stored");  // a null text leaves the key out
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("helpCaption");
    QTest::newRow("missing") << QString() << 1 << "Ayuda";
    QTest::newRow("CATALÀ") << "0" << 0 << "Ajuda";
    QTest::newRow("FRANÇAIS") << "6" << 6 << "Aider";
    QTest::newRow("beyond the list") << "7" << -1 << "Help";
    QTest::newRow("no row") << "-1" << -1 << "Help";
    QTest::newRow("not a number") << "dos" << 1 << "Ayuda";
}

void TestReadingOptions::storedLanguageIsSelectedAndApplied()
{
    QFETCH(QString, stored);
    QFETCH(int, row);
    QFETCH(QString, helpCaption);
    Windows windows;
    if (!stored.isNull())
        QVERIFY(windows.settings.store.WriteString(kSection, QStringLiteral("LLENGUA"), stored));

    RestoreInterfaceLanguage(windows.settings.store, windows.languages);
    QCOMPARE(windows.languages.LanguageIndex(), row);
    QCOMPARE(windows.speech.findChild<QPushButton *>(QStringLiteral("BitBtnHelp"))->text(), helpCaption);
    QCOMPARE(windows.languages.findChild<QPushButton *>(QStringLiteral("BitBtnTancar"))->text(),
             windows.speech.OkCaption());
}

void TestReadingOptions::firstRunNeedsAVoice_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("firstRun");
    QTest::newRow("missing") << QString() << true;
    QTest::newRow("-1") << "-1" << true;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("-2") << "-2" << false;
    QTest::newRow("not a number") << "x" << false;
}

void TestReadingOptions::firstRunNeedsAVoice()
{
    QFETCH(QString, stored);
    QFETCH(bool, firstRun);
    TemporarySettings settings;
    if (!stored.isNull())
        QVERIFY(settings.store.WriteString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"), stored));
    QCOMPARE(NeedsFirstVoiceChoice(settings.store), firstRun);
}

QTEST_MAIN(TestReadingOptions)
#include "test_readingoptions.moc"
