// Start-up time of the window, and open and save of a large document against
// QPlainTextEdit::setPlainText alone. Run offscreen: QT_QPA_PLATFORM=offscreen bench_shell
#include "app/shell/Startup.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "benchmarks/CNumbers.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "tests/fakes/ScriptedQuestions.h"
#include "windows/FormTTS.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QWindow>

#include <algorithm>
#include <tuple>
#include <chrono>
#include <cstdio>

namespace {

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// One start in this process: from main() to the main window exposed.
int StartOnce(QElapsedTimer &sinceMain, const QString &folder, const QString &screenshot, bool fromStartProgram = false)
{
    // A voice was chosen before: the start goes straight to the editor, with the real engines.
    SettingsStore(folder + QStringLiteral("/tolvanet.ini"))
        .WriteString(QStringLiteral("tts"), QStringLiteral("Numero sintetitzador"), QStringLiteral("0"));
    if (fromStartProgram)
        sinceMain.restart();
    StartupOptions options;
    options.paths = AppPaths::InDirectory(folder);
    auto windows = StartProgram(options);
    while (!windows->main->windowHandle() || !windows->main->windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    // Read back by the measuring process: a decimal point in every session.
    std::printf("%s\n", QByteArray::number(sinceMain.nsecsElapsed() / 1e6, 'f', 3).constData());
    if (!screenshot.isEmpty()) {
        WaitWithEvents(300);
        windows->main->grab().save(screenshot);
    }
    windows->main->Document().SetModified(false);

    return 0;
}

QString MakeDocument(qsizetype bytes)
{
    const QString line = QString::fromUtf8("Una línia de text en català amb accents: àèéíòóú, i prou.\n");
    QString text;
    text.reserve(bytes);
    while (text.size() < bytes)
        text += line;
    return text;
}

// The start-up times of the given number of children started with these arguments,
// each as it reads its own clock.
QList<double> ChildStarts(int runs, const QStringList &arguments, int timeoutMs)
{
    QList<double> times;
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), arguments);
        child.waitForFinished(timeoutMs);
        times << child.readAllStandardOutput().trimmed().toDouble();
    }
    return times;
}

// A picture of the speech window, to look at.
int ScreenshotSpeech(const QString &folder, const QString &screenshot)
{
    StartupOptions options;
    options.paths = AppPaths::InDirectory(folder);
    options.splash = false;
    options.firstRunWindow = false;
    auto windows = StartProgram(options);
    windows->speechWindow->show();
    WaitWithEvents(500);
    windows->speechWindow->grab().save(screenshot);
    windows->main->Document().SetModified(false);
    return 0;
}

// Start-up, each in a new process.
void MeasureStartUp()
{
    QList<double> inside;
    QList<double> whole;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer timer;
        timer.start();
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {"--child"});
        child.waitForFinished(30000);
        whole << timer.nsecsElapsed() / 1e6;
        inside << child.readAllStandardOutput().trimmed().toDouble();
    }
    std::printf("start-up to the main window shown: median %.1f ms (process start to exit %.1f ms), 15 runs\n",
                Median(inside), Median(whole));
}

// The same while the speech service is not running yet: each run has a runtime
// folder of its own, so the service starts afresh (its autospawn); the sound
// server stays the session's.
void MeasureColdStartUp()
{
    QList<double> cold;
    const QString pulse = QStringLiteral("unix:") + qEnvironmentVariable("XDG_RUNTIME_DIR") + "/pulse/native";
    for (int run = 0; run < 15; ++run) {
        QTemporaryDir runtime;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        if (!qEnvironmentVariableIsSet("PULSE_SERVER"))
            environment.insert(QStringLiteral("PULSE_SERVER"), pulse);
        environment.remove(QStringLiteral("SPEECHD_ADDRESS"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {"--child"});
        child.waitForFinished(30000);
        cold << child.readAllStandardOutput().trimmed().toDouble();
        QFile pid(runtime.filePath(QStringLiteral("speech-dispatcher/pid/speech-dispatcher.pid")));
        if (pid.open(QIODevice::ReadOnly))
            QProcess::execute(QStringLiteral("kill"), {QString::fromLatin1(pid.readAll().trimmed())});
    }
    std::printf("start-up to the main window shown while speech-dispatcher is not running yet: median %.1f ms, "
                "15 runs\n", Median(cold));
}

// Start-up with a 50 MB settings file and a full one-hand table: reads must not scan it.
void MeasureLargeSettings()
{
    QTemporaryDir large;
    QFile file(large.filePath("tolvanet.ini"));
    file.open(QIODevice::WriteOnly);
    QByteArray chunk = "[teclat amb una ma]\r\nnumero=200\r\n";
    for (int i = 1; i <= 200; ++i)
        chunk += "x(" + QByteArray::number(i) + ")=a\r\ny(" + QByteArray::number(i) + ")=text\r\n";
    for (int section = 0; file.size() < 50 * 1024 * 1024; ++section) {
        chunk += "[seccio " + QByteArray::number(section) + "]\r\n";
        for (int key = 0; key < 20; ++key)
            chunk += "clau " + QByteArray::number(key) + "=un valor qualsevol\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();
    const QList<double> times = ChildStarts(5, {"--child-in", large.path()}, 120000);
    std::printf("start-up with a 50 MB settings file, from StartProgram to the window shown: median %.1f ms, "
                "5 runs\n", Median(times));
}

void WriteFile(const QString &path, const QString &text)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text.toUtf8());
}

