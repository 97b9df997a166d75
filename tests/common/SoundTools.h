#pragma once

// The programs and files the export tests read a recording with.

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <optional>

namespace SoundTools {

// How a program ended and what it wrote, trimmed; ok when it ended well with status 0.
struct Ran
{
    bool ok = false;
    QString out, err;
};

inline Ran RunProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    Ran ran;
    ran.ok = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit
             && process.exitCode() == 0;
    ran.out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    ran.err = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return ran;
}

// The program's output, nothing when it failed.
inline std::optional<QString> Run(const QString &program, const QStringList &arguments)
{
    const Ran ran = RunProgram(program, arguments);
    return ran.ok ? std::optional<QString>(ran.out) : std::nullopt;
}

// A sound file's length as soxi reads it; 0 when it cannot.
inline double Seconds(const QString &wav)
{
    return Run(QStringLiteral("soxi"), {QStringLiteral("-D"), wav}).value_or(QString()).toDouble();
}

inline QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool Write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace SoundTools
