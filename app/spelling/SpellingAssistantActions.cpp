// The keys and the menu of the spelling assistant.
#include "app/spelling/SpellingAssistant.h"

#include "app/typing/ActivityGate.h"
#include "app/spelling/SpellingAssistantList.h"
#include "spell/SpellChecker.h"
#include "windows/InterfaceLanguages.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <array>

namespace
{
// What Ctrl+F12 and the menu say, in the interface languages in table order.
struct SpellingTexts
{
    const char *suggestions;
    const char *noSuggestion;
    const char *rightWord;
    const char *noWord;
    const char *addToList;
    const char *ignore;
};

constexpr std::array<SpellingTexts, kLanguageCount> kTexts = {{
    {"Suggeriments", "Cap suggeriment", "Ben escrita", "No hi ha cap paraula", "Afegir al diccionari", "Ignorar"},
    {"Sugerencias", "Ninguna sugerencia", "Bien escrita", "No hay ninguna palabra", "Añadir al diccionario", "Ignorar"},
    {"Iradokizunak", "Iradokizunik ez", "Ondo idatzia", "Ez dago hitzik", "Hiztegira gehitu", "Ez ikusi egin"},
    {"Suxestións", "Ningunha suxestión", "Ben escrita", "Non hai ningunha palabra", "Engadir ao dicionario", "Ignorar"},
    {"Sugestões", "Nenhuma sugestão", "Bem escrita", "Não há nenhuma palavra", "Adicionar ao dicionário", "Ignorar"},
    {"Suggestions", "No suggestions", "Spelt correctly", "No word here", "Add to dictionary", "Ignore"},
    {"Suggestions", "Aucune suggestion", "Bien écrit", "Aucun mot ici", "Ajouter au dictionnaire", "Ignorer"},
}};

const SpellingTexts &TextsOf(int language)
{
    return kTexts[size_t(language >= 0 && language < kLanguageCount ? language : 0)];
}

// "frasse" as "f, r, a, s, s, e": the letters said one by one.
QString Letters(const QString &word)
{
    QStringList letters;
    for (QChar c : word)
        letters << QString(c).toLower();
    return letters.join(QStringLiteral(", "));
}
} // namespace

int SpellingAssistant::InterfaceLanguage() const
{
    return m_interfaceLanguage ? m_interfaceLanguage() : 0;
}

void SpellingAssistant::Say(const QString &text)
{
    if (m_stopReading)
        m_stopReading();
    m_speech.SpeakText(text);
}

void SpellingAssistant::EndCycle()
{
    m_cycle = Cycle{};
    delete m_shownList;
}

void SpellingAssistant::CaretMoved()
{
    if (!m_cycle.active || !m_edit)
        return;
    const int caret = m_edit->textCursor().position();
    if (caret < m_cycle.span.start || caret > m_cycle.span.start + m_cycle.span.length)
        EndCycle();
}

void SpellingAssistant::SpellCaretWord()
{
    if (!m_edit || (m_gate && !m_gate->MayStart(ActivityGate::Start::Speech)))
        return;
    const SpellingTexts &texts = TextsOf(InterfaceLanguage());
    if (m_cycle.active && m_cycle.since.isValid() && m_cycle.since.elapsed() <= kCycleMs) {
        m_cycle.since.restart();
        if (m_cycle.suggestions.isEmpty()) {
            Say(QString::fromUtf8(texts.noSuggestion) + u'.');
            return;
        }
        m_cycle.spoken = (m_cycle.spoken + 1) % int(m_cycle.suggestions.size());
        if (m_shownList)
            m_shownList->MarkRow(m_cycle.spoken);
        Say(m_cycle.suggestions.at(m_cycle.spoken));
        return;
    }
    EndCycle();
    const QTextCursor caret = m_edit->textCursor();
    const QTextBlock block = caret.block();
    const WordSpan inBlock = WordAt(block.text(), caret.positionInBlock());
    if (inBlock.length == 0) {
        Say(QString::fromUtf8(texts.noWord) + u'.');
        return;
    }
    const QString word = block.text().mid(inBlock.start, inBlock.length);
    QString sentence = QStringLiteral("%1: %2. ").arg(word, Letters(word));
    const SpellChecker *checker = CheckerFor(block);
    const bool checked = m_enabled && checker && checker->Usable();
    if (checked && checker->IsCorrect(word)) {
        sentence += QString::fromUtf8(texts.rightWord) + u'.';
    } else if (checked) {
        m_cycle.active = true;
        m_cycle.span = {block.position() + inBlock.start, inBlock.length};
        m_cycle.word = word;
        m_cycle.suggestions = checker->Suggestions(word);
        m_cycle.since.start();
        sentence += m_cycle.suggestions.isEmpty()
            ? QString::fromUtf8(texts.noSuggestion) + u'.'
            : QStringLiteral("%1: %2.").arg(QString::fromUtf8(texts.suggestions),
                                            m_cycle.suggestions.join(QStringLiteral(", ")));
        m_shownList = new SuggestionList(m_edit, int(m_cycle.span.start), word,
                                         m_cycle.suggestions.isEmpty()
                                             ? QStringList{QString::fromUtf8(texts.noSuggestion)}
                                             : m_cycle.suggestions);
    }
    Say(sentence.trimmed());
}

