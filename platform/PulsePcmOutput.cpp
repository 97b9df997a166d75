#include "platform/QtSoundPlayers.h"

#include "platform/WorkerThread.h"

#include <QTimer>

#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>

namespace {

// What the server holds for us at most: the latency of a sound that follows another.
constexpr int kBufferMs = 100;
// How much must wait before the server starts playing (a new sound's latency); a
// shorter sound starts when its stream ends.
constexpr int kStartMs = 20;
// How long after the server last said how much it holds the sound may still be on its
// way to the speakers.
constexpr int kTailMarginMs = 60;
constexpr std::chrono::milliseconds kCallLimit{3000};
// How long the sound server may take to answer a connection or a new stream.
constexpr pa_usec_t kConnectLimitUs = 2000 * PA_USEC_PER_MSEC;
// How often the server is topped up while a stream plays.
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

// Lives on the output's thread: owns the connection to the sound server (through
// libpulse, which PulseAudio and PipeWire's PulseAudio interface both serve), pushes
// the queued samples to the server as soon as they come and as room frees, and tells
// the stream when its sound has been heard. Pushing lets a typed letter be heard as
// soon as it is rendered. A server that goes away ends the stream unheard; the next
// stream connects again, so a restarted server is heard from the next reading on.
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

    ~Sink() override
    {
        Release();
        Disconnect();
    }

    // Connects to the sound server; false when none answers.
    bool Connect()
    {
        if (m_context) {
            PulseLock lock(m_loop);
            if (pa_context_get_state(m_context) == PA_CONTEXT_READY)
                return true;
        }
        Disconnect();
        m_loop = pa_threaded_mainloop_new();
        if (!m_loop || pa_threaded_mainloop_start(m_loop) < 0) {
            Disconnect();
            return false;
        }
        {
            PulseLock lock(m_loop);
            m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Tolvanet Corvalida");
            if (!m_context)
                return false;
            pa_context_set_state_callback(m_context, &Sink::Signal, m_loop);
            if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
                return false;
        }
        return WaitUntil([this] {
            const pa_context_state_t state = pa_context_get_state(m_context);
            return state == PA_CONTEXT_READY ? 1 : PA_CONTEXT_IS_GOOD(state) ? 0 : -1;
        });
    }

    void Start(int sampleRate)
    {
        m_tail.stop();
        if (!m_pulse) {
            // A stream of its own for each stream of samples: it starts playing as soon
            // as its first samples are there.
            if (!Connect() || !Open(sampleRate)) {
                Release();
                FinishUnheard();
                return;
            }
            m_feed.start();
        }
        Feed();
    }

