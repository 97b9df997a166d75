#pragma once

#include <QPlainTextEdit>

// The editor `Edit`: plain text, "Courier New" 13 px, wrapped at the window's width,
// tabs typed as text. Files dropped on it are opened, not inserted as text.
class EditorWidget : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit EditorWidget(QWidget *parent = nullptr);

signals:
    void fileDropped(const QString &fileName);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// The first local file of a drop, whole, however long its name; empty when none.
QString FirstDroppedFile(const class QMimeData *mime);
