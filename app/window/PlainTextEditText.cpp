#include "app/window/PlainTextEditText.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QString FromDocumentText(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Characters that the document turns into a block break of its own when they are inserted.
bool HoldsBlockBreaks(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1;
    });
}

// A cursor selecting the span, cut to the document's size characters.
QTextCursor Span(QTextDocument *document, int size, int start, int length)
{
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    return cursor;
}

// A QString over characters of a text that outlives it: insertText copies them anyway.
QString Borrowed(QStringView text)
{
    return QString::fromRawData(text.data(), text.size());
}

// Replaces what the cursor selects by text. Inside an open edit the document lays the
// blocks out again only when the edit ends; until then the old lines of a block it kept
// would be read for the caret, so their layouts are dropped.
void WriteSelection(QTextCursor &cursor, QStringView text)
{
    const int start = cursor.selectionStart();
    if (text.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(Borrowed(text));
    cursor.block().clearLayout();
    cursor.document()->findBlock(start).clearLayout();
}

// Replaces the length characters at position by text.
void WriteAt(QTextCursor &cursor, qsizetype position, qsizetype length, QStringView text)
{
    cursor.setPosition(int(position));
    cursor.setPosition(int(position + length), QTextCursor::KeepAnchor);
    WriteSelection(cursor, text);
}

// The document takes a long edit far more slowly than the same edit made in parts of about
// this many characters (a fifth more time for 10 MB), so long edits are made in parts.
constexpr qsizetype kPartSize = 16 * 1024;

// Where the count-th line break at or after from stands in text, or -1.
qsizetype NthBreak(QStringView text, qsizetype from, qsizetype count)
{
    qsizetype at = from - 1;
    for (; count > 0; --count) {
        at = text.indexOf(u'\n', at + 1);
        if (at < 0)
            return -1;
    }
    return at;
}

// Writes added over the removed characters that start at position when their line counts
// differ. Each part replaces some lines of removed by as many lines of added and keeps the
// line break after them; the last part takes what is left of both. Parts that are already
// equal are left alone.
void WriteInParts(QTextCursor &cursor, qsizetype position, QStringView removed, QStringView added)
{
    qsizetype oldAt = 0;
    qsizetype newAt = 0;
    for (;;) {
        const qsizetype newEnd =
            added.size() - newAt > kPartSize ? added.indexOf(u'\n', newAt + kPartSize) : -1;
        const qsizetype oldEnd =
            newEnd < 0 ? -1 : NthBreak(removed, oldAt, added.mid(newAt, newEnd - newAt).count(u'\n') + 1);
        if (oldEnd < 0) {
            WriteAt(cursor, position, removed.size() - oldAt, added.mid(newAt));
            return;
        }
        const QStringView old = removed.mid(oldAt, oldEnd - oldAt);
        const QStringView part = added.mid(newAt, newEnd - newAt);
        if (old != part)
            WriteAt(cursor, position, old.size(), part);
        position += part.size() + 1;
        oldAt = oldEnd + 1;
        newAt = newEnd + 1;
    }
}

// Writes added over removed, which has as many lines, editing only the lines that differ.
void WriteChangedLines(QTextCursor &cursor, qsizetype position, QStringView removed, QStringView added)
{
    // Line i of the old part becomes line i of the new one. Replacing blocks that did not
    // change costs the document far more than the conversion, so only each run of changed
    // lines is replaced, as whole lines (splitting a line's text costs more), and a long run
    // in parts.
    qsizetype oldStart = 0;
    qsizetype newStart = 0;
    qsizetype runPosition = -1;   // where the current run of changed lines starts
    qsizetype runOldStart = 0;
    qsizetype runNewStart = 0;
    auto replaceRun = [&](qsizetype oldEnd, qsizetype newEnd) {
        WriteAt(cursor, runPosition, oldEnd - runOldStart, added.mid(runNewStart, newEnd - runNewStart));
        runPosition = -1;
    };
    for (;;) {
        qsizetype oldEnd = removed.indexOf(u'\n', oldStart);
        qsizetype newEnd = added.indexOf(u'\n', newStart);
        if (oldEnd < 0)
            oldEnd = removed.size();
        if (newEnd < 0)
            newEnd = added.size();
        if (removed.mid(oldStart, oldEnd - oldStart) != added.mid(newStart, newEnd - newStart)) {
            if (runPosition < 0) {
                runPosition = position;
                runOldStart = oldStart;
                runNewStart = newStart;
            }
        } else if (runPosition >= 0) {
            // The run ended with the line before this one.
            replaceRun(oldStart - 1, newStart - 1);
        }
        const bool last = oldEnd == removed.size();
        if (runPosition >= 0 && (last || newEnd - runNewStart >= kPartSize))
            replaceRun(oldEnd, newEnd);
        if (last)
            break;
        position += newEnd - newStart + 1;
        oldStart = oldEnd + 1;
        newStart = newEnd + 1;
    }
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
    QTextCursor cursor = Span(m_edit->document(), Length(), start, length);
    m_edit->setTextCursor(cursor);
}

void PlainTextEditText::Replace(int start, int length, const QString &text)
{
    QTextCursor cursor = Span(m_edit->document(), Length(), start, length);
    WriteSelection(cursor, text);
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
    QTextCursor cursor = Span(m_edit->document(), Length(), start, length);
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

void PlainTextEditText::SetTextFrom(const QString &before, const QString &text)
{
    if (text.isSharedWith(before))
        return;
    const auto [prefix, suffix] = CommonEnds(before, text);
    const QStringView removed = QStringView(before).mid(prefix, before.size() - prefix - suffix);
    const QStringView added = QStringView(text).mid(prefix, text.size() - prefix - suffix);
    if (removed.isEmpty() && added.isEmpty())
        return;
    if (HoldsBlockBreaks(added)) {
        // Positions no longer follow the characters, and a part could split a "\r\n".
        Replace(int(prefix), int(removed.size()), Borrowed(added));
        return;
    }
    // The position a cursor opens its edit at is where undo puts the caret back.
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(int(prefix));
    cursor.beginEditBlock();
    if (removed.count(u'\n') != added.count(u'\n'))
        WriteInParts(cursor, prefix, removed, added);
    else
        WriteChangedLines(cursor, prefix, removed, added);
    cursor.endEditBlock();
    cursor.setPosition(int(prefix + added.size()));
    m_edit->setTextCursor(cursor);
}

void PlainTextEditText::Load(const QString &text)
{
    m_edit->setPlainText(text);
}

void PlainTextEditText::BeginCommand()
{
    // Undo of the command's edits puts the caret back where the command found it.
    m_edit->textCursor().beginEditBlock();
}

void PlainTextEditText::EndCommand()
{
    QTextCursor(m_edit->document()).endEditBlock();
}