    // Hands the server as much of the queue as it has room for.
    void Feed()
    {
        if (!m_pulse)
            return;
        if (!StillPlaying()) {
            // The server went away: nothing more is heard.
            Release();
            FinishUnheard();
            return;
        }
        CallHeardMarks();
        PulseLock lock(m_loop);
        const qint64 room = qint64(pa_stream_writable_size(m_pulse)) & ~qint64(1);
        if (room <= 0)
            return;
        bool drainedNow = false;
        {
            std::lock_guard streamLock(m_stream->mutex);
            const qint64 n = qMin<qint64>(room, m_stream->Pending()) & ~qint64(1);
            if (n > 0) {
                pa_stream_write(m_pulse, m_stream->queued.constData() + m_stream->head, size_t(n), nullptr, 0,
                                PA_SEEK_RELATIVE);
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
        if (drainedNow) {
            // A sound shorter than the start threshold plays now.
            if (pa_operation *op = pa_stream_trigger(m_pulse, nullptr, nullptr))
                pa_operation_unref(op);
            m_tail.start(int(BufferedBytes() * 1000 / (qint64(m_rate) * 2)) + kTailMarginMs);
        }
    }

    // Silences the device and lets the server's stream go; the stream's state is the caller's.
    void Release()
    {
        m_tail.stop();
        m_feed.stop();
        if (!m_pulse)
            return;
        {
            PulseLock lock(m_loop);
            pa_stream_set_state_callback(m_pulse, nullptr, nullptr);
            pa_stream_disconnect(m_pulse);
            pa_stream_unref(m_pulse);
        }
        m_pulse = nullptr;
    }

private:
    // Holds libpulse's own thread off the connection while in scope.
    struct PulseLock
    {
        explicit PulseLock(pa_threaded_mainloop *loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
        ~PulseLock() { pa_threaded_mainloop_unlock(loop); }
        pa_threaded_mainloop *loop;
    };

    static void Signal(pa_context *, void *loop) { pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0); }
    static void SignalStream(pa_stream *, void *loop) { Signal(nullptr, loop); }

    static void TimeUp(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *expired)
    {
        auto *flag = static_cast<std::pair<pa_threaded_mainloop *, bool> *>(expired);
        flag->second = true;
        pa_threaded_mainloop_signal(flag->first, 0);
    }

    // Waits until state() gives 1 (true) or -1 (false), and no longer than the connect
    // limit: a server that accepts and never answers is as good as none. state is
    // asked under the connection's lock, woken by every change of state.
    template<typename State>
    bool WaitUntil(State state)
    {
        PulseLock lock(m_loop);
        std::pair<pa_threaded_mainloop *, bool> expired{m_loop, false};
        pa_time_event *limit = pa_context_rttime_new(m_context, pa_rtclock_now() + kConnectLimitUs, &Sink::TimeUp,
                                                     &expired);
        int now = state();
        while (now == 0 && !expired.second) {
            pa_threaded_mainloop_wait(m_loop);
            now = state();
        }
        if (limit)
            pa_threaded_mainloop_get_api(m_loop)->time_free(limit);
        return now > 0;
    }

    bool Open(int sampleRate)
    {
        m_rate = sampleRate;
        const pa_sample_spec spec{PA_SAMPLE_S16LE, uint32_t(sampleRate), 1};
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(pa_usec_to_bytes(kBufferMs * PA_USEC_PER_MSEC, &spec));
        attr.prebuf = uint32_t(pa_usec_to_bytes(kStartMs * PA_USEC_PER_MSEC, &spec));
        attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(-1);
        {
            PulseLock lock(m_loop);
            m_pulse = pa_stream_new(m_context, "speech", &spec, nullptr);
            if (!m_pulse)
                return false;
            pa_stream_set_state_callback(m_pulse, &Sink::SignalStream, m_loop);
            const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING
                                                 | PA_STREAM_AUTO_TIMING_UPDATE);
            if (pa_stream_connect_playback(m_pulse, nullptr, &attr, flags, nullptr, nullptr) < 0)
                return false;
        }
        const bool ready = WaitUntil([this] {
            const pa_stream_state_t state = pa_stream_get_state(m_pulse);
            return state == PA_STREAM_READY ? 1 : PA_STREAM_IS_GOOD(state) ? 0 : -1;
        });
        if (ready) {
            PulseLock lock(m_loop);
            if (const pa_buffer_attr *granted = pa_stream_get_buffer_attr(m_pulse))
                m_bufferBytes = granted->tlength;
        }
        return ready;
    }

    bool StillPlaying()
    {
        PulseLock lock(m_loop);
        return pa_context_get_state(m_context) == PA_CONTEXT_READY && pa_stream_get_state(m_pulse) == PA_STREAM_READY;
    }

    // Sound handed to the server and not yet heard. Called with the connection locked.
    qint64 BufferedBytes()
    {
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(m_pulse, &latency, &negative) == 0)
            return negative ? 0 : qint64(latency) * m_rate * 2 / qint64(PA_USEC_PER_SEC);
        return qMax<qint64>(0, qint64(m_bufferBytes) - qint64(pa_stream_writable_size(m_pulse)));
    }

    void Disconnect()
    {
        if (m_loop)
            pa_threaded_mainloop_stop(m_loop);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
            m_context = nullptr;
        }
        if (m_loop) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
        }
    }

    // What the server holds but has not played yet is still to be heard.
    void CallHeardMarks()
    {
        qint64 buffered;
        {
            PulseLock lock(m_loop);
            buffered = BufferedBytes();
        }
        std::vector<std::function<void()>> due;
        {
            std::lock_guard lock(m_stream->mutex);
            if (m_stream->marks.empty())
                return;
            due = m_stream->TakeMarks(m_stream->handed - buffered);
        }
        CallAll(due);
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
        // A stream begun from here on opens a new one at the server.
        Release();
    }

    std::shared_ptr<Stream> m_stream;
    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_pulse = nullptr;
    int m_rate = 22050;
    uint32_t m_bufferBytes = 0;
    QTimer m_tail;
    QTimer m_feed;
    quint64 m_tailStream = 0;
};

QtPcmOutput::QtPcmOutput() : m_stream(std::make_shared<Stream>())
{
    m_thread = std::make_unique<WorkerThread>(QStringLiteral("sound output"));
    std::shared_ptr<Stream> stream = m_stream;
    QObject *context = m_thread->Context();
    // Audible when a sound server answers now; one that comes later is not looked for.
    m_sink = m_thread->Call<Sink *>([stream, context] {
        auto *sink = new Sink(stream, context);
        if (sink->Connect())
            return sink;
        delete sink;
        return static_cast<Sink *>(nullptr);
    }, kCallLimit).value_or(nullptr);
    m_audible = m_sink != nullptr;
}

QtPcmOutput::~QtPcmOutput()
{
    if (!m_sink)
        return;
    Sink *sink = m_sink;
    m_thread->Call<bool>([sink] { delete sink; return true; }, kCallLimit);
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
