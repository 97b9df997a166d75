#include "app/typing/CaretEcho.h"

#include "app/typing/ActivityGate.h"
#include "app/typing/KeyCodes.h"
#include "app/window/EditorWidget.h"
#include "app/menus/SwitchItem.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "windows/InterfaceLanguages.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include <array>

namespace
{
const QString kSection = QStringLiteral("LlibreriaLlegir");
const QString kKey = QStringLiteral("LLEGIR CURSOR");
// How much of the document around the caret is kept before a key that may delete:
// enough for a word removed with Ctrl+Backspace.
constexpr int kAround = 256;

// What cannot be heard as it is, in the interface languages in table order.
struct BlankNames
{
    const char *space;
    const char *lineBreak;
    const char *blankLine;
    const char *tab;
};

constexpr std::array<BlankNames, kLanguageCount> kNames = {{
    {"espai", "salt de línia", "línia en blanc", "tabulació"},
    {"espacio", "salto de línea", "línea en blanco", "tabulación"},
    {"zuriunea", "lerro-jauzia", "lerro hutsa", "tabulazioa"},
    {"espazo", "salto de liña", "liña en branco", "tabulación"},
    {"espaço", "quebra de linha", "linha em branco", "tabulação"},
    {"space", "line break", "blank line", "tab"},
    {"espace", "saut de ligne", "ligne vide", "tabulation"},
}};

const BlankNames &NamesOf(int language)
{
    return kNames[size_t(language >= 0 && language < kLanguageCount ? language : 0)];
}

bool IsLineBreak(QChar c)
{
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n' || c == QChar::Null;
}
} // namespace

CaretEcho::CaretEcho(QPlainTextEdit *edit, SettingsStore &settings, SpeechOperations &speech, QObject *parent)
    : QObject(parent), m_edit(edit), m_settings(settings), m_speech(speech)
{
    m_enabled = m_settings.ReadString(kSection, kKey, QStringLiteral("NO")) == QLatin1String("SI");
    if (m_edit)
        m_edit->installEventFilter(this);
}

void CaretEcho::BindMenuItem(QAction *item)
{
    m_item = item;
    BindSwitchItem(item, m_enabled, this, [this](bool on) { SetEnabled(on); });
}

void CaretEcho::SetEnabled(bool enabled)
{
    if (m_item && m_item->isChecked() != enabled)
        m_item->setChecked(enabled);
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    // Ignored when the settings file is read-only: the switch works for this run.
    m_settings.WriteYes(kSection, kKey, enabled);
}

QString CaretEcho::Spoken(const QString &text, int language)
{
    const BlankNames &names = NamesOf(language);
    if (text.size() == 1) {
        const QChar c = text.front();
        if (IsLineBreak(c))
            return QString::fromUtf8(names.lineBreak);
        if (c == u'\t')
            return QString::fromUtf8(names.tab);
        if (c.isSpace())
            return QString::fromUtf8(names.space);
    }
    QString said = text;
    said.replace(QChar::ParagraphSeparator, u'\n');
    if (said.trimmed().isEmpty())
        return QString::fromUtf8(said.contains(u'\n') ? names.lineBreak : names.space);
    return said;
}

QString CaretEcho::SpokenLine(const QString &line, int language)
{
    return line.trimmed().isEmpty() ? QString::fromUtf8(NamesOf(language).blankLine) : line;
}

void CaretEcho::ReadingAloud(UtteranceId utterance)
{
    if (utterance != 0)
        m_readings.insert(utterance);
}

void CaretEcho::ReadingEnded(UtteranceId utterance)
{
    m_readings.remove(utterance);
    if (utterance == m_lastEcho)
        m_lastEcho = 0;
}

void CaretEcho::SpeechStopped()
{
    m_readings.clear();
    m_lastEcho = 0;
}

int CaretEcho::Language() const
{
    return m_interfaceLanguage ? m_interfaceLanguage() : 0;
}

