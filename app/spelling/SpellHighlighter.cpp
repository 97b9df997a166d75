#include "app/spelling/SpellHighlighter.h"

#include "spell/SpellChecker.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace
{
// Lines checked above and below those shown before the background goes on.
constexpr int kMargin = 10;

// A line's marks, as places in the line, and the dictionary they were found with.
class BlockMarks : public QTextBlockUserData
{
public:
    int generation = -1;
    QList<WordSpan> spans;
};

BlockMarks *MarksOf(const QTextBlock &block)
{
    return static_cast<BlockMarks *>(block.userData());
}

void DrawWave(QPainter &painter, qreal left, qreal right, qreal y)
{
    QPainterPath wave;
    wave.moveTo(left, y);
    bool up = true;
    for (qreal x = left + 2; x <= right + 1; x += 2, up = !up)
        wave.lineTo(x, up ? y - 2 : y);
    painter.drawPath(wave);
}
} // namespace

SpellHighlighter::SpellHighlighter(QPlainTextEdit *edit) : QWidget(edit ? edit->viewport() : nullptr), m_edit(edit)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &SpellHighlighter::CheckPending);
    if (!m_edit)
        return;
    m_edit->viewport()->installEventFilter(this);
    setGeometry(m_edit->viewport()->rect());
    connect(m_edit->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { Schedule(0); });
    connect(m_edit, &QPlainTextEdit::cursorPositionChanged, this, &SpellHighlighter::CaretMoved);
    connect(m_edit->document(), &QTextDocument::contentsChange, this, &SpellHighlighter::ContentsChange);
    show();
}

void SpellHighlighter::SetChecker(const SpellChecker *checker)
{
    m_checker = checker;
    Recheck();
}

void SpellHighlighter::Recheck()
{
    ++m_generation;
    m_backgroundBlock = 0;
    m_backgroundDone = false;
    Schedule(0);
    update();
}

void SpellHighlighter::Schedule(int delayMs)
{
    // A burst of keys is checked once, a moment after its first key.
    if (!m_timer.isActive() || delayMs < m_timer.remainingTime())
        m_timer.start(delayMs);
}

bool SpellHighlighter::Stale(const QTextBlock &block) const
{
    const BlockMarks *marks = MarksOf(block);
    return !marks || marks->generation != m_generation;
}

void SpellHighlighter::ContentsChange(int position, int removed, int added)
{
    QTextBlock block = m_edit->document()->findBlock(position);
    // A key typed adds a character or two; a paste or a load is no typing.
    m_typing = removed == 0 && added > 0 && added <= 2;
    if (BlockMarks *marks = block.isValid() ? MarksOf(block) : nullptr) {
        // The marks after the change move with their words; the word changed waits for its check.
        const int at = position - block.position();
        QList<WordSpan> kept;
        for (WordSpan span : std::as_const(marks->spans)) {
            if (span.start + span.length < at) {
                kept << span;
            } else if (span.start > at + removed) {
                span.start += added - removed;
                kept << span;
            }
        }
        marks->spans = kept;
        marks->generation = -1;
    }
    if (!m_typing) {
        m_backgroundBlock = qMin(m_backgroundBlock, block.isValid() ? block.blockNumber() : 0);
        m_backgroundDone = false;
    }
    Schedule();
}

void SpellHighlighter::CaretMoved()
{
    if (m_typedBlock < 0)
        return;
    // Typing on in the same word moves the caret along it; the check of each key's
    // change finds where the word ends.
    const QTextCursor caret = m_edit->textCursor();
    if (m_typing && caret.blockNumber() == m_typedBlock && caret.positionInBlock() > m_typedStart)
        return;
    const QTextBlock block = m_edit->document()->findBlockByNumber(m_typedBlock);
    m_typedBlock = -1;
    if (BlockMarks *marks = block.isValid() ? MarksOf(block) : nullptr)
        marks->generation = -1;
    Schedule();
}

