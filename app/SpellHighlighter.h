#pragma once

#include <QSyntaxHighlighter>
#include <QPointer>
#include <QTimer>

class QPlainTextEdit;
class SpellChecker;

// Marks the misspelled words of the editor with a wavy underline. A long document is
// checked where it is shown (and a little around it) as the user scrolls, so opening
// or scrolling never waits for the whole text; the word being typed is marked once
// the caret leaves it.
class SpellHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT
public:
    // Up to this many characters the whole document is checked at once.
    static constexpr int kWholeDocumentLimit = 200000;

    explicit SpellHighlighter(QPlainTextEdit *edit);

    // The dictionary to check with; null marks nothing. Checks again what is shown.
    void SetChecker(const SpellChecker *checker);
    // Checks what is shown again, after the words accepted changed.
    void Recheck();

protected:
    void highlightBlock(const QString &text) override;

private:
    bool ChecksBlockNow(const QTextBlock &block) const;
    void UpdateShownBlocks();
    void CaretMoved();

    QPointer<QPlainTextEdit> m_edit;
    const SpellChecker *m_checker = nullptr;
    QTextCharFormat m_mark;
    QTimer m_shownTimer;
    int m_firstShown = 0;
    int m_lastShown = 60;
    // The word left unmarked while it is typed: its block and where it begins.
    int m_typedBlock = -1;
    int m_typedStart = -1;
    bool m_typing = false;
};
