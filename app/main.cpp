#include "app/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tolvanet"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tolvanet Corvalida"));
    QApplication::setDesktopFileName(QStringLiteral("tolvanet"));

    StartupOptions options;
    options.paths = AppPaths::ForRunningProgram();
    options.words = application.arguments().mid(1);
    auto windows = StartProgram(options);
    return application.exec();
}