void SpellingAssistant::Replace(WordSpan span, QString expected, QString word)
{
    EndCycle();
    if (!m_edit)
        return;
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(int(span.start));
    cursor.setPosition(int(span.start + span.length), QTextCursor::KeepAnchor);
    // The text moved under the word since it was spelt: nothing is replaced.
    if (cursor.selectedText() != expected)
        return;
    m_replacing = true;
    cursor.insertText(word);
    m_replacing = false;
    m_edit->setTextCursor(cursor);
}

std::unique_ptr<QMenu> SpellingAssistant::MenuFor(int position)
{
    const WordSpan span = MisspelledAt(position);
    if (span.length == 0 || !m_edit)
        return nullptr;
    const QString word = m_edit->document()->toPlainText().mid(span.start, span.length);
    const SpellingTexts &texts = TextsOf(InterfaceLanguage());
    auto menu = std::make_unique<QMenu>(m_edit);
    menu->setObjectName(QStringLiteral("MenuOrtografia"));
    menu->setAccessibleName(word);
    const QStringList suggestions = CheckerFor(m_edit->document()->findBlock(position))->Suggestions(word);
    for (const QString &suggestion : suggestions) {
        QAction *action = menu->addAction(suggestion);
        action->setObjectName(QStringLiteral("MenuSuggeriment"));
        connect(action, &QAction::triggered, this, [this, span, word, suggestion] { Replace(span, word, suggestion); });
    }
    if (suggestions.isEmpty())
        menu->addAction(QString::fromUtf8(texts.noSuggestion))->setEnabled(false);
    menu->addSeparator();
    QAction *add = menu->addAction(QString::fromUtf8(texts.addToList));
    add->setObjectName(QStringLiteral("MenuAfegirAlDiccionari"));
    connect(add, &QAction::triggered, this, [this, word] { AddToPersonalList(word); });
    QAction *ignore = menu->addAction(QString::fromUtf8(texts.ignore));
    ignore->setObjectName(QStringLiteral("MenuIgnorar"));
    connect(ignore, &QAction::triggered, this, [this, word] { Ignore(word); });
    return menu;
}

bool SpellingAssistant::ShowMenuAt(const QPoint &viewportPoint)
{
    if (!m_edit)
        return false;
    std::unique_ptr<QMenu> menu = MenuFor(m_edit->cursorForPosition(viewportPoint).position());
    if (!menu)
        return false;
    const QPoint at = m_edit->viewport()->mapToGlobal(viewportPoint);
    QMenu *shown = menu.get();
    if (m_gate)
        m_gate->RunModal([shown, at] { shown->exec(at); });
    else
        shown->exec(at);
    return true;
}

bool SpellingAssistant::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_edit)
        return false;
    if (event->type() == QEvent::FocusIn) {
        // The speech window may have chosen a voice of another language.
        FollowVoice();
        return false;
    }
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool press = event->type() == QEvent::KeyPress;
    if (!press && m_swallowRelease != 0 && key->key() == m_swallowRelease) {
        if (!key->isAutoRepeat())
            m_swallowRelease = 0;
        return true;
    }
    const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (key->key() == Qt::Key_F12 && key->modifiers() == Qt::ControlModifier) {
        if (press && !key->isAutoRepeat())
            SpellCaretWord();
        return true;
    }
    if (key->key() == Qt::Key_Menu && plain) {
        if (press) {
            const QRect caret = m_edit->cursorRect();
            return ShowMenuAt(caret.bottomLeft());
        }
        return false;
    }
    if (!m_cycle.active)
        return false;
    // Until the caret leaves the word, Enter takes the suggestion last heard (the first
    // of the list just after the word was spelt) and Esc leaves the word as it is;
    // neither reaches the editor or the reading keys.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && plain) {
        if (press && !m_cycle.suggestions.isEmpty()) {
            const QString chosen = m_cycle.suggestions.at(qMax(m_cycle.spoken, 0));
            Replace(m_cycle.span, m_cycle.word, chosen);
            Say(chosen);
            m_swallowRelease = key->key();
            return true;
        }
        if (press)
            EndCycle();
        return false;
    }
    if (key->key() == Qt::Key_Escape) {
        if (press) {
            EndCycle();
            if (m_stopReading)
                m_stopReading();
            m_swallowRelease = key->key();
        }
        return true;
    }
    // Other keys end the choice only by moving the caret out of the word or changing the text.
    return false;
}
