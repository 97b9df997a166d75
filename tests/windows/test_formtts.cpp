#include "tests/fakes/SpeechWindowFakes.h"
#include "windows/FormTTS.h"

#include "tests/common/WindowActivation.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

namespace {

const QStringList kThreeVoices{QStringLiteral("Alba"), QStringLiteral("SAPI - Jordi"),
                               QStringLiteral("UPCTV - Home - Català")};

template <typename T>
T *Control(QWidget &window, const char *name)
{
    T *control = window.findChild<T *>(QLatin1String(name));
    Q_ASSERT_X(control, "Control", name);
    return control;
}

void ClickRow(QListWidget *list, int row)
{
    const QPoint centre = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
}

} // namespace

class TestFormTTS : public QObject
{
    Q_OBJECT
private slots:
    void creationMirrorsTheEnginesAndAppliesNothing();
    void firstRunChoiceIsStoredByOk();
    void userChoicesApplyProgrammaticOnesDoNot();
    void rateBarRunsUpwardsFromTheSlowest();
    void closingWithoutOkSkipsTheDictionaryStep_data();
    void closingWithoutOkSkipsTheDictionaryStep();
    void withoutEnginesOnlyTheRateIsStored();
    void dictionaryBox_data();
    void dictionaryBox();
    void showingSetsTheDictionaryBoxWithoutAsking();
    void wordOnSpaceTurnsTheOneHandKeyboardOff();
    void helpAndLanguageButtons();
    void everyControlIsReachedByTabAndNamed();
    void movingThroughTheVoicesSpeaksEachInItsVoice();
    void enterAcceptsUnlessAButtonHasTheFocus_data();
    void enterAcceptsUnlessAButtonHasTheFocus();
};

void TestFormTTS::creationMirrorsTheEnginesAndAppliesNothing()
{
    FakeVoices voices(kThreeVoices, 1);
    voices.sapi = 1;
    voices.upctv = true;
    voices.automation = false;
    voices.selected = 1;
    voices.rate = -4;
    voices.label = QStringLiteral("-4");
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);

    QCOMPARE(Control<QListWidget>(window, "ListBoxMotorsDeVeu")->count(), 3);
    QCOMPARE(Control<QListWidget>(window, "ListBoxMotorsDeVeu")->currentRow(), 1);
    QCOMPARE(Control<QSlider>(window, "tbRate")->value(), -4);
    QCOMPARE(Control<QLabel>(window, "lblRate")->text(), QStringLiteral("-4"));
    QVERIFY(voices.calls.isEmpty());
    // The test row never shows; without automation its speaking buttons are off too.
    for (const char *name : {"ButtonParlar", "ButtonWav"})
        QVERIFY(!Control<QPushButton>(window, name)->isEnabled());
    for (const char *name : {"ButtonParlar", "ButtonCalla", "ButtonWav", "ButtonNoMolestar", "BitBtnExit"})
        QVERIFY(Control<QPushButton>(window, name)->isHidden());
    QVERIFY(Control<QLineEdit>(window, "EditText")->isHidden());
    for (const char *name : {"CheckBoxReadClipboardContent", "CheckBoxReadWordByWord",
                             "CheckBoxLlegeixDirectamentLaCarpeta"})
        QVERIFY(Control<QCheckBox>(window, name)->isHidden());
    QVERIFY(Control<QPushButton>(window, "BitBtnTancar")->isDefault());
}

