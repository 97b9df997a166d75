#pragma once

#include <QMainWindow>

// The editor window.
class FormPrincipal : public QMainWindow
{
    Q_OBJECT
public:
    explicit FormPrincipal(QWidget *parent = nullptr);
};
