#pragma once

// The EPUB validator, the sound files the book tests are made of, and what a book leaves
// behind.

#include "tests/common/SoundTools.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace EpubCheck {

// Debian installs the validator as a jar that only a kernel set up to run jars starts by
// name: Java runs it here.
inline QString Jar()
{
    return QStringLiteral("/usr/share/java/epubcheck.jar");
}

inline bool Available()
{
    return QFileInfo::exists(Jar()) && !QStandardPaths::findExecutable(QStringLiteral("java")).isEmpty();
}

// Empty when the validator finds no error and no warning in the book; else its report,
// in English whatever the session's language.
inline QString Problems(const QString &epub)
{
    const SoundTools::Ran ran = SoundTools::RunProgram(QStringLiteral("java"), {QStringLiteral("-Duser.language=en"), QStringLiteral("-Duser.country=US"), QStringLiteral("-jar"), Jar(), epub});
    const QString report = ran.out + QLatin1Char('\n') + ran.err;
    if (ran.ok && report.contains(QLatin1String("No errors or warnings detected")))
        return QString();
    return report;
}

// An MP3 file of a tone lasting `seconds`.
inline bool MakeMp3(const QString &path, int seconds)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("tone.wav"));
    return SoundTools::Run(QStringLiteral("sox"), {QStringLiteral("-n"), QStringLiteral("-r"), QStringLiteral("22050"),
                                                   QStringLiteral("-c"), QStringLiteral("1"), wav,
                                                   QStringLiteral("synth"), QString::number(seconds),
                                                   QStringLiteral("sine"), QStringLiteral("440")})
           && SoundTools::Run(QStringLiteral("lame"), {QStringLiteral("--quiet"), wav, path});
}

// What a folder holds besides the files named: hidden parts, folders.
inline QStringList Leftovers(const QString &folder, const QStringList &expected)
{
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : expected)
        left.removeAll(name);
    return left;
}

} // namespace EpubCheck
