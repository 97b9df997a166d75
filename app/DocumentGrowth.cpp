#include "app/DocumentGrowth.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// One change of the shown text: [from, from + removed) becomes text.
struct Change
{
    qsizetype from = 0;
    qsizetype removed = 0;
    QString text;
};

// The text in lines, each with its break, so that joined again they are the text.
QStringList LinesOf(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        end = end < 0 ? text.size() : end + 1;
        lines.append(text.mid(start, end - start));
        start = end;
    }
    return lines;
}

// Line by line, what turns before into after: lines gone (a running header found out),
// lines come (the next pages). A line matched a little further on is taken as the ones
// between going or coming, whichever are fewer; a line matched nowhere near is replaced.
std::vector<Change> ChangesBetween(const QString &before, const QString &after)
{
    constexpr qsizetype kLookAhead = 64;
    const QStringList from = LinesOf(before), to = LinesOf(after);
    std::vector<Change> changes;
    qsizetype i = 0, j = 0, at = 0;
    auto length = [](const QStringList &lines, qsizetype first, qsizetype count) {
        qsizetype size = 0;
        for (qsizetype k = first; k < first + count; ++k)
            size += lines[k].size();
        return size;
    };
    while (i < from.size() && j < to.size()) {
        if (from[i] == to[j]) {
            at += from[i++].size();
            ++j;
            continue;
        }
        qsizetype gone = -1, come = -1;
        for (qsizetype d = 1; d <= kLookAhead && gone < 0 && i + d < from.size(); ++d)
            if (from[i + d] == to[j])
                gone = d;
        for (qsizetype d = 1; d <= kLookAhead && come < 0 && j + d < to.size(); ++d)
            if (from[i] == to[j + d])
                come = d;
        Change change;
        change.from = at;
        if (gone > 0 && (come < 0 || gone <= come)) {
            change.removed = length(from, i, gone);
            i += gone;
        } else if (come > 0) {
            change.text = to.mid(j, come).join(QString());
            j += come;
        } else {
            change.removed = from[i++].size();
            change.text = to[j++];
        }
        at += change.removed;
        changes.push_back(change);
    }
    if (i < from.size() || j < to.size())
        changes.push_back({at, before.size() - at, to.mid(j).join(QString())});
    return changes;
}

// Where a place of the editor goes when [from, from + removed) becomes inserted characters:
// after them when it was past the change, at its start when inside; a caret right where
// text comes stays before it.
int Moved(int position, const Change &change, qsizetype inserted)
{
    if (position <= change.from)
        return position;
    if (position < change.from + change.removed)
        return int(change.from);
    return int(position + inserted - change.removed);
}

// How many characters two texts share at their start and, after that, at their end.
std::pair<qsizetype, qsizetype> CommonEnds(const QString &one, const QString &other)
{
    qsizetype start = 0;
    const qsizetype shorter = std::min(one.size(), other.size());
    while (start < shorter && one[start] == other[start])
        ++start;
    qsizetype end = 0;
    while (end < shorter - start && one[one.size() - 1 - end] == other[other.size() - 1 - end])
        ++end;
    return {start, end};
}

// The changes of the shown text placed in the text as it is now, from the last to the
// first: the reader's own changes lie between what is still as shown at both ends, a
// change of the pages' is placed by the end it lies in, and one inside them is given up.
std::vector<Change> Placed(const QString &now, const QString &shown, const std::vector<Change> &changes)
{
    const auto [same, sameEnd] = CommonEnds(now, shown);
    std::vector<Change> placed;
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        Change moved = *change;
        if (now != shown) {
            if (change->from >= shown.size() - sameEnd)
                moved.from += now.size() - shown.size();
            else if (change->from + change->removed > same)
                continue;
        }
        placed.push_back(moved);
    }
    return placed;
}

QString Applied(QString text, const std::vector<Change> &placed)
{
    for (const Change &change : placed)
        text.replace(change.from, change.removed, change.text);
    return text;
}

// One edit of the document: [from, from + removed) becomes text.
void Edit(QTextCursor &cursor, const Change &change)
{
    cursor.setPosition(int(change.from));
    cursor.setPosition(int(change.from + change.removed), QTextCursor::KeepAnchor);
    cursor.insertText(change.text);
}

} // namespace

void GrowDocument(QPlainTextEdit *edit, const QString &shown, const QString &grown)
{
    QTextDocument *document = edit->document();
    const QString now = edit->toPlainText();
    const std::vector<Change> changes = ChangesBetween(shown, grown);
    const std::vector<Change> placed = Placed(now, shown, changes);
    QTextCursor caret = edit->textCursor();
    int anchor = caret.anchor(), position = caret.position();
    for (const Change &change : placed) {
        anchor = Moved(anchor, change, change.text.size());
        position = Moved(position, change, change.text.size());
    }

    // The reader's changes since the document opened are taken back, the pages grow
    // under them with no undo step, and they are made again, each an undo step as before.
    QStringList states = {now};
    const int steps = document->availableUndoSteps();
    for (int step = 0; step < steps; ++step) {
        document->undo();
        states.append(document->toPlainText());
    }
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (const Change &change : Placed(states.last(), shown, changes))
        Edit(cursor, change);
    cursor.endEditBlock();
    document->clearUndoRedoStacks();
    QString before = Applied(states.last(), Placed(states.last(), shown, changes));
    for (qsizetype state = states.size() - 2; state >= 0; --state) {
        const QString after = Applied(states[state], Placed(states[state], shown, changes));
        const auto [start, end] = CommonEnds(before, after);
        cursor.beginEditBlock();
        Edit(cursor, {start, before.size() - start - end, after.mid(start, after.size() - start - end)});
        cursor.endEditBlock();
        before = after;
    }
    if (edit->textCursor().anchor() != anchor || edit->textCursor().position() != position) {
        caret.setPosition(anchor);
        caret.setPosition(position, QTextCursor::KeepAnchor);
        edit->setTextCursor(caret);
    }
}
