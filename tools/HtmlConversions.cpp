#include "tools/HtmlConversions.h"

#include <array>

namespace {

// The template declaration is removed in two halves, each wherever it stands.
const std::array<ReplacementRow, 7> kWordRows = {{
    {u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">", u""},
    {u"<META NAME=\"Generator\" CONTENT=\"Microsoft Word 97\">", u""},
    {u"<META NAME=\"Template\" CONTENT=\"C:\\Archivos de programa\\", u""},
    {u"Microsoft Office\\Plantillas\\Normal.dot\">", u""},
    {u"<P ALIGN=\"JUSTIFY\">", u""},
    {u"&nbsp;", u""},
    {u"</P>", u"<BR>"},
}};

} // namespace

std::span<const ReplacementRow> CleanWordHtmlRows()
{
    return kWordRows;
}

TextConversion CleanWordHtml(const QString &text)
{
    // A removal can join two pieces into a match of a later row, so the rows run one by one.
    return ApplyReplacementRows(text, kWordRows);
}

TextConversion RemoveTags(const QString &text)
{
    const QStringView source(text);
    QString result;
    QChar *out = nullptr;
    qsizetype copied = 0;
    TextConversion conversion;
    for (;;) {
        const qsizetype open = source.indexOf(u'<', copied);
        if (open < 0)
            break;
        const qsizetype close = source.indexOf(u'>', open + 1);
        if (close < 0) {
            // The lone "<" stays selected where the search left it.
            const qsizetype written = out ? out - result.constData() : 0;
            conversion.selStart = int(written + open - copied);
            conversion.selLength = 1;
            break;
        }
        if (!out) {
            result = QString(text.size(), Qt::Uninitialized);
            out = result.data();
        }
        out = CopyCharacters(out, source.data() + copied, open - copied);
        conversion.selStart = int(out - result.constData());
        copied = close + 1;
    }
    if (!out) {
        conversion.text = text;
        return conversion;
    }
    out = CopyCharacters(out, source.data() + copied, source.size() - copied);
    result.truncate(out - result.constData());
    conversion.text = std::move(result);
    return conversion;
}
