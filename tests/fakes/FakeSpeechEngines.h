#pragma once

#include "platform/DesktopWindows.h"
#include "platform/SoundPlayers.h"
#include "engines/SpeechEngines.h"

#include <QStringList>

#include <functional>

// Deterministic engines that write every call to one shared log, so that tests of the
// speech operations see the order of calls across engines.

class FakeVoiceEngine : public VoiceEngine
{
public:
    FakeVoiceEngine(QString name, QStringList descriptions, QStringList *log)
        : descriptions(std::move(descriptions)), m_name(std::move(name)), m_log(log) {}

    int VoiceCount() override { return countOverride.value_or(int(descriptions.size())); }
    std::optional<QString> VoiceDescription(int index) override
    {
        if (index < 0 || index >= descriptions.size() || index == failingDescription)
            return std::nullopt;
        return descriptions.at(index);
    }
    bool SelectVoice(int index) override { return Note(QStringLiteral("voice:%1").arg(index), index >= 0 && index < descriptions.size()); }
    bool SetRate(int rate) override { return Note(QStringLiteral("rate:%1").arg(rate)); }
    using VoiceEngine::Speak;
    bool Speak(const QString &text, quint64) override { return Note(QStringLiteral("speak:") + text); }
    bool WaitUntilDone() override { return Note(QStringLiteral("wait")); }
    bool Skip() override { return Note(QStringLiteral("skip")); }

    QStringList descriptions;
    std::optional<int> countOverride;
    int failingDescription = -1;

private:
    bool Note(const QString &call, bool result = true)
    {
        *m_log << m_name + QLatin1Char(':') + call;
        return result;
    }
    QString m_name;
    QStringList *m_log;
};

class FakeUpctvLibrary : public UpctvLibrary
{
public:
    explicit FakeUpctvLibrary(QStringList *log) : m_log(log) {}

    bool Load() override
    {
        *m_log << QStringLiteral("upctv:load");
        m_loaded = loadable;
        return m_loaded;
    }
    void Unload() override
    {
        *m_log << QStringLiteral("upctv:unload");
        m_loaded = false;
    }
    bool Loaded() const override { return m_loaded; }
    bool Read(const QByteArray &text) override
    {
        if (!Note(QStringLiteral("read:") + QString::fromLatin1(text)))
            return false;
        statusPolls = 0;
        speaking = true;
        return true;
    }
    bool Stop() override
    {
        speaking = false;
        return Note(QStringLiteral("stop"));
    }
    bool SetLanguage(int language) override { return Note(QStringLiteral("language:%1").arg(language)); }
    bool SetSpeed(int speed) override { return Note(QStringLiteral("speed:%1").arg(speed)); }
    bool SetSpeaker(int speaker) override { return Note(QStringLiteral("speaker:%1").arg(speaker)); }
    std::optional<std::pair<int, int>> HeardWord() override { return heardWord; }
    bool SynthesizerMissing() override { return synthesizerMissing; }
    std::optional<int> Status(int) override
    {
        if (!m_loaded)
            return std::nullopt;
        ++statusPolls;
        if (speaking && statusPolls > busyPolls)
            speaking = false;
        if (onStatus)
            onStatus();
        return speaking ? 1 : 0;
    }

    bool loadable = true;
    bool synthesizerMissing = false;
    std::optional<std::pair<int, int>> heardWord; // byte place and length
    bool speaking = false;
    int busyPolls = 0;     // polls that still report speech after a read
    int statusPolls = 0;
    std::function<void()> onStatus;

private:
    bool Note(const QString &call)
    {
        if (!m_loaded)
            return false;
        *m_log << QStringLiteral("upctv:") + call;
        return true;
    }
    QStringList *m_log;
    bool m_loaded = false;
};

class FakeWavePlayer : public WavePlayer
{
public:
    explicit FakeWavePlayer(QStringList *log) : m_log(log) {}
    bool Play(const QString &fileName, bool synchronous) override
    {
        *m_log << (synchronous ? QStringLiteral("wave:play-sync:") : QStringLiteral("wave:play:")) + fileName;
        return true;
    }
    void Stop() override { *m_log << QStringLiteral("wave:stop"); }

private:
    QStringList *m_log;
};

class FakeMediaPlayer : public MediaPlayer
{
public:
    explicit FakeMediaPlayer(QStringList *log) : m_log(log) {}
    void Close() override { *m_log << QStringLiteral("media:close"); }
    bool Open(const QString &fileName) override
    {
        *m_log << QStringLiteral("media:open:") + fileName;
        return true;
    }
    bool Play(bool wait) override
    {
        *m_log << (wait ? QStringLiteral("media:play-wait") : QStringLiteral("media:play"));
        return true;
    }

private:
    QStringList *m_log;
};

// Windows found by title in a fixed list; messages, close requests and Enter go to the
// shared log.
class LoggedDesktopWindows : public DesktopWindows
{
public:
    explicit LoggedDesktopWindows(QStringList *log) : m_log(log) {}
    QString FindWindowByTitle(const QString &part) override
    {
        if (part.isEmpty())
            return QString();
        for (int i = 0; i < titles.size(); ++i) {
            if (!titles.at(i).isEmpty() && titles.at(i).contains(part, Qt::CaseSensitive))
                return QStringLiteral("window%1").arg(i);
        }
        return QString();
    }
    bool WindowExists(const QString &window) override
    {
        for (int i = 0; i < titles.size(); ++i)
            if (window == QStringLiteral("window%1").arg(i))
                return true;
        return false;
    }
    bool SendWindowMessage(const QString &window, int message) override
    {
        *m_log << QStringLiteral("desktop:message:%1:%2").arg(window).arg(message);
        return true;
    }
    bool RequestClose(const QString &window) override
    {
        *m_log << QStringLiteral("desktop:close:") + window;
        return true;
    }
    bool SendEnter(const QString &window) override
    {
        *m_log << QStringLiteral("desktop:enter:") + window;
        return true;
    }

    QStringList titles;

private:
    QStringList *m_log;
};
