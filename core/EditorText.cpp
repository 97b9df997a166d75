#include "core/EditorText.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kCompareBlock = 4096;

// Length of the common start of a and b, compared a block at a time.
qsizetype CommonPrefixLength(QStringView a, QStringView b)
{
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype same = 0;
    while (same + kCompareBlock <= limit
           && std::memcmp(a.data() + same, b.data() + same, kCompareBlock * sizeof(QChar)) == 0)
        same += kCompareBlock;
    while (same < limit && a[same] == b[same])
        ++same;
    return same;
}

qsizetype CommonSuffixLength(QStringView a, QStringView b)
{
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype same = 0;
    while (same + kCompareBlock <= limit
           && std::memcmp(a.data() + a.size() - same - kCompareBlock, b.data() + b.size() - same - kCompareBlock,
                          kCompareBlock * sizeof(QChar)) == 0)
        same += kCompareBlock;
    while (same < limit && a[a.size() - 1 - same] == b[b.size() - 1 - same])
        ++same;
    return same;
}

} // namespace

QString EditorText::SelectedText() const
{
    return Mid(SelStart(), SelLength());
}

QString EditorText::Mid(int start, int length) const
{
    return Text().mid(start, length);
}

int EditorText::LineCount() const
{
    const QString text = Text();
    if (text.isEmpty())
        return 0;
    int breaks = int(text.count(QLatin1Char('\n')));
    return text.endsWith(QLatin1Char('\n')) ? breaks : breaks + 1;
}

int EditorText::LineStart(int i) const
{
    if (i < 0)
        return -1;
    const QString text = Text();
    int position = 0;
    for (int line = 0; line < i; ++line) {
        const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'), position);
        if (lineBreak < 0)
            return -1;
        position = int(lineBreak) + 1;
    }
    return position;
}

QString EditorText::Line(int i) const
{
    if (i < 0 || i >= LineCount())
        return QString();
    const int start = LineStart(i);
    const QString text = Text();
    qsizetype end = text.indexOf(QLatin1Char('\n'), start);
    if (end < 0)
        end = text.size();
    return text.mid(start, end - start);
}

int EditorText::LineFromPosition(int position) const
{
    const QString text = Text();
    position = std::clamp(position, 0, int(text.size()));
    return int(QStringView(text).left(position).count(QLatin1Char('\n')));
}

std::pair<qsizetype, qsizetype> EditorText::CommonEnds(QStringView before, QStringView text)
{
    const qsizetype prefix = CommonPrefixLength(before, text);
    return {prefix, CommonSuffixLength(before.mid(prefix), text.mid(prefix))};
}

void EditorText::SetTextFrom(const QString &before, const QString &text)
{
    if (text.isSharedWith(before))
        return;
    const auto [prefix, suffix] = CommonEnds(before, text);
    const qsizetype removed = before.size() - prefix - suffix;
    const qsizetype added = text.size() - prefix - suffix;
    if (removed == 0 && added == 0)
        return;
    Replace(int(prefix), int(removed), text.mid(prefix, added));
}

void EditorText::InsertLine(int i, const QString &text)
{
    const int start = LineStart(i);
    if (start >= 0) {
        Replace(start, 0, text + QLatin1Char('\n'));
        return;
    }
    // Past the last line: the new line follows a break after the last character.
    const int end = Length();
    if (end > 0 && Mid(end - 1, 1) == QLatin1String("\n"))
        Replace(end, 0, text + QLatin1Char('\n'));
    else
        Replace(end, 0, QLatin1Char('\n') + text);
}

void EditorText::DeleteLine(int i)
{
    const int start = LineStart(i);
    if (start < 0 || i >= LineCount())
        return;
    int end = LineStart(i + 1);
    if (end < 0)
        end = Length();
    Replace(start, end - start, QString());
}

void PlainEditorText::SetTextFrom(const QString &before, const QString &text)
{
    if (text.isSharedWith(before))
        return;
    const auto [prefix, suffix] = CommonEnds(before, text);
    if (before.size() == prefix + suffix && text.size() == prefix + suffix)
        return;
    m_text = text;
    m_selStart = int(text.size() - suffix);
    m_selLength = 0;
    m_modified = true;
}

PlainEditorText::PlainEditorText(const QString &text)
    : m_text(text)
{
}

void PlainEditorText::Select(int start, int length)
{
    const int size = int(m_text.size());
    m_selStart = std::clamp(start, 0, size);
    m_selLength = std::clamp(length, 0, size - m_selStart);
}

void PlainEditorText::Replace(int start, int length, const QString &text)
{
    const int size = int(m_text.size());
    start = std::clamp(start, 0, size);
    length = std::clamp(length, 0, size - start);
    m_text.replace(start, length, text);
    m_selStart = start + int(text.size());
    m_selLength = 0;
    m_modified = true;
}
