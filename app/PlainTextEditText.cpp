#include "app/PlainTextEditText.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QString FromDocumentText(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

} // namespace

PlainTextEditText::PlainTextEditText(QPlainTextEdit *edit)
    : m_edit(edit)
{
}

QString PlainTextEditText::Text() const
{
    return FromDocumentText(m_edit->document()->toRawText());
}

int PlainTextEditText::Length() const
{
    return m_edit->document()->characterCount() - 1;
}

int PlainTextEditText::SelStart() const
{
    return m_edit->textCursor().selectionStart();
}

int PlainTextEditText::SelLength() const
{
    const QTextCursor cursor = m_edit->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void PlainTextEditText::Select(int start, int length)
{
    const int size = Length();
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
}

void PlainTextEditText::Replace(int start, int length, const QString &text)
{
    const int size = Length();
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    if (text.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(text);
    m_edit->setTextCursor(cursor);
}

bool PlainTextEditText::Modified() const
{
    return m_edit->document()->isModified();
}

void PlainTextEditText::SetModified(bool modified)
{
    m_edit->document()->setModified(modified);
}

QString PlainTextEditText::SelectedText() const
{
    return FromDocumentText(m_edit->textCursor().selectedText());
}

QString PlainTextEditText::Mid(int start, int length) const
{
    const int size = Length();
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return FromDocumentText(cursor.selectedText());
}

int PlainTextEditText::LineCount() const
{
    const QTextDocument *document = m_edit->document();
    const int blocks = document->blockCount();
    if (document->lastBlock().length() <= 1)
        return blocks - 1; // an empty last block follows a final line break, or the text is empty
    return blocks;
}

QString PlainTextEditText::Line(int i) const
{
    if (i < 0 || i >= LineCount())
        return QString();
    return m_edit->document()->findBlockByNumber(i).text();
}

int PlainTextEditText::LineStart(int i) const
{
    const QTextDocument *document = m_edit->document();
    if (i < 0 || i >= document->blockCount())
        return -1;
    return document->findBlockByNumber(i).position();
}

int PlainTextEditText::LineFromPosition(int position) const
{
    position = std::clamp(position, 0, Length());
    return m_edit->document()->findBlock(position).blockNumber();
}

void PlainTextEditText::Load(const QString &text)
{
    m_edit->setPlainText(text);
}

void PlainTextEditText::BeginCommand()
{
    QTextCursor(m_edit->document()).beginEditBlock();
}

void PlainTextEditText::EndCommand()
{
    QTextCursor(m_edit->document()).endEditBlock();
}
