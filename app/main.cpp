#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    SetProgramIdentity();

    StartupOptions options;
    options.paths = AppPaths::ForRunningProgram();
    options.words = application.arguments().mid(1);
    auto windows = StartProgram(options);
    return application.exec();
}
