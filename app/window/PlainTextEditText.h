#pragma once

#include "core/EditorText.h"

class QPlainTextEdit;

// The document model over the window's editor. Reading keeps every character
// (non-breaking spaces included); every change is an edit the user can undo.
class PlainTextEditText : public EditorText
{
public:
    explicit PlainTextEditText(QPlainTextEdit *edit);

    QString Text() const override;
    int Length() const override;
    int SelStart() const override;
    int SelLength() const override;
    void Select(int start, int length) override;
    void Replace(int start, int length, const QString &text) override;
    bool Modified() const override;
    void SetModified(bool modified) override;

    QString SelectedText() const override;
    QString Mid(int start, int length) const override;
    int LineCount() const override;
    QString Line(int i) const override;
    int LineStart(int i) const override;
    int LineFromPosition(int position) const override;
    // When the line breaks stay as they are, only the lines that changed are edited; a long
    // edit is made in parts of whole lines. Either way it is one undo step.
    void SetTextFrom(const QString &before, const QString &text) override;

    // Loads a new document: the text and an empty undo history, as opening a file does.
    void Load(const QString &text);
    // Groups every change until EndCommand into one undo step.
    void BeginCommand();
    void EndCommand();

private:
    QPlainTextEdit *m_edit;
};