// A window of its own, with its settings in folder and no questions asked.
struct BareWindow
{
    explicit BareWindow(const QString &folder)
        : paths(AppPaths::InDirectory(folder)), settings(paths.settingsFile), window(paths, settings, nullptr, &ask)
    {
    }
    ~BareWindow() { window.Document().SetModified(false); }

    ScriptedQuestions ask;
    const AppPaths paths;
    SettingsStore settings;
    FormPrincipal window;
};

// Open and save of a 10 MB document, written at path.
void MeasureOpenSave(const QString &folder, const QString &path)
{
    const QString text = MakeDocument(10 * 1024 * 1024);
    WriteFile(path, text);
    QList<double> plain;
    QList<double> open;
    QList<double> save;
    for (int run = 0; run < 5; ++run) {
        EditorWidget edit; // the editor as the window has it: its font, its wrapping
        QElapsedTimer timer;
        timer.start();
        edit.setPlainText(text);
        plain << timer.nsecsElapsed() / 1e6;

        BareWindow bare(folder);
        timer.restart();
        bare.window.Documents().DropFile(path);
        open << timer.nsecsElapsed() / 1e6;
        bare.window.Document().Replace(0, 0, "x");
        timer.restart();
        bare.window.Documents().Save();
        save << timer.nsecsElapsed() / 1e6;
    }
    const double base = Median(plain);
    std::printf("10 MB document: setPlainText %.0f ms; open %.0f ms (%.2fx); save %.0f ms (%.2fx)\n", base,
                Median(open), Median(open) / base, Median(save), Median(save) / base);
}

// Whole-text tools through the window: the command with its undoable edit, against
// setPlainText of the result.
void MeasureTextTools(const QString &folder)
{
    QString accented;
    const QString line = QString::fromUtf8("Àvia, què és això? Camió, més, pingüí; l'àguila vola.\n");
    while (accented.size() < 10 * 1024 * 1024)
        accented += line;
    for (const char *id : {"accents-to-html", "html-to-accents", "delphi-to-java", "strip-tags"}) {
        BareWindow bare(folder);
        FormPrincipal &window = bare.window;
        window.Document().SetText(QString::fromLatin1(id) == QLatin1String("html-to-accents")
                                      ? accented.replace(QStringLiteral("à"), QStringLiteral("&agrave;"))
                                      : accented);
        QElapsedTimer timer;
        timer.start();
        window.RunCommandById(QString::fromLatin1(id));
        const double command = timer.nsecsElapsed() / 1e6;
        const QString result = window.Document().Text();
        EditorWidget edit;
        timer.restart();
        edit.setPlainText(result);
        const double plain = timer.nsecsElapsed() / 1e6;
        std::printf("%s on 10 MB in the window: %.0f ms; setPlainText of the result %.0f ms (%.2fx)\n", id,
                    command, plain, command / plain);
    }
}

// A document of one 1 MB line, and one of 100 MB: they load, and how long that takes.
void MeasureLargeDocuments(const QString &folder, const QString &path)
{
    for (const auto &[label, size, oneLine] : {std::tuple{"one 1 MB line", qsizetype(1) << 20, true},
                                               std::tuple{"one 1 MB line of words", qsizetype(1) << 20, false},
                                               std::tuple{"100 MB", qsizetype(100) << 20, false}}) {
        QString content = oneLine ? QString(size, QLatin1Char('a')) : MakeDocument(size);
        if (size == (qsizetype(1) << 20) && !oneLine)
            content.replace(QLatin1Char('\n'), QLatin1Char(' '));
        WriteFile(path, content);
        content.clear();
        BareWindow bare(folder);
        bare.window.show();
        QElapsedTimer timer;
        timer.start();
        bare.window.Documents().DropFile(path);
        QApplication::processEvents();
        std::printf("%s: opened and shown in %lld ms, %d characters\n", label, timer.elapsed(),
                    bare.window.Document().Length());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication application(argc, argv);
    FiguresInTheCLocale();
    QTemporaryDir folder;
    if (argc > 1 && QByteArray(argv[1]) == "--child")
        return StartOnce(sinceMain, folder.path(), QString());
    if (argc > 2 && QByteArray(argv[1]) == "--child-in")
        return StartOnce(sinceMain, QString::fromLocal8Bit(argv[2]), QString(), true);
    if (argc > 2 && QByteArray(argv[1]) == "--screenshot-speech")
        return ScreenshotSpeech(folder.path(), QString::fromLocal8Bit(argv[2]));
    // A picture of the window as it starts, to look at.
    if (argc > 2 && QByteArray(argv[1]) == "--screenshot")
        return StartOnce(sinceMain, folder.path(), QString::fromLocal8Bit(argv[2]));

    MeasureStartUp();
    MeasureColdStartUp();
    MeasureLargeSettings();
    const QString path = folder.filePath("big.txt");
    MeasureOpenSave(folder.path(), path);
    MeasureTextTools(folder.path());
    MeasureLargeDocuments(folder.path(), path);
    return 0;
}
