#pragma once

#include "export/AudioExportProtocol.h"

#include <QString>

#include <optional>

class SettingsStore;

// One rendering as the editor asks for it in the exchange file.
struct RenderJob
{
    QString text;
    QString outputPath;  // "WAV DIR" + "WAV"
    ExportVoice voice;
    int rate = 0;        // -10..10
    QString wordTimesPath;  // "WAV DIR" + "WAV WORDS"; empty when no word times are wanted
};

// Reads the job from the exchange file; nothing, with the reason, when it cannot be
// rendered (a voice family we do not know, a UPCTV index beyond its four entries, or a file name outside "WAV DIR"). A
// word-times name outside "WAV DIR" is left out: the sound is made without its times.
std::optional<RenderJob> ReadRenderJob(const SettingsStore &exchange, QString *error);
