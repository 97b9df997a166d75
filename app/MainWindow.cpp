#include "app/MainWindow.h"

FormPrincipal::FormPrincipal(QWidget *parent)
    : QMainWindow(parent)
{
    resize(845, 480);
}
