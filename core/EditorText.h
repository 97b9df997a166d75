#pragma once

#include <QString>

#include <utility>

// The document as every command sees it: a text of lines, a selection and a
// modified flag. A line break is one character ("\n"), so positions count it once.
class EditorText
{
public:
    virtual ~EditorText() = default;

    // What an implementation must provide.
    virtual QString Text() const = 0;
    virtual int Length() const = 0;
    virtual int SelStart() const = 0;
    virtual int SelLength() const = 0;
    // Selects [start, start + length), clamped to the text; the caret stands at the end.
    virtual void Select(int start, int length) = 0;
    // Replaces [start, start + length) by text as one edit; the caret then stands after it.
    virtual void Replace(int start, int length, const QString &text) = 0;
    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;

    // What an implementation may provide faster; the defaults work on Text().
    virtual QString SelectedText() const;
    virtual QString Mid(int start, int length) const;
    // Number of lines; the empty line after a final line break is not counted.
    virtual int LineCount() const;
    // Line i without its break; empty past the last line.
    virtual QString Line(int i) const;
    // Position where line i starts, counting the empty line after a final break;
    // -1 when there is no such line.
    virtual int LineStart(int i) const;
    virtual int LineFromPosition(int position) const;

    // Shared operations built on the above.
    void SetSelStart(int start) { Select(start, 0); }
    void SetSelLength(int length) { Select(SelStart(), length); }
    // With no selection this inserts at the caret; the caret then stands after the text.
    void ReplaceSelection(const QString &text) { Replace(SelStart(), SelLength(), text); }
    // Sets the whole text as one edit that touches only what changed.
    void SetText(const QString &text) { SetTextFrom(Text(), text); }
    // The same when the caller already holds the current text (before). The caret then
    // stands after the changed part.
    virtual void SetTextFrom(const QString &before, const QString &text);
    // Inserts text as line i; past the end it becomes a new last line.
    void InsertLine(int i, const QString &text);
    void AddLine(const QString &text) { InsertLine(LineCount(), text); }
    // Deletes line i with its line break.
    void DeleteLine(int i);
    int CurrentLineIndex() const { return LineFromPosition(SelStart()); }
    QString CurrentLine() const { return Line(CurrentLineIndex()); }

protected:
    // How many characters before and text share at their start and, after that, at their end.
    static std::pair<qsizetype, qsizetype> CommonEnds(QStringView before, QStringView text);
};

// The document held in memory: for tests and for the command line.
class PlainEditorText : public EditorText
{
public:
    explicit PlainEditorText(const QString &text = QString());

    QString Text() const override { return m_text; }
    int Length() const override { return int(m_text.size()); }
    int SelStart() const override { return m_selStart; }
    int SelLength() const override { return m_selLength; }
    void Select(int start, int length) override;
    void Replace(int start, int length, const QString &text) override;
    bool Modified() const override { return m_modified; }
    void SetModified(bool modified) override { m_modified = modified; }
    QString Mid(int start, int length) const override { return m_text.mid(start, length); }
    // Takes the new text as it is, without copying the changed part.
    void SetTextFrom(const QString &before, const QString &text) override;

private:
    QString m_text;
    int m_selStart = 0;
    int m_selLength = 0;
    bool m_modified = false;
};
