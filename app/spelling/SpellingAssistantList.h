#pragma once

#include <QListWidget>
#include <QPointer>

class QPlainTextEdit;

// The suggestions of the word Ctrl+F12 spelt, shown under the word as a small list for
// those who see better than they hear. It never takes the focus: the keys stay in the
// editor, and the row last heard is the current one, which Enter takes.
class SuggestionList : public QListWidget
{
    Q_OBJECT
public:
    // Shown over the editor's window, under the word that starts at wordStart.
    SuggestionList(QPlainTextEdit *edit, int wordStart, const QString &word, const QStringList &rows);

    void MarkRow(int row);

private:
    void PlaceUnderWord(QPlainTextEdit *edit, int wordStart);
};