bool CaretEcho::eventFilter(QObject *watched, QEvent *event)
{
    // The keys the reading triggers send themselves (word on a blank, word by word) move
    // the caret on the program's behalf: they are not the user's.
    if (watched != m_edit || event->type() != QEvent::KeyPress || !m_enabled || IsSyntheticKey(event))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    const bool control = modifiers == Qt::ControlModifier;
    if (modifiers != Qt::NoModifier && !control)
        return false;
    switch (key->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        Remember(Move::Removal);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        Remember(control ? Move::Word : Move::Character);
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        Remember(Move::Line);
        break;
    default:
        break;
    }
    return false;
}

void CaretEcho::Remember(Move move)
{
    // A key that came before the editor was done with the last one: that one first.
    if (m_waiting)
        EchoKey();
    const QTextCursor caret = m_edit->textCursor();
    m_before.move = move;
    m_before.position = caret.position();
    m_before.length = m_edit->document()->characterCount();
    m_before.text.clear();
    if (move == Move::Removal) {
        QTextCursor around(m_edit->document());
        m_before.textStart = qMax(0, caret.selectionStart() - kAround);
        around.setPosition(m_before.textStart);
        around.setPosition(qMin(m_before.length - 1, caret.selectionEnd() + kAround), QTextCursor::KeepAnchor);
        m_before.text = around.selectedText();
    }
    m_waiting = true;
    QMetaObject::invokeMethod(this, &CaretEcho::EchoKey, Qt::QueuedConnection);
}

void CaretEcho::EchoKey()
{
    if (!m_waiting || !m_edit)
        return;
    m_waiting = false;
    const int position = m_edit->textCursor().position();
    const int language = Language();
    if (m_before.move == Move::Removal) {
        // The removed text ends where the caret now stands, whichever way it went.
        const int removed = m_before.length - m_edit->document()->characterCount();
        const int from = position - m_before.textStart;
        if (removed > 0 && from >= 0 && from + removed <= m_before.text.size())
            Say(Spoken(m_before.text.mid(from, removed), language));
        return;
    }
    // A key the editor did not act on (at the start of the text, or held back until the
    // keys before it were typed) says nothing now.
    if (position == m_before.position || m_before.length != m_edit->document()->characterCount())
        return;
    if (m_before.move == Move::Line)
        Say(SpokenLine(LineAtCaret(), language));
    else if (m_before.move == Move::Word)
        Say(WordAtCaret());
    else
        Say(Spoken(QString(m_edit->document()->characterAt(position)), language));
}

// The line as the editor lays it out: a wrapped paragraph gives only its display line.
QString CaretEcho::LineAtCaret() const
{
    const QTextCursor caret = m_edit->textCursor();
    const QTextBlock block = caret.block();
    m_edit->document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout *layout = block.layout();
    if (layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(caret.positionInBlock());
        if (line.isValid())
            return block.text().mid(line.textStart(), line.textLength());
    }
    return block.text();
}

// The word the caret stands at the start of; a sign or a line end said as a character.
QString CaretEcho::WordAtCaret() const
{
    QTextCursor word = m_edit->textCursor();
    word.clearSelection();
    word.movePosition(QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
    const QString text = word.selectedText().trimmed();
    if (!text.isEmpty())
        return text;
    return Spoken(QString(m_edit->document()->characterAt(m_edit->textCursor().position())), Language());
}

void CaretEcho::Say(const QString &text)
{
    if (text.isEmpty() || !m_readings.isEmpty() || (m_gate && !m_gate->MayStart(ActivityGate::Start::Speech)))
        return;
    // The previous echo, still being heard, is cut short: the caret has moved on.
    if (m_lastEcho != 0)
        m_speech.StopSpeech();
    m_lastEcho = 0;
    m_speech.SpeakText(text, [this](UtteranceId id) { m_lastEcho = id; });
}