bool SpellHighlighter::CheckBlock(const QTextBlock &block)
{
    auto *marks = MarksOf(block);
    if (!marks) {
        marks = new BlockMarks;
        QTextBlock owner = block;
        owner.setUserData(marks);
    }
    marks->generation = m_generation;
    const QList<WordSpan> before = std::exchange(marks->spans, {});
    if (!m_checker || !m_checker->Usable())
        return !before.isEmpty();
    const QString text = block.text();
    // The word that ends at the caret while it is typed waits until the caret leaves it.
    qsizetype typedStart = -1;
    const QTextCursor caret = m_edit->textCursor();
    if (m_typing && caret.block() == block) {
        const WordSpan typed = WordAt(text, caret.positionInBlock());
        if (typed.length > 0 && typed.start + typed.length == caret.positionInBlock())
            typedStart = typed.start;
    }
    if (typedStart >= 0 || m_typedBlock == block.blockNumber()) {
        m_typedBlock = typedStart >= 0 ? block.blockNumber() : -1;
        m_typedStart = typedStart;
    }
    const SpellChecker *lineChecker = m_lineChecker ? m_lineChecker(block) : nullptr;
    const SpellChecker &checker = lineChecker ? *lineChecker : *m_checker;
    for (const WordSpan &word : WordsToCheck(text))
        if (word.start != typedStart && !checker.IsCorrect(QStringView(text).mid(word.start, word.length)))
            marks->spans << word;
    return marks->spans != before;
}

void SpellHighlighter::CheckPending()
{
    if (!m_edit)
        return;
    QElapsedTimer slice;
    slice.start();
    QTextDocument *document = m_edit->document();
    // First the caret's line and those shown, then the rest in slices.
    bool changed = false;
    const QTextBlock caretBlock = m_edit->textCursor().block();
    if (Stale(caretBlock))
        changed = CheckBlock(caretBlock);
    const int first = m_edit->cursorForPosition(QPoint(0, 0)).blockNumber();
    const int last = m_edit->cursorForPosition(QPoint(width() - 1, height() - 1)).blockNumber();
    for (QTextBlock block = document->findBlockByNumber(qMax(0, first - kMargin));
         block.isValid() && block.blockNumber() <= last + kMargin; block = block.next())
        if (Stale(block))
            changed = CheckBlock(block) || changed;
    if (changed)
        update();
    if (m_backgroundDone)
        return;
    QTextBlock block = document->findBlockByNumber(m_backgroundBlock);
    for (; block.isValid() && slice.elapsed() < kSliceMs; block = block.next())
        if (Stale(block))
            CheckBlock(block);
    if (block.isValid()) {
        m_backgroundBlock = block.blockNumber();
        // The event loop, and the user's keys, come between two slices.
        m_timer.start(10);
    } else {
        m_backgroundDone = true;
    }
}

QList<WordSpan> SpellHighlighter::Marks() const
{
    QList<WordSpan> all;
    if (!m_edit)
        return all;
    for (QTextBlock block = m_edit->document()->begin(); block.isValid(); block = block.next())
        if (const BlockMarks *marks = MarksOf(block))
            for (const WordSpan &span : marks->spans)
                all << WordSpan{block.position() + span.start, span.length};
    return all;
}

bool SpellHighlighter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && watched == parent()) {
        setGeometry(static_cast<QWidget *>(watched)->rect());
        Schedule(0);
    }
    return false;
}

void SpellHighlighter::moveEvent(QMoveEvent *)
{
    // Scrolling the viewport moves its children along with the text.
    if (pos() != QPoint(0, 0))
        move(0, 0);
}

void SpellHighlighter::paintEvent(QPaintEvent *event)
{
    if (!m_edit || !m_checker || !m_checker->Usable())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xe0, 0x20, 0x20), 1.2));
    QTextCursor at(m_edit->document());
    // A line shown holds one block at most: that many blocks cover the viewport.
    int blocks = height() / qMax(1, m_edit->fontMetrics().lineSpacing()) + 2;
    for (QTextBlock block = m_edit->cursorForPosition(QPoint(0, 0)).block(); block.isValid() && blocks-- > 0;
         block = block.next()) {
        const BlockMarks *marks = MarksOf(block);
        const QTextLayout *layout = block.layout();
        if (!marks || marks->spans.isEmpty() || !layout || layout->lineCount() == 0)
            continue;
        // One place on the screen per block; its words are placed by its own lines.
        at.setPosition(block.position());
        const QRect blockStart = m_edit->cursorRect(at);
        const QTextLine firstLine = layout->lineAt(0);
        const qreal left = blockStart.left() - firstLine.cursorToX(0);
        const qreal top = blockStart.top() - firstLine.y();
        if (top > event->rect().bottom())
            break;
        if (top + layout->boundingRect().height() < event->rect().top())
            continue;
        for (const WordSpan &span : marks->spans) {
            // A word wrapped over two lines is underlined on the first.
            const QTextLine line = layout->lineForTextPosition(int(span.start));
            if (!line.isValid())
                continue;
            const int end = int(qMin<qsizetype>(span.start + span.length, line.textStart() + line.textLength()));
            const qreal y = top + line.y() + line.height() - 1.5;
            DrawWave(painter, left + line.cursorToX(int(span.start)), left + line.cursorToX(end), y);
        }
    }
}
