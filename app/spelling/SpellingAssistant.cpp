#include "app/spelling/SpellingAssistant.h"

#include "app/spelling/SpellHighlighter.h"
#include "app/spelling/SpellingAssistantList.h"
#include "app/menus/SwitchItem.h"
#include "core/SettingsStore.h"
#include "platform/SoundPlayers.h"
#include "spell/SpellChecker.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace
{
const StoredSwitch kSwitch{QStringLiteral("LlibreriaLlegir"), QStringLiteral("ORTOGRAFIA")};
} // namespace

SpellingAssistant::SpellingAssistant(QPlainTextEdit *edit, SettingsStore &settings, SpeechOperations &speech,
                                     const QString &personalListFile, QObject *parent)
    : QObject(parent), m_edit(edit), m_settings(settings), m_speech(speech), m_personal(personalListFile)
{
    m_enabled = kSwitch.Read(m_settings);
    m_personal.Load();
    if (!m_edit)
        return;
    m_highlighter = new SpellHighlighter(m_edit);
    m_edit->installEventFilter(this);
    connect(m_edit->document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_replacing)
            EndCycle();
    });
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &SpellingAssistant::CaretMoved);
}

SpellingAssistant::~SpellingAssistant()
{
    // The marks go before the dictionary they ask.
    delete m_highlighter;
    delete m_shownList;
}

void SpellingAssistant::SetTone(WavePlayer *player, const QString &fileName)
{
    m_tonePlayer = player;
    m_toneFile = fileName;
}

void SpellingAssistant::BindMenuItem(QAction *item)
{
    m_item = item;
    BindSwitchItem(item, m_enabled, this, [this](bool on) { SetEnabled(on); });
}

void SpellingAssistant::SetEnabled(bool enabled)
{
    if (!kSwitch.Turn(m_item, m_enabled, enabled, m_settings))
        return;
    if (!enabled) {
        EndCycle();
        m_toneAfter.clear();
        if (m_highlighter)
            m_highlighter->SetChecker(nullptr);
        return;
    }
    m_triedLanguage = false;
    FollowVoice();
}

void SpellingAssistant::Tell(const QString &text)
{
    if (m_status && !text.isEmpty())
        m_status(text);
}

void SpellingAssistant::FollowVoice()
{
    if (!m_enabled)
        return;
    const QString language = m_voiceLanguage ? m_voiceLanguage() : QStringLiteral("ca");
    if (m_triedLanguage && language == m_checkerLanguage)
        return;
    const bool first = !m_triedLanguage;
    m_triedLanguage = true;
    m_checkerLanguage = language;
    if (m_highlighter)
        m_highlighter->SetChecker(nullptr);
    m_checker = std::make_unique<SpellChecker>(language);
    m_checker->Accept(m_personal.Words());
    m_checker->Accept(m_ignored.values());
    m_otherLanguages.Reset(m_personal.Words() + m_ignored.values());
    if (m_highlighter)
        m_highlighter->SetChecker(m_checker.get());
    if (!m_checker->Usable())
        Tell(m_checker->Problem());
    else if (first)
        Tell(m_personal.Problem());
}

void SpellingAssistant::SetParagraphLanguage(std::function<QString(const QTextBlock &block)> language)
{
    m_paragraphLanguage = std::move(language);
    if (m_highlighter)
        m_highlighter->SetLineChecker([this](const QTextBlock &block) { return CheckerFor(block); });
}

const SpellChecker *SpellingAssistant::CheckerFor(const QTextBlock &block)
{
    if (!m_checker)
        return nullptr;
    const QString language = m_paragraphLanguage && block.isValid() ? m_paragraphLanguage(block) : QString();
    return &m_otherLanguages.For(language, *m_checker);
}

void SpellingAssistant::ParagraphLanguagesChanged()
{
    if (m_enabled && m_highlighter && m_checker)
        m_highlighter->Recheck();
}

bool SpellingAssistant::IsMisspelled(const QString &word)
{
    // A word echoed as it is typed belongs to the caret's paragraph.
    const SpellChecker *checker = m_edit ? CheckerFor(m_edit->textCursor().block()) : m_checker.get();
    if (!m_enabled || !checker || !checker->Usable())
        return false;
    for (const WordSpan &span : WordsToCheck(word))
        if (!checker->IsCorrect(QStringView(word).mid(span.start, span.length)))
            return true;
    return false;
}

QList<WordSpan> SpellingAssistant::Marks() const
{
    return m_highlighter ? m_highlighter->Marks() : QList<WordSpan>();
}

WordSpan SpellingAssistant::MisspelledAt(int position)
{
    if (!m_edit || !m_enabled || !m_checker || !m_checker->Usable())
        return {};
    const QTextBlock block = m_edit->document()->findBlock(position);
    if (!block.isValid())
        return {};
    const QString text = block.text();
    const WordSpan word = WordAt(text, position - block.position());
    if (word.length == 0 || CheckerFor(block)->IsCorrect(QStringView(text).mid(word.start, word.length)))
        return {};
    return {block.position() + word.start, word.length};
}

void SpellingAssistant::WordEchoed(UtteranceId utterance, const QString &word)
{
    if (utterance != 0 && m_tonePlayer && IsMisspelled(word))
        m_toneAfter.insert(utterance);
}

void SpellingAssistant::ReadingEnded(UtteranceId utterance)
{
    // Played through the same output as the recordings the dictionary names.
    if (m_toneAfter.remove(utterance) && m_tonePlayer && m_enabled)
        m_tonePlayer->Play(m_toneFile, false);
}

void SpellingAssistant::AddToPersonalList(const QString &word)
{
    if (!m_personal.Add(word)) {
        Tell(m_personal.Problem());
        return;
    }
    if (m_checker)
        m_checker->Accept({word});
    m_otherLanguages.Accept({word});
    if (m_highlighter)
        m_highlighter->Recheck();
}

void SpellingAssistant::Ignore(const QString &word)
{
    m_ignored.insert(word);
    if (m_checker)
        m_checker->Accept({word});
    m_otherLanguages.Accept({word});
    if (m_highlighter)
        m_highlighter->Recheck();
}
