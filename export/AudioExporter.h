#pragma once

#include "core/AppPaths.h"
#include "export/AudioExportProtocol.h"
#include "export/AudioExportRuns.h"
#include "export/ExportJob.h"
#include "export/ExportResult.h"
#include "export/Subtitles.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DesktopWindows;
class QProcess;
class SettingsStore;
class RendererLauncher;

struct ExportRequest
{
    QString text;  // the whole document, line breaks "\n"
    QString name;  // the sound file's base name
    ExportFormat format = ExportFormat::Wav;
    ExportVoice voice;
    QString voiceName;  // its entry in the voice list, for what is said about it
    int rate = 0;  // the rate bar's position, -10..10
    SubtitleChoice subtitles;  // written beside the sound file; none unless asked for
    int language = 0;  // the interface language (a row of the language list) of a missing synthesizer's message
    bool keepWordTimes = false;  // hands the renderer's word times back in the result
    // With the voice following the language: the text's stretches in order, each recorded
    // with its own voice and joined; empty for the one voice throughout.
    QList<ExportRun> runs;
};


// How long the export waits; the tests shorten them.
struct ExportTimings
{
    // Looks are cheap (a bus call, a small file): frequent ones let a short export
    // cost what its rendering costs.
    int firstLookMs = 20;         // before looking for the rendering window again
    int appearLimitMs = 8000;     // for a program we started to open its window
    int lookIntervalMs = 20;
    int statusPollMs = 25;        // between readings of "STATUS"
    int encoderPollMs = 2000;     // longest wait between looks at the encoder
    int encoderLimitMs = 30000;   // for the encoder, and encoderMsPerSoundSecond more for each second of sound
    int encoderMsPerSoundSecond = 1000;
    int lockWaitLimitMs = 600000; // for another export on the same exchange file to end
};

// Saves the document as spoken audio in the records folder: hands the text, voice and
// rate to the rendering program through the exchange file and its window, waits for it
// while the window keeps handling events, encodes MP3 with lame and Opus with opusenc, and
// writes the subtitles from the times the renderer gives for each word.
class AudioExporter : public ExportJob
{
    Q_OBJECT
public:
    AudioExporter(const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                  QObject *parent = nullptr);

    // Stops reading before an export, as the stop button does.
    void SetStopReading(std::function<void()> stopReading) { m_stopReading = std::move(stopReading); }
    // The exceptions dictionary applied to the text.
    void SetDictionary(std::function<QString(const QString &)> apply) { m_dictionary = std::move(apply); }
    void SetTimings(const ExportTimings &timings) { m_timings = timings; }
    // Where the encoders are searched after the program's folder; PATH by default.
    void SetEncoderSearchPath(const QStringList &folders) { m_encoderSearchPath = folders; }

    // Ends the running export as a failed one ends: no new file, the older one put back.
    void Stop();

    // Starts an export from the event loop and returns at once (busy from now on); false
    // when one is running.
    bool Start(const ExportRequest &request);
    // Runs an export to its end, handling events while it waits; also emits finished.
    ExportResult Export(const ExportRequest &request);
    // What is said before an export in a voice the rendering program records with
    // another one (the status line says it too); empty when it records the voice itself.
    static QString SubstitutionFor(const ExportRequest &request);

private:
    // How a step that waits on another program ended.
    enum class StepEnd { Finished, Stopped, Failed };
    // The end of every reason no sound file was made.
    static const QString kNoSoundFile;

