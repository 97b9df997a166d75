#include "app/SpellHighlighter.h"

#include "spell/SpellChecker.h"
#include "spell/SpellWords.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace
{
// Blocks checked above and below those shown, so that a short scroll finds them marked.
constexpr int kMargin = 40;

// Whether the block has been checked with the current dictionary.
class CheckedMark : public QTextBlockUserData
{
public:
    bool checked = false;
};
} // namespace

SpellHighlighter::SpellHighlighter(QPlainTextEdit *edit)
    : QSyntaxHighlighter(static_cast<QObject *>(edit)), m_edit(edit)
{
    m_mark.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    m_mark.setUnderlineColor(QColor(0xd0, 0x10, 0x10));
    m_shownTimer.setSingleShot(true);
    m_shownTimer.setInterval(0);
    connect(&m_shownTimer, &QTimer::timeout, this, &SpellHighlighter::UpdateShownBlocks);
    if (!m_edit)
        return;
    auto later = [this] { m_shownTimer.start(); };
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this, later);
    connect(m_edit->verticalScrollBar(), &QScrollBar::rangeChanged, this, later);
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &SpellHighlighter::CaretMoved);
    connect(m_edit->document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        // A key typed adds a character or two; a paste or a load is no typing.
        m_typing = removed == 0 && added > 0 && added <= 2;
    });
    // Attached after the watch above, so that it knows of a key typed before the marks are made.
    setDocument(m_edit->document());
}

void SpellHighlighter::SetChecker(const SpellChecker *checker)
{
    m_checker = checker;
    Recheck();
}

void SpellHighlighter::Recheck()
{
    if (!m_edit)
        return;
    // Only what is shown is checked now (ChecksBlockNow); the rest as it is scrolled to.
    UpdateShownBlocks();
    rehighlight();
}

bool SpellHighlighter::ChecksBlockNow(const QTextBlock &block) const
{
    if (document()->characterCount() <= kWholeDocumentLimit)
        return true;
    const int number = block.blockNumber();
    if (number >= m_firstShown - kMargin && number <= m_lastShown + kMargin)
        return true;
    return m_edit && m_edit->textCursor().blockNumber() == number;
}

void SpellHighlighter::highlightBlock(const QString &text)
{
    auto *mark = static_cast<CheckedMark *>(currentBlockUserData());
    if (!mark) {
        mark = new CheckedMark;
        setCurrentBlockUserData(mark);
    }
    if (!m_checker || !m_checker->Usable()) {
        mark->checked = true;
        return;
    }
    const QTextBlock block = currentBlock();
    mark->checked = ChecksBlockNow(block);
    if (!mark->checked)
        return;
    // The word that ends at the caret while it is typed waits until the caret leaves it.
    qsizetype typedStart = -1;
    if (m_edit && m_typing && m_edit->textCursor().block() == block) {
        const qsizetype caret = m_edit->textCursor().positionInBlock();
        const WordSpan typed = WordAt(text, caret);
        if (typed.length > 0 && typed.start + typed.length == caret)
            typedStart = typed.start;
    }
    m_typedBlock = typedStart >= 0 ? block.blockNumber() : -1;
    m_typedStart = int(typedStart);
    for (const WordSpan &word : WordsToCheck(text)) {
        if (word.start == typedStart)
            continue;
        if (!m_checker->IsCorrect(QStringView(text).mid(word.start, word.length)))
            setFormat(int(word.start), int(word.length), m_mark);
    }
}

void SpellHighlighter::CaretMoved()
{
    if (m_typedBlock < 0 || !m_edit)
        return;
    const QTextCursor caret = m_edit->textCursor();
    if (caret.blockNumber() == m_typedBlock) {
        const WordSpan word = WordAt(caret.block().text(), caret.positionInBlock());
        if (word.length > 0 && word.start == m_typedStart && word.start + word.length == caret.positionInBlock())
            return;
    }
    const QTextBlock block = document()->findBlockByNumber(m_typedBlock);
    m_typedBlock = -1;
    m_typing = false;
    if (block.isValid())
        rehighlightBlock(block);
}

void SpellHighlighter::UpdateShownBlocks()
{
    if (!m_edit || document()->characterCount() <= kWholeDocumentLimit)
        return;
    const QWidget *viewport = m_edit->viewport();
    m_firstShown = m_edit->cursorForPosition(QPoint(0, 0)).blockNumber();
    m_lastShown = m_edit->cursorForPosition(QPoint(viewport->width() - 1, viewport->height() - 1)).blockNumber();
    if (!m_checker || !m_checker->Usable())
        return;
    QTextBlock block = document()->findBlockByNumber(qMax(0, m_firstShown - kMargin));
    const int last = m_lastShown + kMargin;
    m_typing = false;
    while (block.isValid() && block.blockNumber() <= last) {
        const auto *mark = static_cast<const CheckedMark *>(block.userData());
        if (!mark || !mark->checked)
            rehighlightBlock(block);
        block = block.next();
    }
}
