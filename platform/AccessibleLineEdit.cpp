#include "platform/AccessibleLineEdit.h"

#include "platform/TextBoundaries.h"

#include <QLineEdit>

namespace {

QString Slice(const QString &text, TextRange range, int *startOffset, int *endOffset)
{
    *startOffset = range.start;
    *endOffset = range.end;
    if (range.start < 0)
        return QString();
    return text.mid(range.start, range.end - range.start);
}

QAccessibleInterface *LineEditFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QLineEdit"))
        return nullptr;
    if (auto *edit = qobject_cast<QLineEdit *>(object))
        return new AccessibleLineEdit(edit);
    return nullptr;
}

} // namespace

AccessibleLineEdit::AccessibleLineEdit(QLineEdit *edit) : QAccessibleWidget(edit, QAccessible::EditableText)
{
}

QLineEdit *AccessibleLineEdit::Edit() const
{
    return static_cast<QLineEdit *>(widget());
}

QString AccessibleLineEdit::Shown() const
{
    return Edit()->echoMode() == QLineEdit::Normal ? Edit()->text() : Edit()->displayText();
}

void *AccessibleLineEdit::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString AccessibleLineEdit::text(QAccessible::Text which) const
{
    if (which == QAccessible::Value)
        return Shown();
    QString text = QAccessibleWidget::text(which);
    if (which == QAccessible::Name && text.isEmpty())
        text = Edit()->placeholderText();
    return text;
}

void AccessibleLineEdit::setText(QAccessible::Text which, const QString &text)
{
    if (which != QAccessible::Value) {
        QAccessibleWidget::setText(which, text);
        return;
    }
    if (!Edit()->isReadOnly())
        Edit()->setText(text);
}

QAccessible::State AccessibleLineEdit::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    if (Edit()->isReadOnly())
        state.readOnly = true;
    else
        state.editable = true;
    if (Edit()->echoMode() != QLineEdit::Normal)
        state.passwordEdit = true;
    state.selectableText = true;
    return state;
}

void AccessibleLineEdit::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !Edit()->hasSelectedText())
        return;
    *startOffset = Edit()->selectionStart();
    *endOffset = Edit()->selectionEnd();
}

int AccessibleLineEdit::selectionCount() const
{
    return Edit()->hasSelectedText() ? 1 : 0;
}

void AccessibleLineEdit::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void AccessibleLineEdit::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        Edit()->deselect();
}

void AccessibleLineEdit::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const int size = characterCount();
    startOffset = std::clamp(startOffset, 0, size);
    endOffset = std::clamp(endOffset, 0, size);
    Edit()->setSelection(startOffset, endOffset - startOffset);
}

int AccessibleLineEdit::cursorPosition() const
{
    return Edit()->cursorPosition();
}

void AccessibleLineEdit::setCursorPosition(int position)
{
    Edit()->setCursorPosition(std::clamp(position, 0, characterCount()));
}

QString AccessibleLineEdit::text(int startOffset, int endOffset) const
{
    const QString shown = Shown();
    startOffset = std::clamp(startOffset, 0, int(shown.size()));
    endOffset = std::clamp(endOffset, startOffset, int(shown.size()));
    return shown.mid(startOffset, endOffset - startOffset);
}

QString AccessibleLineEdit::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                             int *endOffset) const
{
    const QString shown = Shown();
    return Slice(shown, PieceBefore(shown, offset, boundary), startOffset, endOffset);
}

QString AccessibleLineEdit::textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                            int *endOffset) const
{
    const QString shown = Shown();
    return Slice(shown, PieceAfter(shown, offset, boundary), startOffset, endOffset);
}

QString AccessibleLineEdit::textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int *startOffset,
                                         int *endOffset) const
{
    const QString shown = Shown();
    return Slice(shown, PieceAt(shown, offset, boundary), startOffset, endOffset);
}

int AccessibleLineEdit::characterCount() const
{
    return int(Shown().size());
}

QRect AccessibleLineEdit::characterRect(int offset) const
{
    const QString shown = Shown();
    if (offset < 0 || offset > shown.size())
        return QRect();
    // Where the caret would stand before the character, found from the field's own
    // answer for a point, so that scrolling and alignment are taken into account.
    QLineEdit *edit = Edit();
    const QFontMetrics metrics(edit->font());
    const QRect contents = edit->contentsRect().marginsRemoved(edit->textMargins());
    int low = contents.left();
    int high = contents.right();
    while (low < high) {
        const int middle = (low + high) / 2;
        if (edit->cursorPositionAt(QPoint(middle, contents.center().y())) < offset)
            low = middle + 1;
        else
            high = middle;
    }
    const int width = offset < shown.size() ? metrics.horizontalAdvance(shown.mid(offset, 1)) : 1;
    const QRect local(low, contents.top() + (contents.height() - metrics.height()) / 2, width, metrics.height());
    return QRect(edit->mapToGlobal(local.topLeft()), local.size());
}

int AccessibleLineEdit::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = Edit()->mapFromGlobal(point);
    if (!Edit()->rect().contains(local))
        return -1;
    return Edit()->cursorPositionAt(local);
}

void AccessibleLineEdit::scrollToSubstring(int startIndex, int endIndex)
{
    setCursorPosition(endIndex);
    setCursorPosition(startIndex);
}

QString AccessibleLineEdit::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One run over the whole text, so that the last character is read with the rest.
    const int size = characterCount();
    if (offset < 0 || offset > size) {
        *startOffset = *endOffset = -1;
        return QString();
    }
    *startOffset = 0;
    *endOffset = size;
    return QString();
}

void AccessibleLineEdit::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void AccessibleLineEdit::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void AccessibleLineEdit::replaceText(int startOffset, int endOffset, const QString &text)
{
    QLineEdit *edit = Edit();
    if (edit->isReadOnly())
        return;
    const int size = characterCount();
    startOffset = std::clamp(startOffset, 0, size);
    endOffset = std::clamp(endOffset, startOffset, size);
    // Through the field's own editing, so that it can be undone and its checks apply.
    edit->setSelection(startOffset, endOffset - startOffset);
    edit->insert(text);
}

void InstallAccessibleLineEdits()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(LineEditFactory);
}
