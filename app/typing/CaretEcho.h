#pragma once

#include "speech/SpeechOperations.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>

class ActivityGate;
class QAction;
class QPlainTextEdit;
class SettingsStore;

// Says where the caret went and what was deleted, for a reader who does not see the
// text: Backspace and Delete the character removed, Left and Right the character
// reached, Ctrl+Left and Ctrl+Right the word, Up, Down, Home, End and the page keys the
// line. Each echo cuts the one before it, never a reading of the document. Switched by
// "Llegir en moure el cursor" in "&Opcions", off unless stored on.
class CaretEcho : public QObject
{
    Q_OBJECT
public:
    CaretEcho(QPlainTextEdit *edit, SettingsStore &settings, SpeechOperations &speech, QObject *parent = nullptr);

    void SetInterfaceLanguage(std::function<int()> language) { m_interfaceLanguage = std::move(language); }
    void SetActivityGate(ActivityGate *gate) { m_gate = gate; }
    // The check item that switches the echo; do not connect its toggled() yourself.
    void BindMenuItem(QAction *item);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

    // What an echo says of a text removed or reached, in the interface language: blanks
    // and line breaks by name.
    static QString Spoken(const QString &text, int language);
    // What it says of a line: the line, or that it is blank.
    static QString SpokenLine(const QString &line, int language);

public slots:
    // A reading of the document is under way until it ends; no echo cuts it.
    void ReadingAloud(UtteranceId utterance);
    void ReadingEnded(UtteranceId utterance);
    // Everything said was silenced.
    void SpeechStopped();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Move { Character, Word, Line, Removal };
    // The editor as it stood when the key came.
    struct Before
    {
        Move move = Move::Character;
        int position = 0;
        int length = 0;
        int textStart = 0;
        QString text; // the document around the caret and the selection
    };
    void Remember(Move move);
    // Once the editor has handled the key: says what it did, if anything.
    void EchoKey();
    QString LineAtCaret() const;
    QString WordAtCaret() const;
    void Say(const QString &text);
    int Language() const;

    QPointer<QPlainTextEdit> m_edit;
    SettingsStore &m_settings;
    SpeechOperations &m_speech;
    std::function<int()> m_interfaceLanguage;
    ActivityGate *m_gate = nullptr;
    QPointer<QAction> m_item;
    bool m_enabled = false;
    bool m_waiting = false;
    Before m_before;
    UtteranceId m_lastEcho = 0;
    QSet<UtteranceId> m_readings;
};

