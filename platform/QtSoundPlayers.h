#pragma once

#include "platform/SoundPlayers.h"

#include <QObject>
#include <QString>

#include <memory>

class QAudioOutput;
class QMediaPlayer;
class WorkerThread;

// Plays sound files through Qt Multimedia. A synchronous play waits in a local event
// loop that ignores user input, ending on the end of the media, a stop, an error, or
// the file's duration plus a margin.
class QtSoundFilePlayer : public QObject
{
    Q_OBJECT
public:
    explicit QtSoundFilePlayer(QObject *parent = nullptr);
    ~QtSoundFilePlayer() override;

    bool Open(const QString &fileName);
    bool Play(bool wait);
    void Stop();
    void Close();

private:
    void Ensure();
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
};

class QtWavePlayer : public WavePlayer
{
public:
    bool Play(const QString &fileName, bool synchronous) override;
    void Stop() override;

private:
    QtSoundFilePlayer m_player;
};

class QtMediaPlayer : public MediaPlayer
{
public:
    void Close() override;
    bool Open(const QString &fileName) override;
    bool Play(bool wait) override;

private:
    QtSoundFilePlayer m_player;
};

// Streams samples to the default sound device on a thread of its own. With no sound
// server nothing is audible and everything written is dropped at once.
class QtPcmOutput : public PcmOutput
{
public:
    QtPcmOutput();
    ~QtPcmOutput() override;

    bool Audible() const override;
    void Begin(int sampleRate) override;
    bool Write(const int16_t *samples, int count) override;
    void End() override;
    void Flush() override;
    bool WaitFinished(int timeoutMs) override;
    void Mark(int samplesAhead, std::function<void()> heard) override;

    struct Stream;
    class Sink;
    // How much sound, at most, waits to be heard before Write holds its caller.
    static constexpr int kMostQueuedSeconds = 20;

private:
    // False once the stream was flushed.
    bool WaitForRoom();

    std::shared_ptr<Stream> m_stream;
    std::unique_ptr<WorkerThread> m_thread;
    Sink *m_sink = nullptr; // lives on m_thread
    bool m_audible = false;
};
