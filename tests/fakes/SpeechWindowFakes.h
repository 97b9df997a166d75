#pragma once

#include "core/ReadingOptions.h"
#include "core/SettingsStore.h"
#include "speech/VoiceControl.h"
#include "tests/fakes/RecordingSpeech.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// Voice list and rate of a pretend engine set; every call that changes or applies
// something is recorded.
class FakeVoices : public RecordingSpeechOf<VoiceControl>
{
public:
    explicit FakeVoices(QStringList entries = {}, int mspCount = -1)
        : entries(entries), msp(mspCount < 0 ? int(entries.size()) : mspCount)
    {
    }

    QStringList VoiceEntries() const override { return entries; }
    int MspCount() const override { return msp; }
    int SapiCount() const override { return sapi; }
    bool UpctvLoaded() const override { return upctv; }
    bool AutomationAvailable() const override { return automation; }

    int SelectedIndex() const override { return selected; }
    void SetSelectedIndex(int index) override
    {
        selected = index;
        calls << QStringLiteral("index:%1").arg(index);
    }
    void SelectVoice() override
    {
        calls << QStringLiteral("SelectVoice");
        SetSpeechRate();
    }

    int RatePosition() const override { return rate; }
    void SetRatePosition(int position) override
    {
        rate = position;
        calls << QStringLiteral("rate:%1").arg(position);
    }
    void SetSpeechRate() override
    {
        calls << QStringLiteral("SetSpeechRate");
        label = QString::number(rate);
    }
    QString RateLabel() const override { return label; }

    QStringList entries;
    int msp = 0;
    int sapi = 0;
    bool upctv = false;
    bool automation = true;
    int selected = -1;
    int rate = 0;
    QString label = QStringLiteral("0");
};

// A dictionary whose file dialog gives a preset answer.
class FakeDictionary : public DictionaryControl
{
public:
    bool DictionaryActive() const override { return active; }
    void SetDictionaryActive(bool on) override
    {
        active = on;
        calls << QStringLiteral("active:%1").arg(on);
    }
    bool ChooseExceptionsDictionary() override
    {
        calls << QStringLiteral("choose");
        active = fileChosen;
        return active;
    }
    void ClosingStep() override { calls << QStringLiteral("closing"); }

    bool active = false;
    bool fileChosen = false;
    QStringList calls;
};

class FakeOneHand : public OneHandSwitch
{
public:
    bool OneHandOn() const override { return on; }
    void TurnOneHandOff() override
    {
        on = false;
        ++turnedOff;
    }

    bool on = false;
    int turnedOff = 0;
};

// A settings file in a folder of its own that lives as long as the test case.
struct TemporarySettings
{
    QTemporaryDir dir;
    SettingsStore store{dir.filePath(QStringLiteral("tolvanet.ini"))};

    QString Read(const QString &section, const QString &key) const
    {
        return store.ReadString(section, key, QStringLiteral("<absent>"));
    }
    QString Contents() const
    {
        QFile file(store.FileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};
