#pragma once

// The reading triggers: what the user does in the editor and on the toolbar becomes
// speech requests (typing echo, word on space, line on full stop, selection on mouse-up,
// F7/Esc/F8/F9/F10/F11, read all, word by word, stop).
//
// What the main window does to wire them, in this order:
//   1. OneHandKeyboard oneHand(Edit, settings, speechWindowOptions);
//      oneHand.BindMenuItem(MenuTeclatAmbUnaMa);   // the "Teclat amb una ma" QAction;
//                                                  // do not connect its triggered() yourself
//      oneHand.Start();        // loads the table and the stored switch, installs the filter
//      connect(&oneHand, &OneHandKeyboard::settingsWriteFailed, ...message box...);
//      The speech window's CheckBoxEspai takes oneHand as its OneHandSwitch.
//   2. ReadingTriggers triggers(Edit, speech, speechWindowOptions, oneHand);
//      triggers.SetFontCommand([]{ ...MenuFontClick... });      // right-button release
//      triggers.SetShowSpeechWindow([]{ FormTTS.exec(); });      // modal speech window
//      triggers.ConnectToolbar({ButtonLectura, SpeedButtonParaulaPerParaula, ButtonParar,
//                               SpeedButtonMenu});  // also makes them take no focus
//      triggers.SetOneWordBox(CheckBoxNomesUnParaula);
//   3. Other commands that must silence the editor first call triggers.ButtonPararClick().
// The editor gets no context menu (a right-button release opens the font dialog), and its
// key and mouse events are filtered here; the window needs no key handlers of its own.

#include "app/typing/ActivityGate.h"
#include "app/typing/LetterEcho.h"
#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReadingSession.h"
#include "speech/SpeechOperations.h"

#include <QEvent>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <functional>
#include <memory>

class QAbstractButton;
class QCheckBox;
class QKeyEvent;
class QMouseEvent;
class QPlainTextEdit;
class ReadingOptions;
struct PendingSyntheticKeys;

class ReadingTriggers : public QObject
{
    Q_OBJECT
public:
    struct ToolbarButtons
    {
        QAbstractButton *lectura = nullptr;           // "Read all or selected text"
        QAbstractButton *paraulaPerParaula = nullptr; // "Read word by word"
        QAbstractButton *parar = nullptr;             // "Stop"
        QAbstractButton *menu = nullptr;              // "Menu options"
    };

    ReadingTriggers(QPlainTextEdit *edit, SpeechOperations &speech, ReadingOptions &options,
                    OneHandKeyboard &oneHand, QObject *parent = nullptr);
    ~ReadingTriggers() override;

    void SetFontCommand(std::function<void()> fontCommand) { m_fontCommand = std::move(fontCommand); }
    // Asked first on a right-button release at a point of the viewport; true when it
    // took the click (a menu of its own), so that the font dialog stays closed.
    void SetRightClick(std::function<bool(const QPoint &)> rightClick) { m_rightClick = std::move(rightClick); }
    void SetShowSpeechWindow(std::function<void()> show) { m_showSpeechWindow = std::move(show); }
    void ConnectToolbar(const ToolbarButtons &buttons);
    void SetOneWordBox(QCheckBox *checkBoxNomesUnParaula);
    // The program's gate, asked before anything is spoken or a window opened, and told
    // while word-by-word reading runs; the triggers keep one of their own until given it.
    void SetActivityGate(ActivityGate &gate)
    {
        m_gate = &gate;
        m_session.SetActivityGate(gate);
    }
    ActivityGate &Gate() const { return *m_gate; }

    // The text of the line holding the caret, as the editor lays it out (a wrapped
    // paragraph gives only its display line), without its line break.
    QString CurrentLine() const;

    // The echo of typed letters; the speech's news of ended readings go to it.
    LetterEcho &Echo() { return m_letterEcho; }
    // The reading the keys, buttons and reader's menu items command; the speech's news
    // go to it.
    ReadingSession &Session() { return m_session; }

    bool WordPending() const { return m_wordPending; }
    bool WordByWordRunning() const { return m_session.WordByWordRunning(); }
    // The pause between words of word-by-word reading, in tenths of a second.
    int WordPause() const { return m_session.WordPause(); }
    void SetWordPause(int tenths) { m_session.SetWordPause(tenths); }

    // The reader of a picture on the clipboard (recognised off the GUI thread), and how
    // its text is read once it comes, as F9 reads text.
    void SetClipboardPictureReader(std::function<void(const QImage &)> reader) { m_readPicture = std::move(reader); }
    void SayClipboardText(const QString &text);

signals:
    // The word just typed was handed to the speech as that reading.
    void wordEchoed(UtteranceId utterance, const QString &word);

public slots:
    void ButtonLecturaClick();
    void ButtonPararClick();
    // F9: stops reading and speaks the clipboard's text; a picture without text goes to
    // the picture reader, whose text comes back through SayClipboardText.
    void ReadClipboard();
    void SpeedButtonParaulaPerParaulaClick();
    void SpeedButtonMenuClick();
    void CheckBoxNomesUnParaulaClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void EditKeyPress(const QString &typed);
    void EditKeyDown(const QKeyEvent &event);
    void EditKeyUp(const QKeyEvent &event);
    void EditMouseUp(const QMouseEvent &event);
    void StartWordOnSpace();
    void SelectBackToBlank();
    bool OneWordOnly() const;
    bool MaySpeak() const { return m_gate->MayStart(ActivityGate::Start::Speech); }

    QString SelectedText() const;
    int SelectionStart() const;
    // With the one-hand keyboard on, key releases never reach the editor: the reader's
    // keys act as they go down. True when the key was one of them.
    bool ReaderKeyDown(const QKeyEvent &event);
    // A reader's command to the session, from the event loop once the key is handled.
    void QueueReaderCommand(void (ReadingSession::*command)());
    QString WholeText() const;
    void QueueSpeak(const QString &text);
    // Speaks an echo or a text that is not the document's.
    void Say(const QString &text);
    void QueueCall(std::function<void()> call);
    void SendKey(QEvent::Type type, int virtualKey, Qt::KeyboardModifiers modifiers);
    void SendRight();

    // Real key events that arrive while sent keys still move the selection wait behind
    // them, so typing never lands inside a selection the triggers or the reading made.
    bool HoldingTyping() const;
    void DeferTyping(QEvent *event);
    void ScheduleReplay();
    void ReplayTyping();

    QPointer<QPlainTextEdit> m_edit;
    QPointer<QObject> m_viewport;
    SpeechOperations &m_speech;
    ReadingOptions &m_options;
    OneHandKeyboard &m_oneHand;
    QPointer<QCheckBox> m_oneWordBox;
    std::function<void()> m_fontCommand;
    std::function<bool(const QPoint &)> m_rightClick;
    std::function<void()> m_showSpeechWindow;
    ActivityGate m_ownGate;
    ActivityGate *m_gate = &m_ownGate;

    // F7 to F12 and Esc pressed in the editor and not yet released, with the
    // modifiers they were pressed with.
    QHash<int, Qt::KeyboardModifiers> m_pressedStopKeys;
    bool m_wordPending = false;
    std::function<void(const QImage &)> m_readPicture;

    std::shared_ptr<PendingSyntheticKeys> m_pendingKeys;
    QList<QEvent *> m_deferred;
    bool m_replayScheduled = false;
    bool m_replaying = false;
    LetterEcho m_letterEcho;
    ReadingSession m_session;
};
