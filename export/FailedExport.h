#pragma once

#include "export/AudioExporter.h"

// The result as a failure for that reason: it names no file.
inline ExportResult FailedExport(ExportResult result, const QString &reason)
{
    result.ok = false;
    result.file.clear();
    result.reason = reason;
    return result;
}
