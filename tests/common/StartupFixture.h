#pragma once

#include "app/Startup.h"

#include <QFile>

// How a test starts the whole program: the folder's settings, no splash, the
// first-run window only when asked, and the given engines (null: the real ones, with
// the programs beside them looked for in programDir).
inline StartupOptions TestStartupOptions(const QString &folder, const SpeechEngineSet *engines,
                                         const QString &programDir = QString(), bool firstRun = false)
{
    StartupOptions options;
    options.paths = AppPaths::InDirectory(folder, programDir);
    options.splash = false;
    options.firstRunWindow = firstRun;
    options.engines = engines;
    return options;
}

// Writes a whole file; false when it could not.
inline bool WriteWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
