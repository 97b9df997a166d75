#pragma once

#include "export/AudioExportProtocol.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class ExportFormat { Wav, Mp3, Opus };

struct ExportResult
{
    bool ok = false;
    QString file;    // the sound file made
    QString reason;  // why no (or only part of the) sound file was made
    QString notice;  // something the user is told once, even on success
    ExportFormat format = ExportFormat::Wav;
    QStringList subtitleFiles;  // the subtitle files written beside the sound file
    bool stopped = false;  // the user ended it: no new file, the older one kept
    std::optional<WordTimes> wordTimes;  // when asked for and the renderer gave them
};

// The result as a failure for that reason: it names no file.
inline ExportResult FailedExport(ExportResult result, const QString &reason)
{
    result.ok = false;
    result.file.clear();
    result.reason = reason;
    return result;
}
