#include "app/typing/LetterEcho.h"

namespace
{
constexpr int kPatienceMs = 3000;
} // namespace

LetterEcho::LetterEcho(SpeechOperations &speech, QObject *parent)
    : QObject(parent)
    , m_speech(speech)
{
    m_patience.setSingleShot(true);
    m_patience.setInterval(kPatienceMs);
    connect(&m_patience, &QTimer::timeout, this, [this] {
        m_outstanding.clear();
        SpeakWaiting();
    });
}

void LetterEcho::Letter(const QString &text)
{
    if (!m_following || m_outstanding.isEmpty()) {
        m_waiting.clear();
        SpeakNow(text);
        return;
    }
    m_waiting = text;
    if (!m_patience.isActive())
        m_patience.start();
}

void LetterEcho::Queued(UtteranceId utterance)
{
    m_waiting.clear();
    if (m_following && utterance != 0)
        m_outstanding.insert(utterance);
}

void LetterEcho::Stopped()
{
    m_waiting.clear();
    m_outstanding.clear();
    m_patience.stop();
}

void LetterEcho::ReadingEnded(UtteranceId utterance)
{
    if (!m_outstanding.remove(utterance) || !m_outstanding.isEmpty())
        return;
    SpeakWaiting();
}

void LetterEcho::SpeakWaiting()
{
    m_patience.stop();
    if (!m_waiting.isEmpty())
        SpeakNow(std::exchange(m_waiting, QString()));
}

void LetterEcho::SpeakNow(const QString &text)
{
    // The number comes before anything is heard, also from a voice that speaks to the
    // end before it returns.
    m_speech.SpeakText(text, [this](UtteranceId id) {
        if (m_following)
            m_outstanding.insert(id);
    });
}
