#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// What a screen reader is told about a one-line field: its text, caret and selection,
// and its characters, words and sentences as this program finds them, with one run of
// attributes over the whole text.
class AccessibleLineEdit : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface
{
public:
    explicit AccessibleLineEdit(QLineEdit *edit);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text which) const override;
    void setText(QAccessible::Text which, const QString &text) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    QLineEdit *Edit() const;
    // The text as shown: a password field gives its mask, never what was typed.
    QString Shown() const;
};

// Makes every line edit of the program, in its own windows and in Qt's dialogs, answer a
// screen reader through AccessibleLineEdit. Called once, before any window is built.
void InstallAccessibleLineEdits();
