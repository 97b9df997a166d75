#include "tools/ConversionEdit.h"

#include "app/EditorText.h"

#include <algorithm>
#include <cstring>

namespace {

// Length of the common start of a and b, compared a block at a time.
qsizetype CommonPrefix(QStringView a, QStringView b)
{
    constexpr qsizetype kBlock = 4096;
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype same = 0;
    while (same + kBlock <= limit
           && std::memcmp(a.data() + same, b.data() + same, kBlock * sizeof(QChar)) == 0)
        same += kBlock;
    while (same < limit && a[same] == b[same])
        ++same;
    return same;
}

qsizetype CommonSuffix(QStringView a, QStringView b)
{
    constexpr qsizetype kBlock = 4096;
    const qsizetype limit = std::min(a.size(), b.size());
    qsizetype same = 0;
    while (same + kBlock <= limit
           && std::memcmp(a.data() + a.size() - same - kBlock, b.data() + b.size() - same - kBlock,
                          kBlock * sizeof(QChar)) == 0)
        same += kBlock;
    while (same < limit && a[a.size() - 1 - same] == b[b.size() - 1 - same])
        ++same;
    return same;
}

} // namespace

void ApplyConversion(EditorText &editor, const QString &before, const TextConversion &after)
{
    const QString &text = after.text;
    if (!text.isSharedWith(before)) {
        const qsizetype prefix = CommonPrefix(before, text);
        const qsizetype suffix =
            CommonSuffix(QStringView(before).mid(prefix), QStringView(text).mid(prefix));
        const qsizetype removed = before.size() - prefix - suffix;
        const qsizetype added = text.size() - prefix - suffix;
        if (removed > 0 || added > 0)
            editor.Replace(int(prefix), int(removed), text.mid(prefix, added));
    }
    editor.Select(after.selStart, after.selLength);
}
