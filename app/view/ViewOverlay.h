#pragma once

#include <QWidget>

#include <functional>

class QPlainTextEdit;
struct ViewSettings;

// What the reading view draws over the editor's text: the dimming of the lines out of
// focus, the tint of every other syllable and the wide caret. It takes no mouse or key.
class ViewOverlay : public QWidget
{
    Q_OBJECT
public:
    // `focusPosition` gives the document position whose line is in focus: the word being
    // heard while reading, otherwise the caret. `borders` gives where a word's syllables
    // start after its first, none when they cannot be told.
    using SyllableBorders = std::function<QList<qsizetype>(QStringView word)>;
    ViewOverlay(QPlainTextEdit *edit, const ViewSettings &settings, std::function<int()> focusPosition,
                SyllableBorders borders);

    // Whether it has anything to draw with the settings as they are.
    bool Needed() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct ShownLine;
    QList<ShownLine> ShownLines() const;
    void DimOutOfFocus(class QPainter &painter, const QList<ShownLine> &lines) const;
    void TintSyllables(QPainter &painter, const QList<ShownLine> &lines) const;
    void DrawCaret(QPainter &painter) const;

    QPlainTextEdit *m_edit;
    const ViewSettings &m_settings;
    std::function<int()> m_focusPosition;
    SyllableBorders m_borders;
};
