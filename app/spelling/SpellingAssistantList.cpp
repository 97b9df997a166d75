#include "app/spelling/SpellingAssistantList.h"

#include <QAccessible>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace
{
// More rows than this scroll inside the list.
constexpr int kMostRows = 8;
} // namespace

SuggestionList::SuggestionList(QPlainTextEdit *edit, int wordStart, const QString &word, const QStringList &rows)
    : QListWidget(edit->window())
{
    setObjectName(QStringLiteral("LlistaSuggeriments"));
    setAccessibleName(word);
    setFocusPolicy(Qt::NoFocus);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // It only shows what the keys in the editor do.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    addItems(rows);
    PlaceUnderWord(edit, wordStart);
    MarkRow(0);
    raise();
    show();
}

void SuggestionList::MarkRow(int row)
{
    if (row < 0 || row >= count())
        return;
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(row));
    // A screen reader reviewing the window finds the row Enter would take selected.
    QAccessibleEvent selected(this, QAccessible::Selection);
    selected.setChild(row);
    QAccessible::updateAccessibility(&selected);
}

void SuggestionList::PlaceUnderWord(QPlainTextEdit *edit, int wordStart)
{
    QTextCursor at(edit->document());
    at.setPosition(wordStart);
    const QRect word = edit->cursorRect(at);
    const int rows = qBound(1, count(), kMostRows);
    const int frame = 2 * frameWidth();
    const int width = qMax(sizeHintForColumn(0) + frame + (count() > kMostRows ? verticalScrollBar()->sizeHint().width() : 0),
                           word.height() * 4);
    const int height = rows * qMax(sizeHintForRow(0), 1) + frame;
    QWidget *window = parentWidget();
    QPoint below = edit->viewport()->mapTo(window, word.bottomLeft() + QPoint(0, 2));
    // Kept inside the window: above the word when there is no room below it.
    if (below.y() + height > window->height())
        below.setY(qMax(0, edit->viewport()->mapTo(window, word.topLeft()).y() - height - 2));
    below.setX(qBound(0, below.x(), qMax(0, window->width() - width)));
    setGeometry(QRect(below, QSize(width, height)));
}
