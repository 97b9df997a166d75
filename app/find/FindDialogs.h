#pragma once

#include "app/find/FindReplace.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The modeless find dialog `FindDialog1`: always downwards, with match case and whole word.
class FindDialog : public QDialog
{
    Q_OBJECT
public:
    explicit FindDialog(QWidget *parent = nullptr);

    QString FindText() const;
    void SetFindText(const QString &text);
    SearchOptions Options() const;
    // Shows the dialog, or brings it forward, with the find field focused and its text selected.
    void Present();

signals:
    void findNext();

protected:
    // Captions in the interface language of the window that opened the dialog.
    void Relabel();
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

    QLineEdit *m_findEdit;
    QCheckBox *m_matchCase;
    QCheckBox *m_wholeWord;
    QPushButton *m_findButton;
};

// The modeless replace dialog `ReplaceDialog1`: find next, replace and replace all.
class ReplaceDialog : public FindDialog
{
    Q_OBJECT
public:
    explicit ReplaceDialog(QWidget *parent = nullptr);

    QString ReplaceText() const;
    void SetReplaceText(const QString &text);

signals:
    void replace();
    void replaceAll();

private:
    QLineEdit *m_replaceEdit;
};
