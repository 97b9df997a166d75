#pragma once

#include <QFile>
#include <QProcess>
#include <QString>

// An exceptions dictionary with two recordings beside it, as a teacher makes one:
// "gat" is played from gat.wav (espeak-ng's own recording) and "gos" from gos.mp3
// (lame's encoding of it). Returns the dictionary's path; empty when a program failed.
inline QString MakeRecordingsDictionary(const QString &folder)
{
    const QString wav = folder + QStringLiteral("/gat.wav");
    if (QProcess::execute(QStringLiteral("espeak-ng"), {"-v", "ca", "-w", wav, "El gat miola."}) != 0
        || QProcess::execute(QStringLiteral("lame"), {"--quiet", wav, folder + QStringLiteral("/gos.mp3")}) != 0)
        return QString();
    const QString path = folder + QStringLiteral("/diccionari.txt");
    QFile dictionary(path);
    if (!dictionary.open(QIODevice::WriteOnly) || dictionary.write("gat gat.wav\ngos gos.mp3\n") < 0)
        return QString();
    return path;
}

// The settings lines that make the dictionary active.
inline QByteArray DictionarySettings(const QString &dictionary)
{
    return "[FormDiccionariExcepcions]\r\nHiHaDiccionariExcepcions=SI\r\nNomFitxerDiccionariExcepcions="
           + dictionary.toLocal8Bit() + "\r\n";
}
