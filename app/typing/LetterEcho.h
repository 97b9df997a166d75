#pragma once

#include "speech/SpeechOperations.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

// The echo of typed letters, kept up with fast typing: a letter is handed to the voice
// only once what the editor said before it has been heard, and a letter still waiting
// when a newer key comes is dropped, so the echo trails the typing by one letter at
// most. Words, lines and readings are never dropped: they queue as they always did.
class LetterEcho : public QObject
{
    Q_OBJECT
public:
    explicit LetterEcho(SpeechOperations &speech, QObject *parent = nullptr);

    // Told of the ends of readings from now on; until then every letter queues at once.
    void FollowSpeechNews() { m_following = true; }

    // A letter typed, spoken now or once the voice is free.
    void Letter(const QString &text);
    // Another text of the editor's was handed to the voice: it is heard first, and a
    // letter typed before it has gone stale.
    void Queued(UtteranceId utterance);
    // A newer key was typed: a letter still waiting is stale.
    void NewerKey() { m_waiting.clear(); }
    // The speech was silenced: nothing waits and nothing is being heard.
    void Stopped();

public slots:
    void ReadingEnded(UtteranceId utterance);

private:
    void SpeakNow(const QString &text);
    void SpeakWaiting();

    SpeechOperations &m_speech;
    bool m_following = false;
    QSet<UtteranceId> m_outstanding;
    QString m_waiting;
    // A voice that never tells of an end (a sound file played) must not keep a letter
    // waiting for ever: after this long it queues as it would have.
    QTimer m_patience;
};
