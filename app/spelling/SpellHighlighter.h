#pragma once

#include "spell/SpellWords.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

class QPlainTextEdit;
class QTextBlock;
class SpellChecker;

// Underlines the misspelled words of the editor with a wavy line, drawn over the
// viewport. A key only moves the marks of its line along; the words are checked a
// moment later, from the lines shown on to the rest of the document in short slices,
// so that neither typing nor opening a long document waits for the dictionary. The
// word being typed is checked once the caret leaves it.
class SpellHighlighter : public QWidget
{
    Q_OBJECT
public:
    // How soon after a change its words are checked, and how long one slice may take.
    static constexpr int kCheckDelayMs = 80;
    static constexpr int kSliceMs = 4;

    explicit SpellHighlighter(QPlainTextEdit *edit);

    // The dictionary to check with; null marks nothing. Everything is checked again.
    void SetChecker(const SpellChecker *checker);
    // The dictionary of a line, when lines are checked in their own languages; the one
    // set by SetChecker otherwise.
    void SetLineChecker(std::function<const SpellChecker *(const QTextBlock &block)> checkerOf)
    {
        m_lineChecker = std::move(checkerOf);
    }
    // Checks everything again, after the words accepted changed.
    void Recheck();
    // The marked words, as places in the document, of the lines checked so far.
    QList<WordSpan> Marks() const;
    // Whether every line has been checked with the current dictionary.
    bool AllChecked() const { return m_backgroundDone; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool Stale(const QTextBlock &block) const;
    // Finds the line's marks; true when they changed.
    bool CheckBlock(const QTextBlock &block);
    void CheckPending();
    void ContentsChange(int position, int removed, int added);
    void CaretMoved();
    void Schedule(int delayMs = kCheckDelayMs);

    QPointer<QPlainTextEdit> m_edit;
    const SpellChecker *m_checker = nullptr;
    std::function<const SpellChecker *(const QTextBlock &block)> m_lineChecker;
    int m_generation = 0;
    QTimer m_timer;
    // The next line the background slices look at.
    int m_backgroundBlock = 0;
    bool m_backgroundDone = true;
    // The word left unmarked while it is typed: its line and where it begins in it.
    bool m_typing = false;
    int m_typedBlock = -1;
    qsizetype m_typedStart = -1;
};
