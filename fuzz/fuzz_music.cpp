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
        break;
    case MusicConversion::Outcome::WrongLine:
        if (conversion.wrongLine < 2 || conversion.wrongLine > text.count(QLatin1Char('\n')))
            __builtin_trap();
        break;
    }
    return 0;
}
