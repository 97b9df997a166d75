#pragma once

#include "engines/VoiceCatalog.h"

#include <QVector>

// Every sample espeak-ng renders for the text, as the engines and the rendering
// program receive them; empty when it cannot render.
inline QVector<qint16> EspeakSamples(const QString &text, int voiceIndex, int rate)
{
    QVector<qint16> samples;
    const bool rendered = VoiceCatalog::RenderEspeak(text, voiceIndex, rate, [&samples](const qint16 *block, int count) {
        samples.append(QVector<qint16>(block, block + count));
        return true;
    });
    return rendered ? samples : QVector<qint16>();
}
