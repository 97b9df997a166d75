#include "platform/QtSoundPlayers.h"

#include "core/WaitWithEvents.h"
#include "platform/WorkerThread.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QAudioSink>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

#include <condition_variable>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>

namespace {

// How long past a file's duration a synchronous play may last, and how long a file
// whose duration never becomes known may take.
constexpr int kMarginMs = 2000;
constexpr int kUnknownDurationMs = 10000;

} // namespace

QtSoundFilePlayer::QtSoundFilePlayer(QObject *parent) : QObject(parent) {}

QtSoundFilePlayer::~QtSoundFilePlayer() = default;

void QtSoundFilePlayer::Ensure()
{
    if (m_player)
        return;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
}

bool QtSoundFilePlayer::Open(const QString &fileName)
{
    Ensure();
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return m_player->error() == QMediaPlayer::NoError;
}

bool QtSoundFilePlayer::Play(bool wait)
{
    Ensure();
    if (m_player->source().isEmpty())
        return false;
    m_player->play();
    if (!wait)
        return m_player->error() == QMediaPlayer::NoError;

    WaitEnd over;
    QTimer limit;
    limit.setSingleShot(true);
    over.On(&limit, &QTimer::timeout);
    over.On(m_player, &QMediaPlayer::errorOccurred);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, &over, [&over](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
            over.Done();
    });
    connect(m_player, &QMediaPlayer::playbackStateChanged, &over, [&over](QMediaPlayer::PlaybackState state) {
        if (state == QMediaPlayer::StoppedState)
            over.Done();
    });
    connect(m_player, &QMediaPlayer::durationChanged, &over, [&](qint64 duration) {
        if (duration > 0)
            limit.start(int(qMin<qint64>(duration - m_player->position(), 24 * 3600 * 1000)) + kMarginMs);
    });
    const qint64 duration = m_player->duration();
    limit.start(duration > 0 ? int(duration) + kMarginMs : kUnknownDurationMs);
    if (m_player->playbackState() == QMediaPlayer::PlayingState && m_player->error() == QMediaPlayer::NoError)
        WaitWithEvents(-1, over, WaitInput::Held);
    const bool ended = m_player->mediaStatus() == QMediaPlayer::EndOfMedia;
    if (!ended)
        m_player->stop();
    return ended;
}

void QtSoundFilePlayer::Stop()
{
    if (m_player)
        m_player->stop();
}

void QtSoundFilePlayer::Close()
{
    if (!m_player)
        return;
    m_player->stop();
    m_player->setSource(QUrl());
}

bool QtWavePlayer::Play(const QString &fileName, bool synchronous)
{
    return m_player.Open(fileName) && m_player.Play(synchronous);
}

void QtWavePlayer::Stop()
{
    m_player.Stop();
}

void QtMediaPlayer::Close()
{
    m_player.Close();
}

bool QtMediaPlayer::Open(const QString &fileName)
{
    return m_player.Open(fileName);
}

bool QtMediaPlayer::Play(bool wait)
{
    return m_player.Play(wait);
}

// --- Sample stream --------------------------------------------------------------

namespace {

// Qt 6.4's PulseAudio sink plays nothing with a buffer of 50 ms; from 80 ms on it
// plays. The buffer is also the latency of a new sound.
constexpr int kBufferMs = 100;
// How long after the last sample left for the server the sound is still on its way
// to the speakers: the sink's buffer and the server's own.
constexpr int kTailMs = 2 * kBufferMs + 60;
constexpr std::chrono::milliseconds kCallLimit{3000};
// How often the sink is topped up while a stream plays.
constexpr int kFeedMs = 10;

} // namespace

struct QtPcmOutput::Stream
{
    std::mutex mutex;
    std::condition_variable changed;
    QByteArray queued;
    qsizetype head = 0;       // bytes of queued already handed to the device
    bool ended = true;
    bool drained = true;      // an ended stream was handed to the sink whole
    bool finished = true;
    bool flushed = false;
    int sampleRate = 22050;
    quint64 number = 0;       // raised by every new stream and every flush
    qint64 written = 0;       // bytes of this stream written, and handed to the device
    qint64 handed = 0;
    // Calls waiting for the sound to be heard up to a byte of the stream, in order.
    std::deque<std::pair<qint64, std::function<void()>>> marks;

    qsizetype Pending() const { return queued.size() - head; }
    void Clear()
    {
        queued.clear();
        head = 0;
        written = 0;
        handed = 0;
        marks.clear();
    }
    void Finish()
    {
        finished = true;
        changed.notify_all();
    }
    // Takes the marks that lie at or before the byte; they are called without the lock.
    std::vector<std::function<void()>> TakeMarks(qint64 upTo)
    {
        std::vector<std::function<void()>> due;
        while (!marks.empty() && marks.front().first <= upTo) {
            due.push_back(std::move(marks.front().second));
            marks.pop_front();
        }
        return due;
    }
};

