// The clean-up of converted text: words placed anywhere on any number of pages, and
// markup of any shape, give text whose paragraphs are single lines parted by one
// empty line, with no soft hyphen left and no blank at a line's ends.
#include "core/documents/MarkupText.h"
#include "core/documents/TextCleanup.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void CheckClean(const QString &text)
{
    if (text.isEmpty())
        return;
    if (!text.endsWith(QLatin1Char('\n')) || text.contains(QLatin1String("\n\n\n")) || text.contains(QChar(0x00AD)))
        std::abort();
    const QStringList lines = text.chopped(1).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        // Paragraph lines and the empty lines between them alternate.
        if ((i % 2 == 1) != line.isEmpty())
            std::abort();
        if (!line.isEmpty() && (line.front().isSpace() || line.back().isSpace()))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Each word takes five bytes of place and size and up to eight bytes of text.
    QList<TextCleanup::Page> pages;
    TextCleanup::Page page;
    page.size = QSizeF(595, 842);
    size_t at = 0;
    while (at + 6 <= size) {
        const uint8_t *w = data + at;
        if (w[0] == 0xFF) {
            pages.append(page);
            page.words.clear();
            at += 1;
            continue;
        }
        const size_t length = std::min<size_t>(w[5] % 9, size - at - 6);
        TextCleanup::Word word;
        word.box = QRectF(w[0] * 2.5, w[1] * 3.3, 1 + w[2] / 4.0, 1 + w[3] / 8.0);
        word.text = QString::fromUtf8(reinterpret_cast<const char *>(w + 6), qsizetype(length));
        if (w[4] & 1)
            word.text += QLatin1Char('-');
        if (w[4] & 2)
            word.text += QChar(0x00AD);
        page.words.append(word);
        at += 6 + length;
    }
    pages.append(page);
    CheckClean(TextCleanup::PagesToText(pages));

    TextCollector collector;
    ReadXhtml(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), collector);
    CheckClean(TextCleanup::JoinParagraphs(collector.Paragraphs()));
    return 0;
}
