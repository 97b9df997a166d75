#include "app/documents/DocumentGrowth.h"

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

// One change made in the document.
void Edit(QTextCursor &cursor, const Change &change)
{
    cursor.setPosition(int(change.from));
    cursor.setPosition(int(change.from + change.removed), QTextCursor::KeepAnchor);
    cursor.insertText(change.text);
}

// Where a place of the reader's text lies once the kept changes are made in it: past a
// change it moves with it, inside one it goes to its start, and a place right where text
// comes stays before it.
qsizetype InGrown(qsizetype position, const std::vector<Change> &changes, const std::vector<bool> &kept)
{
    qsizetype moved = position;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Change &change = changes[i];
        if (!kept[i] || position <= change.from)
            continue;
        if (position < change.from + change.removed)
            moved -= position - change.from;
        else
            moved += change.text.size() - change.removed;
    }
    return moved;
}

// Goes through the reader's changes, from the text the pages were shown in to the text
// now (states, the last first), moving the pages' changes along. With a document (the
// shown text grown by the kept changes) each change of the reader's is made again there,
// an undo step of its own. Gives the pages' changes a change of the reader's touched.
std::vector<bool> Replay(const QStringList &states, std::vector<Change> &changes, const std::vector<bool> &kept,
                         QTextDocument *document)
{
    std::vector<bool> touched(changes.size(), false);
    for (qsizetype state = states.size() - 2; state >= 0; --state) {
        const auto [start, end] = CommonEnds(states[state + 1], states[state]);
        const qsizetype removed = states[state + 1].size() - start - end;
        const QString text = states[state].mid(start, states[state].size() - start - end);
        for (std::size_t i = 0; i < changes.size(); ++i)
            touched[i] = touched[i]
                || (start < changes[i].from + changes[i].removed && start + removed > changes[i].from);
        if (document) {
            QTextCursor cursor(document);
            cursor.beginEditBlock();
            cursor.setPosition(int(InGrown(start, changes, kept)));
            cursor.setPosition(int(InGrown(start + removed, changes, kept)), QTextCursor::KeepAnchor);
            cursor.insertText(text);
            cursor.endEditBlock();
        }
        for (Change &change : changes)
            if (change.from >= start + removed)
                change.from += text.size() - removed;
    }
    return touched;
}

} // namespace

void GrowDocument(QPlainTextEdit *edit, const QString &shown, const QString &grown)
{
    QTextDocument *document = edit->document();
    const QTextCursor caret = edit->textCursor();
    const int anchor = caret.anchor(), position = caret.position();

    // The reader's changes since the pages were last shown are taken back, the pages grow
    // under them with no undo step, and they are made again, each an undo step as before.
    QStringList states = {edit->toPlainText()};
    const int steps = document->availableUndoSteps();
    for (int step = 0; step < steps; ++step) {
        document->undo();
        states.append(document->toPlainText());
    }
    const std::vector<Change> placed = Placed(states.last(), shown, ChangesBetween(shown, grown));
    std::vector<Change> moved = placed;
    std::vector<bool> kept(placed.size(), true);
    const std::vector<bool> touched = Replay(states, moved, kept, nullptr);
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        kept[i] = !touched[i];
        if (kept[i])
            Edit(cursor, placed[i]);
    }
    cursor.endEditBlock();
    document->clearUndoRedoStacks();
    moved = placed;
    Replay(states, moved, kept, document);

    const int newAnchor = int(InGrown(anchor, moved, kept)), newPosition = int(InGrown(position, moved, kept));
    if (edit->textCursor().anchor() != newAnchor || edit->textCursor().position() != newPosition) {
        QTextCursor restored(document);
        restored.setPosition(newAnchor);
        restored.setPosition(newPosition, QTextCursor::KeepAnchor);
        edit->setTextCursor(restored);
    }
}
