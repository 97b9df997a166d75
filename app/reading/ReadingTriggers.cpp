#include "app/reading/ReadingTriggers.h"

#include "app/typing/KeyCodes.h"
#include "core/ReadingOptions.h"
#include "speech/SpeechOperations.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace
{
// The editor's own paragraph and line separators are line breaks to everyone else.
QString PlainText(QString text)
{
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}
// F7, Esc, F8, F9, F10 and F11 type nothing; they must stop a word being read at once,
// and act only when the editor also received their press.
bool IsStopKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    switch (VirtualKeyOf(*static_cast<const QKeyEvent *>(event))) {
    case VirtualKey::F7:
    case VirtualKey::Escape:
    case VirtualKey::F8:
    case VirtualKey::F9:
    case VirtualKey::F10:
    case VirtualKey::F11:
    case VirtualKey::F12:
        return true;
    default:
        return false;
    }
}
} // namespace

ReadingTriggers::ReadingTriggers(QPlainTextEdit *edit, SpeechOperations &speech,
                                 ReadingOptions &options, OneHandKeyboard &oneHand, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_speech(speech)
    , m_options(options)
    , m_oneHand(oneHand)
    , m_pendingKeys(std::make_shared<PendingSyntheticKeys>())
    , m_letterEcho(speech)
    , m_session(edit, speech, m_pendingKeys)
{
    // The letter echo follows the readings: one queued makes a waiting letter stale,
    // and a stop leaves nothing waiting.
    connect(&m_session, &ReadingSession::partStarted, &m_letterEcho, &LetterEcho::Queued);
    connect(&m_session, &ReadingSession::speechStopping, &m_letterEcho, &LetterEcho::Stopped);
    // Keys typed while the last word was held get their turn before the next one.
    connect(&m_session, &ReadingSession::nextWordDue, this, &ReadingTriggers::ReplayTyping);
    connect(&m_session, &ReadingSession::selectionReleased, this, &ReadingTriggers::ScheduleReplay);
    // A paused word by word goes on with the box as it is then.
    m_session.SetOneWordChoice([this] { return OneWordOnly(); });
    QPointer<ReadingTriggers> self(this);
    m_pendingKeys->drained = [self] {
        if (self)
            self->ScheduleReplay();
    };
    if (!m_edit)
        return;
    m_viewport = m_edit->viewport();
    m_edit->installEventFilter(this);
    m_edit->viewport()->installEventFilter(this);
    // The right button belongs to the font command.
    m_edit->setContextMenuPolicy(Qt::PreventContextMenu);
    m_edit->viewport()->setContextMenuPolicy(Qt::PreventContextMenu);
}

ReadingTriggers::~ReadingTriggers()
{
    m_pendingKeys->drained = nullptr;
    qDeleteAll(m_deferred);
}

void ReadingTriggers::ConnectToolbar(const ToolbarButtons &buttons)
{
    const auto wire = [this](QAbstractButton *button, void (ReadingTriggers::*slot)()) {
        if (!button)
            return;
        // A button that took the focus from a click would end word-by-word reading at
        // once; the keyboard still reaches it with Tab.
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QAbstractButton::clicked, this, slot);
    };
    wire(buttons.lectura, &ReadingTriggers::ButtonLecturaClick);
    wire(buttons.paraulaPerParaula, &ReadingTriggers::SpeedButtonParaulaPerParaulaClick);
    wire(buttons.parar, &ReadingTriggers::ButtonPararClick);
    wire(buttons.menu, &ReadingTriggers::SpeedButtonMenuClick);
}

void ReadingTriggers::SetOneWordBox(QCheckBox *checkBoxNomesUnParaula)
{
    m_oneWordBox = checkBoxNomesUnParaula;
    if (m_oneWordBox)
        connect(m_oneWordBox, &QCheckBox::clicked, this, &ReadingTriggers::CheckBoxNomesUnParaulaClick);
}

