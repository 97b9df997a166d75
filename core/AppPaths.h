#pragma once

#include <QString>

// Where the program's files live: beside the program when its folder is writable
// (a portable install, and the tests), otherwise in the user's XDG folders.
struct AppPaths
{
    QString programDir;    // the folder of tolvanet and its companion programs
    QString settingsFile;  // tolvanet.ini
    QString exchangeFile;  // sonnerix.ini
    QString exchangeDir;   // the folder of sonnerix.ini, where Sintetitzat.txt goes too
    QString recordsDir;    // the sound files of audio export, with a final "/"

    // The paths of a program installed in programDir.
    static AppPaths ForProgramDir(const QString &programDir);
    // Every file in one folder: for tests and portable use.
    static AppPaths InDirectory(const QString &directory, const QString &programDir = QString());
    // The paths of the running program.
    static AppPaths ForRunningProgram();
};
