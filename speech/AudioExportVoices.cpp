#include "speech/AudioExportVoices.h"

#include <espeak-ng/speak_lib.h>
#include <libspeechd.h>

#include <QtGlobal>

namespace ExportVoices {

QStringList EspeakVoiceIdentifiers()
{
    static const bool initialised = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 500, nullptr, 0) > 0;
    QStringList identifiers;
    if (!initialised)
        return identifiers;
    const espeak_VOICE **voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices && voices[i]; ++i)
        identifiers << QString::fromUtf8(voices[i]->identifier);
    return identifiers;
}

int EspeakWordsPerMinute(int rate)
{
    // 175 words per minute is espeak-ng's normal; the bar's ends are 80 and 450.
    rate = qBound(-10, rate, 10);
    return rate >= 0 ? 175 + (rate * 275) / 10 : 175 + (rate * 95) / 10;
}

QStringList SpeechDispatcherVoiceLanguages()
{
    SPDConnection *connection =
        spd_open2("tolvanet", "voices", nullptr, SPD_MODE_SINGLE, nullptr, 0, nullptr);
    if (!connection)
        return {};
    QStringList languages;
    char **modules = spd_list_modules(connection);
    for (int m = 0; modules && modules[m]; ++m) {
        const QString module = QString::fromUtf8(modules[m]);
        if (module == QLatin1String("espeak-ng") || module == QLatin1String("espeak"))
            continue;
        if (spd_set_output_module(connection, modules[m]) != 0)
            continue;
        SPDVoice **voices = spd_list_synthesis_voices(connection);
        for (int v = 0; voices && voices[v]; ++v)
            if (!QString::fromUtf8(voices[v]->name).contains(QLatin1Char('+')))
                languages << QString::fromUtf8(voices[v]->language);
        if (voices)
            free_spd_voices(voices);
    }
    if (modules)
        free_spd_modules(modules);
    spd_close(connection);
    return languages;
}

} // namespace ExportVoices