void TestFormTTS::firstRunChoiceIsStoredByOk()
{
    FakeVoices voices(kThreeVoices);
    voices.selected = 0;  // the engines select entry 0 and apply nothing
    FakeDictionary dictionary;
    TemporarySettings settings;
    QVERIFY(settings.store.WriteString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"),
                                       QStringLiteral("-1")));
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    ClickRow(Control<QListWidget>(window, "ListBoxMotorsDeVeu"), 2);
    QTest::keyClick(Control<QSlider>(window, "tbRate"), Qt::Key_Down);
    QTest::keyClick(Control<QSlider>(window, "tbRate"), Qt::Key_Down);
    QCOMPARE(voices.calls, QStringList({"stop", "index:2", "SelectVoice", "SetSpeechRate",
                                        "speak:UPCTV - Home - Català", "rate:1", "SetSpeechRate", "rate:2",
                                        "SetSpeechRate"}));
    QCOMPARE(Control<QLabel>(window, "lblRate")->text(), QStringLiteral("2"));

    QTest::mouseClick(Control<QPushButton>(window, "BitBtnTancar"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QCOMPARE(settings.Read("tts", "Numero sintetitzador"), QStringLiteral("2"));
    QCOMPARE(settings.Read("tts", "velocitat"), QStringLiteral("2"));
    QCOMPARE(dictionary.calls, QStringList{"closing"});
}

void TestFormTTS::userChoicesApplyProgrammaticOnesDoNot()
{
    FakeVoices voices(kThreeVoices);
    voices.selected = 0;
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *list = Control<QListWidget>(window, "ListBoxMotorsDeVeu");

    // Entry 0 is already the current row, but the engines were never told to use it.
    ClickRow(list, 0);
    QCOMPARE(voices.calls.mid(0, 3), QStringList({"stop", "index:0", "SelectVoice"}));
    voices.calls.clear();

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(voices.calls.mid(0, 3), QStringList({"stop", "index:1", "SelectVoice"}));
    voices.calls.clear();
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(voices.calls.mid(0, 3), QStringList({"stop", "index:1", "SelectVoice"}));
    voices.calls.clear();

    voices.selected = 2;
    voices.rate = 5;
    voices.label = QStringLiteral("5");
    window.SyncFromVoices();
    list->setCurrentRow(0);
    QCOMPARE(Control<QSlider>(window, "tbRate")->value(), 5);
    QVERIFY(voices.calls.isEmpty());
}

void TestFormTTS::rateBarRunsUpwardsFromTheSlowest()
{
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *rate = Control<QSlider>(window, "tbRate");

    QCOMPARE(rate->minimum(), -10);
    QCOMPARE(rate->maximum(), 10);
    QTest::keyClick(rate, Qt::Key_Up);
    QCOMPARE(rate->value(), -1);
    // The slowest end is at the top: a click near the top slows down, near the bottom speeds up.
    rate->setValue(0);
    QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(rate->width() / 2, 2));
    QVERIFY(rate->value() < 0);
    rate->setValue(0);
    QTest::mouseClick(rate, Qt::LeftButton, {}, QPoint(rate->width() / 2, rate->height() - 3));
    QVERIFY(rate->value() > 0);
    rate->setValue(10);
    QCOMPARE(Control<QLabel>(window, "lblRate")->text(), QStringLiteral("10"));

    // A position off the bar is brought onto it, so the label never disagrees.
    voices.rate = 14;
    voices.label = QStringLiteral("14");
    window.SyncFromVoices();
    QCOMPARE(rate->value(), 10);
    QCOMPARE(Control<QLabel>(window, "lblRate")->text(), QStringLiteral("10"));
}

void TestFormTTS::closingWithoutOkSkipsTheDictionaryStep_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("title bar") << false;
    QTest::newRow("Esc") << true;
}

void TestFormTTS::closingWithoutOkSkipsTheDictionaryStep()
{
    QFETCH(bool, escape);
    FakeVoices voices(kThreeVoices);
    voices.selected = 1;
    voices.rate = -3;
    voices.label = QStringLiteral("-3");
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    if (escape)
        QTest::keyClick(&window, Qt::Key_Escape);
    else
        window.close();
    QVERIFY(!window.isVisible());
    QCOMPARE(settings.Read("tts", "Numero sintetitzador"), QStringLiteral("1"));
    QCOMPARE(settings.Read("tts", "velocitat"), QStringLiteral("-3"));
    QVERIFY(dictionary.calls.isEmpty());
}

