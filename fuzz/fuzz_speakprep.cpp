// The preparation of a text on its way to an engine: sound-file test, the library's
// lowered Windows-1252 text, the sound folder and the dictionary match.
#include "core/TextEncoding.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeakPreparation.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = TextEncoding::DecodeAuto(QByteArrayView(data, qsizetype(size)));
    SpeakPreparation::SoundFileKind(text);
    SpeakPreparation::SoundFolder(text);
    const QString lowered = SpeakPreparation::UpctvText(text);
    if (lowered.size() != text.size() + 1)
        __builtin_trap();
    const QByteArray bytes = SpeakPreparation::UpctvBytes(lowered);
    if (bytes.contains('\0'))
        __builtin_trap();
    for (char c : bytes) {
        if (c >= 'A' && c <= 'Z')
            __builtin_trap();
    }
    ExceptionTable table;
    table.Assign({{QStringLiteral("casa"), QStringLiteral("house")}});
    table.Find(text);
    return 0;
}