namespace {

void CallAll(const std::vector<std::function<void()>> &calls)
{
    for (const std::function<void()> &call : calls)
        call();
}

} // namespace

// Lives on the output's thread: owns the sink, pushes the queued samples into it as
// soon as they come and as room frees, and tells the stream when its sound has been
// heard. Pushing (rather than letting the sink pull on its 20 ms timer) lets a typed
// letter be heard as soon as it is rendered.
class QtPcmOutput::Sink : public QObject
{
public:
    Sink(std::shared_ptr<Stream> stream, QObject *parent) : QObject(parent), m_stream(std::move(stream))
    {
        m_tail.setSingleShot(true);
        QObject::connect(&m_tail, &QTimer::timeout, this, [this] { TailPlayed(); });
        m_feed.setInterval(kFeedMs);
        QObject::connect(&m_feed, &QTimer::timeout, this, [this] { Feed(); });
    }

    void Start(int sampleRate)
    {
        m_tail.stop();
        if (!m_sink) {
            // A sink of its own for each stream: Qt's PulseAudio sink does not always
            // start again once stopped, and a new stream starts playing at once.
            QAudioFormat format;
            format.setSampleRate(sampleRate);
            format.setChannelCount(1);
            format.setSampleFormat(QAudioFormat::Int16);
            m_sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
            m_sink->setBufferSize(sampleRate * kBufferMs / 1000 * 2);
            QObject::connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) { StateChanged(state); });
            m_push = m_sink->start();
            if (!m_push || m_sink->error() != QAudio::NoError) {
                Release();
                FinishUnheard();
                return;
            }
            m_feed.start();
        }
        Feed();
    }

    // Hands the sink as much of the queue as it has room for.
    void Feed()
    {
        CallHeardMarks();
        while (m_sink && m_push) {
            const qint64 room = m_sink->bytesFree() & ~qint64(1);
            if (room <= 0)
                return;
            QByteArray chunk;
            bool drainedNow = false;
            {
                std::lock_guard lock(m_stream->mutex);
                const qint64 n = qMin<qint64>(room, m_stream->Pending()) & ~qint64(1);
                if (n > 0) {
                    chunk = m_stream->queued.mid(m_stream->head, n);
                    m_stream->head += n;
                    m_stream->handed += n;
                    m_stream->changed.notify_all(); // a writer may wait for room
                    // Drop what was played once it is the larger part, so feeding stays cheap.
                    if (m_stream->head > m_stream->queued.size() / 2) {
                        m_stream->queued.remove(0, m_stream->head);
                        m_stream->head = 0;
                    }
                } else if (m_stream->ended && !m_stream->drained) {
                    m_stream->drained = true;
                    drainedNow = true;
                    m_tailStream = m_stream->number;
                }
            }
            if (chunk.isEmpty()) {
                if (drainedNow)
                    m_tail.start(kTailMs);
                return;
            }
            if (m_push->write(chunk) <= 0)
                return;
        }
    }

    // Silences the device and lets the sink go; the stream's state is the caller's.
    void Release()
    {
        m_tail.stop();
        m_feed.stop();
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->reset();
            m_sink->stop();
            m_sink->deleteLater();
            m_sink = nullptr;
        }
        m_push = nullptr;
    }

private:
    // What has left the sink's buffer for the server is taken as heard: the server's
    // own latency is a few milliseconds on a desktop.
    void CallHeardMarks()
    {
        if (!m_sink)
            return;
        const qint64 buffered = qMax<qint64>(0, m_sink->bufferSize() - m_sink->bytesFree());
        std::vector<std::function<void()>> due;
        {
            std::lock_guard lock(m_stream->mutex);
            if (m_stream->marks.empty())
                return;
            due = m_stream->TakeMarks(m_stream->handed - buffered);
        }
        CallAll(due);
    }

    void StateChanged(QAudio::State state)
    {
        // Stopped by the server (it went away), not by us: nothing more is heard.
        if (state == QAudio::StoppedState)
            FinishUnheard();
    }

    // The stream ends without more sound: whoever waits for a mark learns it is over.
    void FinishUnheard()
    {
        std::vector<std::function<void()>> over;
        {
            std::lock_guard lock(m_stream->mutex);
            m_stream->Finish();
            over = m_stream->TakeMarks(std::numeric_limits<qint64>::max());
        }
        CallAll(over);
    }

    // The last samples have reached the speakers, unless a new stream began meanwhile.
    void TailPlayed()
    {
        std::vector<std::function<void()>> heard;
        {
            std::lock_guard lock(m_stream->mutex);
            if (m_stream->number != m_tailStream || !m_stream->ended || m_stream->Pending() > 0)
                return;
            m_stream->Finish();
            heard = m_stream->TakeMarks(std::numeric_limits<qint64>::max());
        }
        CallAll(heard);
        // A stream begun from here on starts a new sink.
        Release();
    }

    std::shared_ptr<Stream> m_stream;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_push = nullptr; // owned by m_sink
    QTimer m_tail;
    QTimer m_feed;
    quint64 m_tailStream = 0;
};

