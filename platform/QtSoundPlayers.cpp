#include "platform/QtSoundPlayers.h"

#include "core/WaitWithEvents.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>

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
