#include "app/view/SpacedLayout.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

namespace
{
constexpr qreal kTolerance = 0.01;

// Where line `n` of a block starts when the lines before it take `before` pixels.
qreal SpacedTop(qreal before, qreal height, qreal factor)
{
    return before + (factor - 1.0) * height / 2.0;
}

// Whether the block's lines already stand at this factor: the plain layout puts them all
// anew, so its first two lines tell.
bool AlreadySpaced(QTextLayout *layout, qreal factor)
{
    const QTextLine first = layout->lineAt(0);
    if (std::abs(first.y() - SpacedTop(0, first.height(), factor)) > kTolerance)
        return false;
    if (layout->lineCount() < 2)
        return true;
    const QTextLine second = layout->lineAt(1);
    return std::abs(second.y() - SpacedTop(first.height() * factor, second.height(), factor)) <= kTolerance;
}
} // namespace

SpacedLayout::SpacedLayout(QTextDocument *document) : QPlainTextDocumentLayout(document) {}

SpacedLayout *SpacedLayout::Install(QPlainTextEdit *edit)
{
    QTextDocument *document = edit->document();
    const QTextCursor cursor = edit->textCursor();
    const int scroll = edit->verticalScrollBar()->value();
    // The editor lets a document go only by taking another, and deletes the one it made
    // itself: this one is given another owner first, and comes back with the new layout.
    QObject *owner = document->parent();
    document->setParent(edit);
    QTextDocument stand(nullptr);
    stand.setDocumentLayout(new QPlainTextDocumentLayout(&stand));
    edit->setDocument(&stand);
    auto *layout = new SpacedLayout(document);
    document->setDocumentLayout(layout);
    edit->setDocument(document);
    document->setParent(owner);
    QTextCursor back(document);
    back.setPosition(cursor.anchor());
    back.setPosition(cursor.position(), QTextCursor::KeepAnchor);
    edit->setTextCursor(back);
    edit->verticalScrollBar()->setValue(scroll);
    return layout;
}

void SpacedLayout::SetLineFactor(qreal factor)
{
    if (std::abs(factor - m_factor) < kTolerance / 10)
        return;
    m_factor = factor;
    requestUpdate();
    emit documentSizeChanged(documentSize());
}

QRectF SpacedLayout::blockBoundingRect(const QTextBlock &block) const
{
    QRectF rect = QPlainTextDocumentLayout::blockBoundingRect(block);
    QTextLayout *layout = block.layout();
    if (!block.isVisible() || !layout || layout->lineCount() == 0)
        return rect;
    if (!AlreadySpaced(layout, m_factor)) {
        qreal before = 0;
        for (int n = 0; n < layout->lineCount(); ++n) {
            QTextLine line = layout->lineAt(n);
            line.setPosition(QPointF(line.x(), SpacedTop(before, line.height(), m_factor)));
            before += line.height() * m_factor;
        }
    }
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const qreal height = last.y() - SpacedTop(0, last.height(), m_factor) + last.height() * m_factor;
    const qreal margin = block.next().isValid() ? 0 : document()->documentMargin();
    rect.setHeight(height + margin);
    return rect;
}