void TestFormTTS::withoutEnginesOnlyTheRateIsStored()
{
    FakeVoices voices;
    voices.automation = false;
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(Control<QListWidget>(window, "ListBoxMotorsDeVeu")->count(), 0);

    QTest::mouseClick(Control<QPushButton>(window, "BitBtnTancar"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(settings.Read("tts", "Numero sintetitzador"), QStringLiteral("<absent>"));
    QCOMPARE(settings.Read("tts", "velocitat"), QStringLiteral("0"));
}

void TestFormTTS::dictionaryBox_data()
{
    QTest::addColumn<bool>("activeBefore");
    QTest::addColumn<bool>("fileChosen");
    QTest::addColumn<bool>("keyboard");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<bool>("boxAfter");

    const QStringList ask{"active:0", "choose"};
    QTest::newRow("tick, cancel") << false << false << false << ask << false;
    QTest::newRow("tick, file") << false << true << false << ask << true;
    QTest::newRow("untick") << true << true << false << QStringList{"active:0"} << false;
    QTest::newRow("Space ticks, file") << false << true << true << ask << true;
    QTest::newRow("Space unticks") << true << true << true << QStringList{"active:0"} << false;
}

void TestFormTTS::dictionaryBox()
{
    QFETCH(bool, activeBefore);
    QFETCH(bool, fileChosen);
    QFETCH(bool, keyboard);
    QFETCH(QStringList, calls);
    QFETCH(bool, boxAfter);

    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    dictionary.active = activeBefore;
    dictionary.fileChosen = fileChosen;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *box = Control<QCheckBox>(window, "CheckBoxDicExc");
    QCOMPARE(box->isChecked(), activeBefore);

    if (keyboard) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
    } else {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    QCOMPARE(dictionary.calls, calls);
    QCOMPARE(box->isChecked(), boxAfter);
    QCOMPARE(dictionary.active, boxAfter);

    // Other buttons than the left one leave everything as it is.
    dictionary.calls.clear();
    QTest::mouseClick(box, Qt::RightButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(dictionary.calls.isEmpty());
    QCOMPARE(box->isChecked(), boxAfter);
}

void TestFormTTS::showingSetsTheDictionaryBoxWithoutAsking()
{
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    dictionary.active = true;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(Control<QCheckBox>(window, "CheckBoxDicExc")->isChecked());
    window.hide();
    dictionary.active = false;
    window.show();
    QVERIFY(!Control<QCheckBox>(window, "CheckBoxDicExc")->isChecked());
    QVERIFY(dictionary.calls.isEmpty());
}

void TestFormTTS::wordOnSpaceTurnsTheOneHandKeyboardOff()
{
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    FakeOneHand oneHand;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.SetOneHandSwitch(&oneHand);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *space = Control<QCheckBox>(window, "CheckBoxEspai");

    oneHand.on = true;
    QTest::mouseClick(space, Qt::LeftButton, {}, QPoint(8, space->height() / 2));
    QVERIFY(options.ReadWordOnSpace());
    QVERIFY(!oneHand.on);
    QCOMPARE(oneHand.turnedOff, 1);

    // Turning the box off, or on while the keyboard is off, leaves the switch alone.
    QTest::mouseClick(space, Qt::LeftButton, {}, QPoint(8, space->height() / 2));
    oneHand.on = true;
    options.Set(ReadingOption::WordOnSpace, false);
    QVERIFY(!space->isChecked());
    QCOMPARE(oneHand.turnedOff, 1);
    oneHand.on = false;
    QTest::mouseClick(space, Qt::LeftButton, {}, QPoint(8, space->height() / 2));
    QCOMPARE(oneHand.turnedOff, 1);

    // Turned on from elsewhere (the stored options), it still turns the switch off.
    options.Set(ReadingOption::WordOnSpace, false);
    oneHand.on = true;
    options.Set(ReadingOption::WordOnSpace, true);
    QVERIFY(space->isChecked());
    QVERIFY(!oneHand.on);
}

void TestFormTTS::helpAndLanguageButtons()
{
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    int helpShown = 0;
    window.SetHelpAction([&] { ++helpShown; });
    QDialog language;
    window.SetLanguageWindow(&language);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTest::mouseClick(Control<QPushButton>(window, "BitBtnHelp"), Qt::LeftButton);
    QCOMPARE(helpShown, 1);

    bool shownModally = false;
    QTimer::singleShot(0, &language, [&] {
        shownModally = language.isVisible() && language.isModal();
        language.reject();
    });
    QTest::mouseClick(Control<QPushButton>(window, "BitBtnLlenguatge"), Qt::LeftButton);
    QVERIFY(shownModally);
    QVERIFY(window.isVisible());
}

void TestFormTTS::everyControlIsReachedByTabAndNamed()
{
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(ShowActive(&window));

    QStringList reached;
    for (int i = 0; i < 20; ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        if (reached.contains(focus->objectName()))
            break;
        reached << focus->objectName();
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(focus);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(focus->objectName()));
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(reached, QStringList({"ListBoxMotorsDeVeu", "tbRate", "CheckBoxReadAll", "CheckBoxReadSelected",
                                   "CheckBoxSelectedText", "CheckBoxLletres", "CheckBoxEspai", "CheckBoxPunt",
                                   "CheckBoxLlegeixLoSeleccionatALAixecarElClic", "CheckBoxDicExc",
                                   "BitBtnTancar", "BitBtnHelp", "BitBtnLlenguatge"}));
}

void TestFormTTS::movingThroughTheVoicesSpeaksEachInItsVoice()
{
    FakeVoices voices(kThreeVoices);
    voices.selected = 0;
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    window.show();
    QVERIFY(ShowActive(&window));
    auto *list = Control<QListWidget>(window, "ListBoxMotorsDeVeu");
    QCOMPARE(QApplication::focusWidget(), list);

    // Each move stops the sample before, chooses the entry, then says its name in it.
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    const QStringList sample1{"stop", "index:1", "SelectVoice", "SetSpeechRate", "speak:SAPI - Jordi"};
    const QStringList sample2{"stop", "index:2", "SelectVoice", "SetSpeechRate", "speak:UPCTV - Home - Català"};
    QCOMPARE(voices.calls, sample1 + sample2 + sample1);

    // Closing silences the last sample and keeps the entry chosen.
    voices.calls.clear();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
    QCOMPARE(voices.calls, QStringList{"stop"});
    QCOMPARE(settings.Read("tts", "Numero sintetitzador"), QStringLiteral("1"));
}

void TestFormTTS::enterAcceptsUnlessAButtonHasTheFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("rate bar, keypad Enter") << "tbRate" << int(Qt::Key_Enter) << true;
    QTest::newRow("reading option") << "CheckBoxLletres" << int(Qt::Key_Return) << true;
    QTest::newRow("Help presses Help") << "BitBtnHelp" << int(Qt::Key_Return) << false;
}

void TestFormTTS::enterAcceptsUnlessAButtonHasTheFocus()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(bool, accepted);
    FakeVoices voices(kThreeVoices);
    FakeDictionary dictionary;
    TemporarySettings settings;
    ReadingOptions options;
    FormTTS window(voices, dictionary, settings.store, options);
    int helpShown = 0;
    window.SetHelpAction([&] { ++helpShown; });
    window.show();
    QVERIFY(ShowActive(&window));
    // Reached with Tab only, as a keyboard user would.
    QVERIFY(QApplication::focusWidget());
    for (int i = 0; i < 20 && QApplication::focusWidget()->objectName() != focus; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    const bool lettersBefore = options.ReadLetters();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(!window.isVisible(), accepted);
    // Accepted as OK accepts, with the dictionary's closing step; no box ticked on the way.
    QCOMPARE(dictionary.calls, accepted ? QStringList{"closing"} : QStringList{});
    QCOMPARE(helpShown, accepted ? 0 : 1);
    QCOMPARE(options.ReadLetters(), lettersBefore);
}

QTEST_MAIN(TestFormTTS)
#include "test_formtts.moc"