QString ReadingTriggers::CurrentLine() const
{
    if (!m_edit)
        return QString();
    const QTextCursor cursor = m_edit->textCursor();
    const QTextBlock block = cursor.block();
    // An edit throws the block's layout away until the next paint; lay it out now.
    m_edit->document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout *layout = block.layout();
    if (layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(cursor.position() - block.position());
        if (line.isValid())
            return PlainText(block.text().mid(line.textStart(), line.textLength()));
    }
    return PlainText(block.text());
}

QString ReadingTriggers::SelectedText() const
{
    return m_edit ? PlainText(m_edit->textCursor().selectedText()) : QString();
}

int ReadingTriggers::SelectionStart() const
{
    return m_edit ? m_edit->textCursor().selectionStart() : 0;
}

void ReadingTriggers::Say(const QString &text)
{
    m_speech.SpeakText(text, [this](UtteranceId id) { m_letterEcho.Queued(id); });
}

QString ReadingTriggers::WholeText() const
{
    // The raw text keeps what toPlainText() would change, such as non-breaking spaces.
    return m_edit ? PlainText(m_edit->document()->toRawText()) : QString();
}

bool ReadingTriggers::OneWordOnly() const
{
    return m_oneWordBox && m_oneWordBox->isChecked();
}

// Speaking may handle events while it waits (the run-time loaded voices do), so the
// editor handles the key first and the text is spoken from the queue afterwards.
void ReadingTriggers::QueueSpeak(const QString &text)
{
    QueueCall([this, text] {
        if (MaySpeak())
            Say(text);
    });
}

void ReadingTriggers::QueueCall(std::function<void()> call)
{
    if (!call)
        return;
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void ReadingTriggers::SendKey(QEvent::Type type, int virtualKey, Qt::KeyboardModifiers modifiers)
{
    if (m_edit)
        PostSyntheticKey(m_edit, type, virtualKey, modifiers, m_pendingKeys);
}

void ReadingTriggers::SendRight()
{
    SendKey(QEvent::KeyPress, VirtualKey::Right, Qt::NoModifier);
    SendKey(QEvent::KeyRelease, VirtualKey::Right, Qt::NoModifier);
}

bool ReadingTriggers::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::MouseButtonRelease) {
        EditMouseUp(*static_cast<QMouseEvent *>(event));
        return false;
    }
    if (watched != m_edit)
        return false;
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusOut)
        m_pressedStopKeys.clear();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::InputMethod)
        return false;

    if (!IsSyntheticKey(event) && !m_replaying && !IsStopKey(event)
        && (HoldingTyping() || !m_deferred.isEmpty())) {
        DeferTyping(event);
        return true;
    }

    if (type == QEvent::KeyPress) {
        const auto &key = *static_cast<QKeyEvent *>(event);
        if (!IsSyntheticKey(event) && ReaderKeyDown(key))
            return true;
        if (m_wordPending && IsSyntheticKey(event) && VirtualKeyOf(key) == VirtualKey::Left
            && key.modifiers() == (Qt::ControlModifier | Qt::ShiftModifier)) {
            SelectBackToBlank();
            return true;
        }
        EditKeyDown(key);
        if (IsTypedCharacter(key.text())
            && !(key.modifiers() & (Qt::AltModifier | Qt::MetaModifier)))
            EditKeyPress(key.text());
    } else if (type == QEvent::KeyRelease) {
        EditKeyUp(*static_cast<QKeyEvent *>(event));
    } else {
        // Accented letters composed with a dead key or an input method.
        const QString committed = static_cast<QInputMethodEvent *>(event)->commitString();
        if (!committed.isEmpty())
            EditKeyPress(committed);
    }
    return false;
}

void ReadingTriggers::EditKeyPress(const QString &typed)
{
    m_letterEcho.NewerKey();
    // Typing goes on while an export runs; only its echo is silent.
    if (!MaySpeak())
        return;
    if (typed == QStringLiteral(".") && m_options.ReadSentenceOnFullStop()) {
        // The full stop is not in the text yet: the line as it stood before it.
        QueueSpeak(CurrentLine());
        return;
    }
    if (typed == QStringLiteral(" ") && m_options.ReadWordOnSpace()) {
        StartWordOnSpace();
        return;
    }
    if (m_options.ReadLetters()) {
        QueueCall([this, typed] {
            if (MaySpeak())
                m_letterEcho.Letter(typed);
        });
    }
}

