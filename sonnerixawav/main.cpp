#include "core/AppPaths.h"
#include "sonnerixawav/EspeakWavRendering.h"
#include "sonnerixawav/FliteWavRendering.h"
#include "sonnerixawav/RendererWindow.h"
#include "sonnerixawav/SpeechDispatcherWavRendering.h"
#include "sonnerixawav/UpctvWavRendering.h"
#include "export/AudioExportProtocol.h"
#include "engines/VoiceCatalog.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

// The rendering program of audio export: the editor starts it as "SonnerixaWav QUIMBO",
// hands it a job through the exchange file and its window, and closes it at the end.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2 || arguments.at(1) != ExportProtocol::kRendererArgument) {
        std::fprintf(stderr, "SonnerixaWav: the editor's audio export starts this program\n");
        return 2;
    }

    const AppPaths paths = AppPaths::ForRunningProgram();
    EspeakWavRendering espeak;
    FliteWavRendering flite;
    UpctvWavRendering upctv(UpctvWavRendering::DefaultLibraries(paths.programDir), espeak);
    // The voice of an index as the editor's list has it: the service is asked job by job.
    SpeechDispatcherWavRendering rendering(
        [](int index) -> std::optional<VoiceCatalog::Voice> {
            const QList<VoiceCatalog::Voice> voices = VoiceCatalog::SpeechDispatcherVoices();
            if (index < 0 || index >= voices.size())
                return std::nullopt;
            return voices.at(index);
        },
        espeak, flite, upctv);
    RendererWindow window(paths.exchangeFile, rendering);
    QString error;
    if (!window.Open(&error)) {
        std::fprintf(stderr, "SonnerixaWav: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&window, &RendererWindow::jobFinished, &application, [&rendering](bool ok, const QString &) {
        if (ok && !rendering.VoiceNote().isEmpty())
            std::fprintf(stderr, "SonnerixaWav: %s\n", qPrintable(rendering.VoiceNote()));
    });
    // The close request's reply leaves (on the next passes of the event loop) before
    // the program ends; the editor waits for the end, so the pause is kept short.
    QObject::connect(&window, &RendererWindow::closed, &application,
                     [] { QTimer::singleShot(20, QCoreApplication::instance(), &QCoreApplication::quit); });
    return application.exec();
}
