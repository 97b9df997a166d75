#pragma once

#include <QListWidget>

// A list that tells apart the user's choices from programmatic changes of its row:
// `chosen` follows a mouse click on an entry (the current one included), a keyboard
// move to another entry, and Space on the current entry. setCurrentRow never emits it.
// Entering the list, a screen reader is told of the current entry, selected, not only of
// the list.
class ChoiceList : public QListWidget
{
    Q_OBJECT
public:
    explicit ChoiceList(QWidget *parent = nullptr);

    // Fills the list; every row gets the given height in pixels.
    void SetEntries(const QStringList &entries, int rowHeight);

signals:
    void chosen();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void AnnounceCurrentEntry();

    int m_rowAtPress = -1;
};
