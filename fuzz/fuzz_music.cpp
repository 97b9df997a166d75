#include "tools/MusicConverter.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const MusicConversion conversion = ConvertMusicText(text);
    switch (conversion.outcome) {
    case MusicConversion::Outcome::Nothing:
        if (!conversion.score.isEmpty())
            __builtin_trap();
        break;
    case MusicConversion::Outcome::Score:
        if (!conversion.score.startsWith(QLatin1Char('\n'))
            || !conversion.score.endsWith(QLatin1String("</score-partwise>\n")))
            __builtin_trap();
        // Every measure opened is closed before the next one opens, and octaves stay 0 to 9.
        {
            const QString &score = conversion.score;
            qsizetype at = 0;
            bool open = false;
            while ((at = score.indexOf(QLatin1String("measure"), at)) >= 0) {
                const bool closing = at >= 2 && score.mid(at - 2, 2) == QLatin1String("</");
                if (closing || (at > 0 && score.at(at - 1) == QLatin1Char('<'))) {
                    if (closing != open)
                        __builtin_trap();
                    open = !closing;
                }
                at += 7;
            }
            if (open || score.contains(QLatin1String("<octave>10")))
                __builtin_trap();
        }
        break;
    case MusicConversion::Outcome::WrongLine:
        if (conversion.wrongLine < 2 || conversion.wrongLine > text.count(QLatin1Char('\n')))
            __builtin_trap();
        break;
    }
    return 0;
}
