#include "app/window/EditorWidget.h"

#include "app/window/EditorFont.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

QString FirstDroppedFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return QString();
}

EditorWidget::EditorWidget(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setFont(DesignEditorFont());
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WordWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);
    // The right button opens the font dialog instead of a context menu.
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(true);
    setObjectName(QStringLiteral("Edit"));
    setAccessibleName(QStringLiteral("Edit"));
}

void EditorWidget::dragEnterEvent(QDragEnterEvent *event)
{
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void EditorWidget::dragMoveEvent(QDragMoveEvent *event)
{
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void EditorWidget::dropEvent(QDropEvent *event)
{
    const QString fileName = FirstDroppedFile(event->mimeData());
    if (!fileName.isEmpty()) {
        event->acceptProposedAction();
        emit fileDropped(fileName);
        return;
    }
    QPlainTextEdit::dropEvent(event);
}
