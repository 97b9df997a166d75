#include "app/view/ViewOverlay.h"

#include "app/view/ViewSettings.h"
#include "core/Syllables.h"

#include <QEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace
{
// How much of the base colour lies over a line out of focus: its text keeps well under
// half its contrast, and can still be made out.
constexpr int kDimAlpha = 165;
constexpr int kSyllableTintAlpha = 70;
constexpr int kWideCaret = 3;
} // namespace

// One line of text on the screen: where it is and which characters it shows.
struct ViewOverlay::ShownLine
{
    QTextBlock block;
    int lineNumber = 0;
    QRectF slot;  // the whole height the line takes, across the viewport
    qreal left = 0; // x of the block's layout origin
};

ViewOverlay::ViewOverlay(QPlainTextEdit *edit, const ViewSettings &settings, std::function<int()> focusPosition,
                         SyllableBorders borders)
    : QWidget(edit->viewport())
    , m_edit(edit)
    , m_settings(settings)
    , m_focusPosition(std::move(focusPosition))
    , m_borders(std::move(borders))
{
    setObjectName(QStringLiteral("ReadingViewOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(edit->viewport()->rect());
    edit->viewport()->installEventFilter(this);
    connect(edit, &QPlainTextEdit::cursorPositionChanged, this, qOverload<>(&QWidget::update));
    connect(edit, &QPlainTextEdit::updateRequest, this, [this] { update(); });
    show();
}

bool ViewOverlay::Needed() const
{
    return m_settings.focusLines > 0 || m_settings.syllables || m_settings.wideCaret;
}

bool ViewOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Resize)
        setGeometry(static_cast<QWidget *>(watched)->rect());
    return false;
}

void ViewOverlay::moveEvent(QMoveEvent *)
{
    // Scrolling the viewport moves its children along with the text.
    if (pos() != QPoint(0, 0))
        move(0, 0);
}

QList<ViewOverlay::ShownLine> ViewOverlay::ShownLines() const
{
    QList<ShownLine> lines;
    QTextCursor at(m_edit->document());
    const qreal bottom = height();
    for (QTextBlock block = m_edit->cursorForPosition(QPoint(0, 0)).block(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!block.isVisible() || !layout || layout->lineCount() == 0)
            continue;
        at.setPosition(block.position());
        const QRect blockStart = m_edit->cursorRect(at);
        const QTextLine first = layout->lineAt(0);
        const qreal left = blockStart.left() - first.cursorToX(0);
        const qreal top = blockStart.top() - first.y();
        if (top > bottom)
            break;
        // A block of many lines (a long line wrapped) is entered where the screen starts.
        int n = 0;
        for (int high = layout->lineCount() - 1; n < high;) {
            const int middle = (n + high) / 2;
            const QTextLine line = layout->lineAt(middle);
            if (top + line.y() + line.height() < 0)
                n = middle + 1;
            else
                high = middle;
        }
        n = qMax(0, n - 1);
        // The slot of a line reaches down to the next line's top, spacing included.
        for (; n < layout->lineCount(); ++n) {
            const QTextLine line = layout->lineAt(n);
            const qreal slotTop = n == 0 ? top : top + (layout->lineAt(n - 1).y() + line.y() + layout->lineAt(n - 1).height()) / 2;
            const qreal slotBottom = n + 1 < layout->lineCount()
                ? top + (line.y() + line.height() + layout->lineAt(n + 1).y()) / 2
                : top + m_edit->document()->documentLayout()->blockBoundingRect(block).height();
            if (slotBottom < 0)
                continue;
            if (slotTop > bottom)
                break;
            lines.append({block, n, QRectF(0, slotTop, width(), slotBottom - slotTop), left});
        }
    }
    return lines;
}

void ViewOverlay::paintEvent(QPaintEvent *)
{
    if (!Needed())
        return;
    QPainter painter(this);
    const QList<ShownLine> lines = m_settings.focusLines > 0 || m_settings.syllables ? ShownLines() : QList<ShownLine>();
    if (m_settings.syllables)
        TintSyllables(painter, lines);
    if (m_settings.focusLines > 0)
        DimOutOfFocus(painter, lines);
    if (m_settings.wideCaret)
        DrawCaret(painter);
}

void ViewOverlay::DimOutOfFocus(QPainter &painter, const QList<ShownLine> &lines) const
{
    const QTextBlock focusBlock = m_edit->document()->findBlock(qMax(0, m_focusPosition()));
    int focusLine = 0;
    if (const QTextLayout *layout = focusBlock.layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(qMax(0, m_focusPosition()) - focusBlock.position());
        focusLine = line.isValid() ? line.lineNumber() : layout->lineCount() - 1;
    }
    qsizetype focusIndex = -1;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i).block == focusBlock && lines.at(i).lineNumber == focusLine)
            focusIndex = i;
    const int reach = (m_settings.focusLines - 1) / 2;
    QColor veil = m_edit->palette().color(QPalette::Base);
    veil.setAlpha(kDimAlpha);
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (focusIndex < 0 || qAbs(i - focusIndex) > reach)
            painter.fillRect(lines.at(i).slot, veil);
}

void ViewOverlay::TintSyllables(QPainter &painter, const QList<ShownLine> &lines) const
{
    if (!m_borders)
        return;
    QColor tint = m_edit->palette().color(QPalette::Highlight);
    tint.setAlpha(kSyllableTintAlpha);
    for (const ShownLine &shown : lines) {
        const QTextLine line = shown.block.layout()->lineAt(shown.lineNumber);
        // Only the line's own characters are taken: its block may be a whole long file.
        QTextCursor range(m_edit->document());
        range.setPosition(shown.block.position() + line.textStart());
        range.setPosition(shown.block.position() + line.textStart() + line.textLength(), QTextCursor::KeepAnchor);
        const QString text = range.selectedText();
        const qreal top = shown.slot.top() + (shown.slot.height() - line.height()) / 2;
        for (const TextWord &word : WordsForSyllables(text)) {
            const QList<qsizetype> borders = m_borders(QStringView(text).mid(word.start, word.length));
            // Every other syllable of a word is tinted, starting from its second.
            for (qsizetype n = 0; n < borders.size(); n += 2) {
                const qsizetype from = word.start + borders.at(n);
                const qsizetype to = n + 1 < borders.size() ? word.start + borders.at(n + 1) : word.start + word.length;
                const qreal x1 = shown.left + line.cursorToX(int(line.textStart() + from));
                const qreal x2 = shown.left + line.cursorToX(int(line.textStart() + to));
                painter.fillRect(QRectF(qMin(x1, x2), top, qAbs(x2 - x1), line.height()), tint);
            }
        }
    }
}

void ViewOverlay::DrawCaret(QPainter &painter) const
{
    QRect caret = m_edit->cursorRect();
    caret.setWidth(qMax(kWideCaret, caret.width()));
    painter.fillRect(caret, m_edit->palette().color(QPalette::Highlight));
}
