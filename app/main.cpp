#include "app/shell/Startup.h"
#include "app/window/MainWindow.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    SetProgramIdentity();

    // A logout or a kill closes the program as the user's close does, without questions,
    // so that the reading options and the language are stored. One that comes while start-up
    // shows the first-run speech window ends that window, and the program once started.
    std::unique_ptr<ProgramWindows> windows;
    bool terminated = false;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &application, [&] {
        terminated = true;
        if (windows)
            windows->main->CloseWithoutQuestions();
        // Every running event loop ends, the first-run window's included.
        QCoreApplication::exit(0);
    });

    StartupOptions options;
    options.paths = AppPaths::ForRunningProgram();
    options.words = application.arguments().mid(1);
    windows = StartProgram(options);
    if (terminated) {
        windows->main->CloseWithoutQuestions();
        return 0;
    }
    return application.exec();
}