    // Asks the renderer window to close, and remembers it until it has gone.
    void CloseRenderer(const QString &window);
    // Waits (a few seconds at most) until the window last asked to close has gone.
    void WaitForClosedRenderer();
    void Begin();
    void End(const ExportResult &result);
    ExportResult Run(const ExportRequest &request);
    // The text as it is said: with the exceptions dictionary applied.
    QString Spoken(const QString &text) const;
    // Renders, with render, the WAV file an encoding is made from and encodes it as the
    // file name of that format; the sound is kept as a WAV file when the encoding fails.
    ExportResult RenderAndEncode(ExportFormat format, const QString &name,
                                 const std::function<ExportResult(const QString &)> &render);
    // Reads the renderer's word times, hands them back when asked for and writes the
    // subtitles from them.
    ExportResult TakeWordTimes(const ExportRequest &request, const QString &spoken, const QString &wordTimesPath,
                               ExportResult result);
    // Renders the spoken text into the records folder as wavName, and the word times into
    // wordTimesName when one is given.
    ExportResult RenderWav(const ExportRequest &request, const QString &spoken, const QString &wavName,
                           const QString &wordTimesName, SettingsStore &exchange, ExportResult result);
    // Hands the text, rate and voice to the renderer in the exchange file and the text
    // file; the first write that failed, if one did.
    QString WriteRenderRequest(const ExportRequest &request, const QString &spoken, SettingsStore &exchange);
    // Finds the rendering window into window, starting the program when it is absent;
    // the failed result when it does not open.
    std::optional<ExportResult> OpenRendererWindow(const QString &substitution, QString *window,
                                                   const ExportResult &result);
    // Has the open renderer window record the text into wavName; an older file of that
    // name is kept until the new one is whole.
    ExportResult RecordInto(const QString &window, const QString &wavName, const QString &wordTimesName,
                            const QString &spoken, SettingsStore &exchange, ExportResult result);
    // Follows the renderer's status until it is done, the export stops or the window goes.
    StepEnd AwaitRendering(const QString &window, SettingsStore &exchange);
    // Renders each run with its voice and joins them in order as wavName, at one sample
    // rate; their word times, timed across the joins, go to wordTimesName when given.
    ExportResult RenderRuns(const ExportRequest &request, const QStringList &spokenRuns, const QString &wavName,
                            const QString &wordTimesName, SettingsStore &exchange, ExportResult result);
    // Joins the recordings in order into outPath with sox; why not when it cannot.
    QString JoinRecordings(const QStringList &parts, const QString &outPath);
    // Runs a program to its end, or until the export is stopped; why it failed, if it did.
    QString RunToEnd(const QString &program, const QStringList &arguments);
    // Encodes wavPath into name.mp3 or name.opus.
    ExportResult Encode(ExportFormat format, const QString &name, const QString &wavPath, ExportResult result);
    // Waits for the encoder to end within limitMs, following its progress; what it wrote
    // goes to output. Failed when it ran out of time, and then it is killed.
    StepEnd AwaitEncoder(QProcess &encoding, qint64 limitMs, QByteArray &output);
    // Writes the chosen subtitle files beside the sound file from the renderer's word times.
    ExportResult WriteSubtitles(const ExportRequest &request, const QString &spoken,
                                const std::optional<WordTimes> &times, ExportResult result);
    static QString EncodingRenderName(ExportFormat format);
    // A step's percentage as a share of the whole export.
    void ReportProgress(int stepPercent, bool encoding);
    // Why a wait gave up: the program closing, or the user's stop.
    ExportResult GaveUp(ExportResult result, const QString &noFile);

    AppPaths m_paths;
    DesktopWindows &m_desktop;
    RendererLauncher &m_launcher;
    std::function<void()> m_stopReading;
    std::function<QString(const QString &)> m_dictionary;
    ExportTimings m_timings;
    QStringList m_encoderSearchPath;
    // The part of the whole export the rendering stands for: the rest is the encoding.
    int m_renderShare = 100;
    int m_lastPercent = 0;
    // The run being rendered and how many there are: each is an equal share of the rendering.
    int m_runNumber = 0;
    int m_runCount = 1;
    bool m_sapiNoticeGiven = false;
    // The renderer window this exporter last asked to close; empty once it is gone.
    QString m_closedRenderer;
};
