#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    FormPrincipal window;
    window.show();
    return application.exec();
}
