#pragma once

#include "app/shell/Startup.h"
#include "app/window/MainWindow.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "tests/fakes/FakeSpeechEngines.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QFile>

#include <memory>

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

// The main window alone on a folder's settings, its questions answered by the test.
struct LoneWindow
{
    explicit LoneWindow(const QString &folder)
        : paths(AppPaths::InDirectory(folder)), settings(paths.settingsFile), window(paths, settings, nullptr, &ask)
    {
    }

    ScriptedQuestions ask;
    AppPaths paths;
    SettingsStore settings;
    FormPrincipal window;
};

// The voices the whole-program tests start with: one MSP engine with a Catalan and a
// Spanish voice that logs what it is asked.
struct FakeStartupVoices
{
    QStringList m_log;
    std::unique_ptr<FakeVoiceEngine> m_voices;
    SpeechEngineSet m_engines;

    // A program that has not run yet, and fresh voices with an empty log.
    void ResetProgramAndVoices()
    {
        AppLifetime::Instance().Reset();
        m_log.clear();
        m_voices = std::make_unique<FakeVoiceEngine>("msp", QStringList{"Catalan", "Spanish"}, &m_log);
        m_engines = SpeechEngineSet{};
        m_engines.msp = m_voices.get();
    }
};
