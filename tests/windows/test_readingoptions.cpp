#include "tests/fakes/SpeechWindowFakes.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/ReadingOptionsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kSection = QStringLiteral("LlibreriaLlegir");

// The settings file's key of each option, by key name.
const QMap<QString, ReadingOption> kOptionOfKey{
    {QStringLiteral("CheckBoxSelectedText"), ReadingOption::SelectedText},
    {QStringLiteral("F10"), ReadingOption::ReadWordByWord},
    {QStringLiteral("F7"), ReadingOption::ReadAll},
    {QStringLiteral("F8"), ReadingOption::ReadSelected},
    {QStringLiteral("F9"), ReadingOption::ReadClipboard},
    {QStringLiteral("LLEGIR A LAIXECAR EL CLIC"), ReadingOption::SelectionOnMouseUp},
    {QStringLiteral("LLEGIR DIRECTAMENT EL CONTINGUT DE LA CARPETA QUAN CANVIA"), ReadingOption::PastedToClipboard},
    {QStringLiteral("LLEGIR FRASE"), ReadingOption::SentenceOnFullStop},
    {QStringLiteral("LLEGIR LLETRES"), ReadingOption::Letters},
    {QStringLiteral("LLEGIR PARAULES"), ReadingOption::WordOnSpace},
};

// With nothing stored, the reading keys F7 to F10 work and every other option is off.
bool OnByDefault(ReadingOption option)
{
    return option == ReadingOption::ReadAll || option == ReadingOption::ReadSelected
           || option == ReadingOption::ReadClipboard || option == ReadingOption::ReadWordByWord;
}

struct Windows
{
    FakeVoices voices{{QStringLiteral("Alba")}};
    FakeDictionary dictionary;
    FakeOneHand oneHand;
    TemporarySettings settings;
    QWidget main;
    ReadingOptions options;
    FormTTS speech{voices, dictionary, settings.store, options};
    InterfaceLanguageModel language;
    FormLlenguatge languages{language, speech};

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
    void aSecondCopyClosingLaterKeepsTheFirstsChanges();
    void storedLanguageIsSelectedAndApplied_data();
    void storedLanguageIsSelectedAndApplied();
    void firstRunNeedsAVoice_data();
    void firstRunNeedsAVoice();
};

void TestReadingOptions::restoreTakesOnlyExactValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");  // a null text leaves the key out
    QTest::addColumn<bool>("checked");
    for (auto it = kOptionOfKey.cbegin(); it != kOptionOfKey.cend(); ++it) {
        const QByteArray name = it.key().toUtf8();
        const bool byDefault = OnByDefault(it.value());
        QTest::newRow(name + " missing") << it.key() << QString() << byDefault;
        QTest::newRow(name + " SI") << it.key() << QStringLiteral("SI") << true;
        QTest::newRow(name + " NO") << it.key() << QStringLiteral("NO") << false;
        QTest::newRow(name + " si") << it.key() << QStringLiteral("si") << byDefault;
        QTest::newRow(name + " no") << it.key() << QStringLiteral("no") << byDefault;
        QTest::newRow(name + " empty") << it.key() << QStringLiteral("") << byDefault;
    }
}

void TestReadingOptions::restoreTakesOnlyExactValues()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(bool, checked);
    Windows windows;
    if (!stored.isNull())
        QVERIFY(windows.settings.store.WriteString(kSection, key, stored));

    RestoreReadingOptions(windows.settings.store, windows.options);
    for (auto it = kOptionOfKey.cbegin(); it != kOptionOfKey.cend(); ++it) {
        const bool expected = it.key() == key ? checked : OnByDefault(it.value());
        QCOMPARE(windows.speech.IsOptionChecked(it.value()), expected);
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

    // The file as it has always been written: the boxes in the window's order, then the language.
    const QStringList expected{
        QStringLiteral("[LlibreriaLlegir]"),
        QStringLiteral("LLEGIR LLETRES=SI"),
        QStringLiteral("LLEGIR PARAULES=NO"),
        QStringLiteral("LLEGIR FRASE=NO"),
        QStringLiteral("LLEGIR A LAIXECAR EL CLIC=NO"),
        QStringLiteral("LLEGIR DIRECTAMENT EL CONTINGUT DE LA CARPETA QUAN CANVIA=NO"),
        QStringLiteral("F7=SI"),
        QStringLiteral("F8=NO"),
        QStringLiteral("F9=SI"),
        QStringLiteral("F10=SI"),
        QStringLiteral("CheckBoxSelectedText=NO"),
        QStringLiteral("LLENGUA=4"),
    };
    QCOMPARE(windows.settings.Contents().split(QRegularExpression(QStringLiteral("\r?\n")), Qt::SkipEmptyParts),
             expected);
}

void TestReadingOptions::storeThenRestoreGivesTheSameBoxes()
{
    const QList<ReadingOption> options = kOptionOfKey.values();
    Windows first;
    for (int i = 0; i < options.size(); ++i)
        first.speech.SetOptionChecked(options[i], i % 3 != 0);
    first.languages.SetLanguageIndex(-1);
    QVERIFY(StoreReadingOptionsAndLanguage(first.settings.store, first.options, first.languages).isEmpty());
    QCOMPARE(first.settings.Read(kSection, "LLENGUA"), QStringLiteral("-1"));

    Windows second;
    SettingsStore sameFile(first.settings.store.FileName());
    RestoreReadingOptions(sameFile, second.options);
    for (int i = 0; i < options.size(); ++i)
        QCOMPARE(second.speech.IsOptionChecked(options[i]), i % 3 != 0);
}

// Two copies on one settings file: the one closing last writes only what it changed itself.
void TestReadingOptions::aSecondCopyClosingLaterKeepsTheFirstsChanges()
{
    Windows first;
    SettingsStore shared(first.settings.store.FileName());
    QVERIFY(shared.WriteString(kSection, QStringLiteral("LLENGUA"), QStringLiteral("0")));
    Windows second;
    for (Windows *copy : {&first, &second}) {
        SettingsStore &store = copy == &first ? first.settings.store : shared;
        RestoreReadingOptions(store, copy->options);
        RestoreInterfaceLanguage(store, copy->languages);
    }
    auto firstSeen = StoreReadingOptionsAsTheyChange(first.settings.store, first.options, first.languages, {});
    auto secondSeen = StoreReadingOptionsAsTheyChange(shared, second.options, second.languages, {});

    first.speech.SetOptionChecked(ReadingOption::Letters, true);
    first.languages.SetLanguageIndex(5);
    first.languages.ListBoxLlenguatgeClick();
    second.speech.SetOptionChecked(ReadingOption::ReadAll, false);
    QVERIFY(StoreReadingOptionsAndLanguage(first.settings.store, first.options, first.languages, firstSeen.get())
                .isEmpty());
    QVERIFY(StoreReadingOptionsAndLanguage(shared, second.options, second.languages, secondSeen.get()).isEmpty());

    QCOMPARE(first.settings.Read(kSection, "LLEGIR LLETRES"), QStringLiteral("SI"));
    QCOMPARE(first.settings.Read(kSection, "LLENGUA"), QStringLiteral("5"));
    QCOMPARE(first.settings.Read(kSection, "F7"), QStringLiteral("NO"));
    // A key neither copy changed is still written whole, as closing always did.
    QCOMPARE(first.settings.Read(kSection, "F8"), QStringLiteral("SI"));
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
