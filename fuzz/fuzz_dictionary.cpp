// The exceptions-dictionary loader: any file's bytes, split into entries and indexed.
#include "core/TextEncoding.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeakPreparation.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextEncoding::DecodeAuto(QByteArrayView(data, qsizetype(size)));
    const QList<ExceptionEntry> entries = ParseExceptionEntries(text);
    for (const ExceptionEntry &entry : entries) {
        if (entry.word.isEmpty() || entry.replacement.isEmpty() || entry.word.contains(QLatin1Char(' '))
            || entry.replacement.contains(QLatin1Char(' ')))
            __builtin_trap();
    }
    ExceptionTable table;
    table.Assign(entries);
    if (!entries.isEmpty()) {
        // The first entry of a word always wins, whatever its case.
        const std::optional<QString> found = table.Find(FoldAsciiCase(entries.first().word));
        if (!found || *found != entries.first().replacement)
            __builtin_trap();
    }
    table.Find(text);
    return 0;
}
