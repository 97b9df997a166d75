#pragma once

#include <QPlainTextDocumentLayout>

class QPlainTextEdit;

// The editor's layout with room between lines: each line keeps its own height times a
// factor, its text centred in it. The text, the caret, selections, marks drawn from the
// line positions and the mouse follow, as they all ask the layout where a line is. At a
// factor of 1 it is the plain layout.
class SpacedLayout : public QPlainTextDocumentLayout
{
    Q_OBJECT
public:
    // Puts a spaced layout under the editor's document. The document itself, its undo
    // history and everything connected to it stay; the caret and scroll are put back.
    static SpacedLayout *Install(QPlainTextEdit *edit);

    explicit SpacedLayout(QTextDocument *document);

    qreal LineFactor() const { return m_factor; }
    void SetLineFactor(qreal factor);

    QRectF blockBoundingRect(const QTextBlock &block) const override;

private:
    qreal m_factor = 1.0;
};
