#include "platform/QtSoundPlayers.h"

#include "app/WaitWithEvents.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioOutput>
#include <QAudioSink>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <condition_variable>
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

    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    auto finish = [&loop] { loop.quit(); };
    connect(&limit, &QTimer::timeout, &loop, finish);
    connect(m_player, &QMediaPlayer::errorOccurred, &loop, finish);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, &loop, [&](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::InvalidMedia)
            loop.quit();
    });
    connect(m_player, &QMediaPlayer::playbackStateChanged, &loop, [&](QMediaPlayer::PlaybackState state) {
        if (state == QMediaPlayer::StoppedState)
            loop.quit();
    });
    connect(m_player, &QMediaPlayer::durationChanged, &loop, [&](qint64 duration) {
        if (duration > 0)
            limit.start(int(qMin<qint64>(duration - m_player->position(), 24 * 3600 * 1000)) + kMarginMs);
    });
    connect(&AppLifetime::Instance(), &AppLifetime::closing, &loop, finish);
    const qint64 duration = m_player->duration();
    limit.start(duration > 0 ? int(duration) + kMarginMs : kUnknownDurationMs);
    if (m_player->playbackState() == QMediaPlayer::PlayingState && !AppClosing()
        && m_player->error() == QMediaPlayer::NoError)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
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

struct QtPcmOutput::Stream
{
    std::mutex mutex;
    std::condition_variable changed;
    QByteArray queued;
    bool ended = true;
    bool finished = true;
    bool flushed = false;
    int sampleRate = 22050;
};

namespace {

// What the sound device pulls: the queued samples, a little silence while more are
// on their way, and the end once the stream has ended and drained.
class StreamDevice : public QIODevice
{
public:
    explicit StreamDevice(std::shared_ptr<QtPcmOutput::Stream> stream) : m_stream(std::move(stream)) {}

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        std::lock_guard lock(m_stream->mutex);
        const qint64 n = qMin<qint64>(maxSize, m_stream->queued.size()) & ~qint64(1);
        memcpy(data, m_stream->queued.constData(), size_t(n));
        m_stream->queued.remove(0, n);
        if (n > 0 || m_stream->ended)
            return n;
        const qint64 silence = qMin<qint64>(maxSize, m_stream->sampleRate / 100 * 2) & ~qint64(1);
        memset(data, 0, size_t(silence));
        return silence;
    }
    qint64 writeData(const char *, qint64) override { return -1; }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; }

private:
    std::shared_ptr<QtPcmOutput::Stream> m_stream;
};

class SinkWorker : public QObject
{
public:
    explicit SinkWorker(std::shared_ptr<QtPcmOutput::Stream> stream)
        : m_stream(stream), m_device(stream) {}

    void Start(int sampleRate)
    {
        Stop();
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        m_sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), format, this);
        m_sink->setBufferSize(sampleRate / 20 * 2); // 50 ms
        QObject::connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            std::lock_guard lock(m_stream->mutex);
            if ((state == QAudio::IdleState && m_stream->ended && m_stream->queued.isEmpty())
                || state == QAudio::StoppedState) {
                m_stream->finished = true;
                m_stream->changed.notify_all();
            }
        });
        m_device.open(QIODevice::ReadOnly);
        m_sink->start(&m_device);
    }
    void Stop()
    {
        if (m_sink) {
            m_sink->disconnect(this);
            m_sink->reset();
            m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
        }
        m_device.close();
    }

private:
    std::shared_ptr<QtPcmOutput::Stream> m_stream;
    StreamDevice m_device;
    QAudioSink *m_sink = nullptr;
};

} // namespace

QtPcmOutput::QtPcmOutput() : m_stream(std::make_shared<Stream>())
{
    m_audible = !QMediaDevices::audioOutputs().isEmpty();
    if (!m_audible)
        return;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("sound output"));
    m_worker = new SinkWorker(m_stream);
    m_worker->moveToThread(m_thread);
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
}

QtPcmOutput::~QtPcmOutput()
{
    if (!m_thread)
        return;
    auto *worker = static_cast<SinkWorker *>(m_worker);
    QMetaObject::invokeMethod(worker, [worker] { worker->Stop(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
}

bool QtPcmOutput::Audible() const
{
    return m_audible;
}

void QtPcmOutput::Begin(int sampleRate)
{
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->queued.clear();
        m_stream->ended = !m_audible;
        m_stream->finished = !m_audible;
        m_stream->flushed = false;
        m_stream->sampleRate = sampleRate;
    }
    if (m_audible) {
        auto *worker = static_cast<SinkWorker *>(m_worker);
        QMetaObject::invokeMethod(worker, [worker, sampleRate] { worker->Start(sampleRate); }, Qt::QueuedConnection);
    }
}

bool QtPcmOutput::Write(const int16_t *samples, int count)
{
    std::lock_guard lock(m_stream->mutex);
    if (m_stream->flushed)
        return false;
    if (m_audible)
        m_stream->queued.append(reinterpret_cast<const char *>(samples), qsizetype(count) * 2);
    return true;
}

void QtPcmOutput::End()
{
    std::lock_guard lock(m_stream->mutex);
    m_stream->ended = true;
    if (!m_audible || m_stream->flushed) {
        m_stream->finished = true;
        m_stream->changed.notify_all();
    }
}

void QtPcmOutput::Flush()
{
    {
        std::lock_guard lock(m_stream->mutex);
        m_stream->queued.clear();
        m_stream->flushed = true;
        m_stream->ended = true;
        m_stream->finished = true;
        m_stream->changed.notify_all();
    }
    if (m_audible) {
        auto *worker = static_cast<SinkWorker *>(m_worker);
        QMetaObject::invokeMethod(worker, [worker] { worker->Stop(); }, Qt::QueuedConnection);
    }
}

bool QtPcmOutput::WaitFinished(int timeoutMs)
{
    std::unique_lock lock(m_stream->mutex);
    return m_stream->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_stream->finished; });
}
