// What the export benchmarks share: the Catalan document they time, its voice, the
// program folder the renderer runs from, and the median of their rounds.
#pragma once

#include "core/AppPaths.h"
#include "engines/VoiceCatalog.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace ExportBenchmarks {

// A Catalan document of about `words` words: paragraphs of six sentences, each ended by
// paragraphEnd, and a heading ("Capítol N") every wordsPerChapter words when it is not 0.
inline QString CatalanText(int words, const QString &paragraphEnd, int wordsPerChapter = 0)
{
    const QStringList sentences{
        QStringLiteral("El gat dorm al sol de la tarda."),
        QStringLiteral("La mestra llegeix un conte als nens de la classe."),
        QStringLiteral("Avui plou i anem a l'escola amb el paraigua."),
        QStringLiteral("Els ocells canten a les branques dels arbres del parc."),
        QStringLiteral("Vint-i-tres alumnes escriuen una carta a l'avia."),
    };
    QString text;
    int count = 0;
    int chapter = 0;
    int sinceHeading = wordsPerChapter;
    for (int i = 0; count < words; ++i) {
        if (wordsPerChapter > 0 && sinceHeading >= wordsPerChapter) {
            text += QStringLiteral("\nCapítol %1\n\n").arg(++chapter);
            sinceHeading = 0;
        }
        const QString &sentence = sentences.at((i * 7 + i / 5) % sentences.size());
        text += sentence + (i % 6 == 5 ? paragraphEnd : QStringLiteral(" "));
        const int said = int(sentence.count(QLatin1Char(' '))) + 1;
        count += said;
        sinceHeading += said;
    }
    return text;
}

// espeak-ng's Catalan voice in the voice list, or -1 (said on standard error) without
// it or without the session bus the renderer's window needs.
inline int CatalanVoiceOrSay(const char *benchmark)
{
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "%s: no D-Bus session bus (run it under dbus-run-session)\n", benchmark);
        return -1;
    }
    const QList<VoiceCatalog::Voice> voices = VoiceCatalog::EspeakVoices();
    for (int i = 0; i < voices.size(); ++i)
        if (voices.at(i).identifier == QLatin1String("roa/ca"))
            return i;
    std::fprintf(stderr, "%s: espeak-ng has no Catalan voice\n", benchmark);
    return -1;
}

// A program folder of the benchmark's own in dir, with the renderer in it.
inline AppPaths ProgramFolderIn(const QTemporaryDir &dir)
{
    QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/SonnerixaWav"),
                dir.filePath(QStringLiteral("SonnerixaWav")));
    return AppPaths::ForProgramDir(dir.path());
}

// The document the yardstick programs read, written into dir; its path.
inline QString DocumentFileIn(const QTemporaryDir &dir, const QByteArray &contents,
                              const QString &name = QStringLiteral("document.txt"))
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(contents);
    return path;
}

template <typename Number>
Number Median(QList<Number> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace ExportBenchmarks