QtPcmOutput::QtPcmOutput() : m_stream(std::make_shared<Stream>())
{
    m_audible = !QMediaDevices::audioOutputs().isEmpty();
    if (!m_audible)
        return;
    m_thread = std::make_unique<WorkerThread>(QStringLiteral("sound output"));
    std::shared_ptr<Stream> stream = m_stream;
    QObject *context = m_thread->Context();
    m_sink = m_thread->Call<Sink *>([stream, context] { return new Sink(stream, context); }, kCallLimit).value_or(nullptr);
    m_audible = m_sink != nullptr;
}

QtPcmOutput::~QtPcmOutput()
{
    if (!m_sink)
        return;
    Sink *sink = m_sink;
    m_thread->Call<bool>([sink] { sink->Release(); return true; }, kCallLimit);
    m_thread.reset();
}

bool QtPcmOutput::Audible() const
{
    return m_audible;
}

void QtPcmOutput::Begin(int sampleRate)
{
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->flushed = false;
        m_stream->ended = !m_audible;
        m_stream->drained = false;
        if (!m_audible)
            return;
        if (m_stream->finished || m_stream->sampleRate != sampleRate) {
            m_stream->Clear();
            ++m_stream->number;
        }
        m_stream->finished = false;
        m_stream->sampleRate = sampleRate;
    }
    Sink *sink = m_sink;
    m_thread->Post([sink, sampleRate] { sink->Start(sampleRate); });
}

bool QtPcmOutput::Write(const int16_t *samples, int count)
{
    bool first;
    {
        std::lock_guard lock(m_stream->mutex);
        if (m_stream->flushed)
            return false;
        if (!m_audible)
            return true;
        first = m_stream->Pending() == 0;
        m_stream->queued.append(reinterpret_cast<const char *>(samples), qsizetype(count) * 2);
        m_stream->written += qint64(count) * 2;
    }
    // The first samples go to the sink at once; the rest as its room frees.
    if (!first)
        return WaitForRoom();
    Sink *sink = m_sink;
    m_thread->Post([sink] { sink->Feed(); });
    return true;
}

bool QtPcmOutput::WaitForRoom()
{
    // A long text renders many times faster than it is heard: the writer is held while
    // more than a while of sound waits, so a book read aloud takes no more memory
    // than a page. A flush, a new stream or the end of this one lets it go.
    std::unique_lock lock(m_stream->mutex);
    const qint64 most = qint64(m_stream->sampleRate) * 2 * kMostQueuedSeconds;
    const quint64 number = m_stream->number;
    while (m_stream->Pending() > most && !m_stream->flushed && !m_stream->finished && m_stream->number == number)
        m_stream->changed.wait_for(lock, std::chrono::milliseconds(200));
    return !m_stream->flushed;
}

void QtPcmOutput::End()
{
    std::lock_guard lock(m_stream->mutex);
    m_stream->ended = true;
    if (!m_audible || m_stream->flushed)
        m_stream->Finish();
}

void QtPcmOutput::Flush()
{
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->Clear();
        ++m_stream->number;
        m_stream->flushed = true;
        m_stream->ended = true;
        m_stream->Finish();
    }
    if (m_audible) {
        Sink *sink = m_sink;
        m_thread->Post([sink] { sink->Release(); });
    }
}

void QtPcmOutput::Mark(int samplesAhead, std::function<void()> heard)
{
    {
        std::lock_guard lock(m_stream->mutex);
        if (m_audible && !m_stream->flushed && !m_stream->finished) {
            const qint64 at = m_stream->written + qint64(samplesAhead) * 2;
            auto place = m_stream->marks.end();
            while (place != m_stream->marks.begin() && std::prev(place)->first > at)
                --place;
            m_stream->marks.insert(place, {at, std::move(heard)});
            return;
        }
        if (m_stream->flushed)
            return;
    }
    // Nothing plays: what was written is as heard as it will ever be.
    heard();
}

bool QtPcmOutput::WaitFinished(int timeoutMs)
{
    std::unique_lock lock(m_stream->mutex);
    return m_stream->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_stream->finished; });
}