void ReadingTriggers::StartWordOnSpace()
{
    // Queued ahead of the keys, so it is spoken first: the selection as it stood when
    // the blank was typed, normally empty.
    QueueSpeak(SelectedText());
    const Qt::KeyboardModifiers both = Qt::ControlModifier | Qt::ShiftModifier;
    SendKey(QEvent::KeyPress, VirtualKey::Control, Qt::ControlModifier);
    SendKey(QEvent::KeyPress, VirtualKey::Shift, both);
    SendKey(QEvent::KeyPress, VirtualKey::Left, both);
    SendKey(QEvent::KeyRelease, VirtualKey::Left, both);
    SendKey(QEvent::KeyRelease, VirtualKey::Shift, Qt::ControlModifier);
    SendKey(QEvent::KeyRelease, VirtualKey::Control, Qt::NoModifier);
    m_wordPending = true;
}

// The word just finished runs back to the last blank: "Hola," and "tothom." are words
// of the echo, where the editor's own word movement would stop at the punctuation.
// It never crosses a line break.
void ReadingTriggers::SelectBackToBlank()
{
    if (!m_edit)
        return;
    const QTextDocument *document = m_edit->document();
    QTextCursor cursor = m_edit->textCursor();
    const int lineStart = cursor.block().position();
    int start = cursor.position();
    const auto blankBefore = [document](int position) {
        const QChar c = document->characterAt(position - 1);
        return c == u' ' || c == u'\t' || c == QChar::LineSeparator;
    };
    while (start > lineStart && blankBefore(start))
        --start;
    while (start > lineStart && !blankBefore(start))
        --start;
    cursor.setPosition(start, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
}

void ReadingTriggers::EditKeyDown(const QKeyEvent &event)
{
    // The release of a key pressed elsewhere (Escape closing a menu or a dialog) is not
    // the editor's: only keys pressed here may read or stop.
    if (IsStopKey(&event))
        m_pressedStopKeys.insert(VirtualKeyOf(event), event.modifiers());
    if (m_oneHand.OneHandOn() && VirtualKeyOf(event) == VirtualKey::Space)
        m_oneHand.SetSpaceState(SpaceState::Held);
}

void ReadingTriggers::EditKeyUp(const QKeyEvent &event)
{
    // A held key repeats as release and press pairs: holding F7 must not read again.
    if (event.isAutoRepeat())
        return;
    const int key = VirtualKeyOf(event);
    if (key == VirtualKey::Space)
        m_oneHand.SetSpaceState(SpaceState::Idle);
    const Qt::KeyboardModifiers pressedWith = m_pressedStopKeys.value(key);
    if (IsStopKey(&event) && !m_pressedStopKeys.remove(key))
        return;
    // Shift+F7 and F12 are the reader's; Ctrl+F12 is not.
    if (key == VirtualKey::F7 && pressedWith == Qt::ShiftModifier) {
        QueueReaderCommand(&ReadingSession::ReadFromCaret);
        return;
    }
    if (key == VirtualKey::F12) {
        if (pressedWith == Qt::NoModifier)
            QueueReaderCommand(&ReadingSession::PauseOrGoOn);
        return;
    }
    // Word-by-word reading ends at once; the speech is queued like the echo of the keys
    // before it, so that what is heard keeps the order of the keys.
    switch (key) {
    case VirtualKey::F7:
    case VirtualKey::Escape:
    case VirtualKey::F8: {
        m_session.EndWordByWord();
        const QString text = key == VirtualKey::F8 ? SelectedText() : WholeText();
        const int start = key == VirtualKey::F8 ? SelectionStart() : 0;
        QueueCall([this, text, start] {
            if (!MaySpeak())
                return;
            ButtonPararClick();
            m_session.ReadDocument(start, text);
        });
        return;
    }
    case VirtualKey::F11:
        m_session.EndWordByWord();
        QueueCall([this] { ButtonPararClick(); });
        return;
    case VirtualKey::F9:
        if (m_options.ReadClipboardOnF9()) {
            m_session.EndWordByWord();
            QueueCall([this] { ReadClipboard(); });
        }
        return;
    case VirtualKey::F10:
        if (m_options.ReadWordByWordOnF10())
            QueueCall([this] { SpeedButtonParaulaPerParaulaClick(); });
        return;
    default:
        break;
    }
    // Only the release of the sent Left key completes the word: by then the blank is
    // in and the selection holds the word, whenever the real space key comes up.
    if (m_wordPending && key == VirtualKey::Left && IsSyntheticKey(&event)) {
        const QString word = SelectedText();
        m_wordPending = false;
        SendRight();
        QueueCall([this, word] {
            if (MaySpeak())
                emit wordEchoed(m_speech.SpeakText(word), word);
        });
    }
}

void ReadingTriggers::EditMouseUp(const QMouseEvent &event)
{
    // Both run once the editor has handled the release itself.
    if (event.button() == Qt::RightButton) {
        QueueCall([this, at = event.position().toPoint()] {
            if (m_rightClick && m_rightClick(at))
                return;
            if (m_fontCommand)
                m_gate->RunModal(m_fontCommand);
        });
    } else if (event.button() == Qt::LeftButton && m_options.ReadSelectionOnMouseUp()) {
        QueueCall([this] {
            if (MaySpeak())
                Say(SelectedText());
        });
    }
}

void ReadingTriggers::ButtonLecturaClick()
{
    if (!MaySpeak())
        return;
    ButtonPararClick();
    const QString selection = SelectedText();
    if (selection.isEmpty())
        m_session.ReadDocument(0, WholeText());
    else
        m_session.ReadDocument(SelectionStart(), selection);
}

void ReadingTriggers::ButtonPararClick()
{
    m_session.Stop();
}

void ReadingTriggers::ReadClipboard()
{
    if (!MaySpeak())
        return;
    ButtonPararClick();
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        Say(text);
    else if (m_readPicture)
        if (const QImage picture = QGuiApplication::clipboard()->image(); !picture.isNull())
            m_readPicture(picture);
}

void ReadingTriggers::SayClipboardText(const QString &text)
{
    if (text.isEmpty() || !MaySpeak())
        return;
    ButtonPararClick();
    Say(text);
}

void ReadingTriggers::SpeedButtonMenuClick()
{
    if (!m_gate->MayStart(ActivityGate::Start::Window))
        return;
    ButtonPararClick();
    // Opened once a word-by-word reading just stopped has returned from its loop.
    m_gate->StartAfterWordByWord(ActivityGate::Start::Window, [this] {
        if (m_showSpeechWindow)
            m_gate->RunModal(m_showSpeechWindow);
    });
}

void ReadingTriggers::CheckBoxNomesUnParaulaClick()
{
    if (m_edit)
        m_edit->setFocus();
}

void ReadingTriggers::SpeedButtonParaulaPerParaulaClick()
{
    if (!MaySpeak())
        return;
    ButtonPararClick();
    m_session.StartWordByWord(OneWordOnly());
}

bool ReadingTriggers::HoldingTyping() const
{
    return m_pendingKeys->count > 0 || m_session.HoldsSelection();
}

void ReadingTriggers::DeferTyping(QEvent *event)
{
    m_deferred.append(event->clone());
    event->accept();
    ScheduleReplay();
}

void ReadingTriggers::ScheduleReplay()
{
    if (m_replayScheduled || m_deferred.isEmpty() || HoldingTyping())
        return;
    m_replayScheduled = true;
    QMetaObject::invokeMethod(this, &ReadingTriggers::ReplayTyping, Qt::QueuedConnection);
}

// Hands the waiting keys to the editor in the order they came, until one of them
// starts a new hold.
void ReadingTriggers::ReplayTyping()
{
    m_replayScheduled = false;
    while (!HoldingTyping() && !m_deferred.isEmpty() && m_edit) {
        std::unique_ptr<QEvent> event(m_deferred.takeFirst());
        m_replaying = true;
        QCoreApplication::sendEvent(m_edit, event.get());
        m_replaying = false;
    }
}
