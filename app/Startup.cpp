#include "app/Startup.h"

#include "app/AboutBox.h"
#include "app/MainWindow.h"

#include <QApplication>

ProgramWindows::~ProgramWindows()
{
    main.reset();
    about.reset();
}

QString CommandLineFileName(const QStringList &words)
{
    // Linux keeps a final blank in a name, so none is added after the last word.
    return words.join(QLatin1Char(' '));
}

std::unique_ptr<ProgramWindows> StartProgram(const StartupOptions &options)
{
    auto windows = std::make_unique<ProgramWindows>();

    // 1. The about window as a splash.
    windows->about = std::make_unique<AboutBox>();
    if (options.splash) {
        windows->about->ShowAsSplash();
        QApplication::processEvents();
    }

    // 2. The windows, in order.
    windows->main = std::make_unique<FormPrincipal>(options.paths, windows->about.get());
    FormPrincipal &main = *windows->main;

    // 3. The title with the version label.
    main.ComposeTitle(windows->about->VersionText());

    // 5. The editor font.
    QStringList problems;
    main.ApplyStoredFont(&problems);

    // 6. The command-line file.
    const QString fileName = CommandLineFileName(options.words);
    if (!fileName.isEmpty())
        main.LoadCommandLineFile(fileName);

    if (!problems.isEmpty())
        main.ShowStatus(QStringLiteral("%1: valors no numèrics a \"Font Missatge\" (%2); s'ha usat el valor per defecte.")
                            .arg(main.Settings().FileName(), problems.join(QStringLiteral(", "))));

    main.show();
    return windows;
}
