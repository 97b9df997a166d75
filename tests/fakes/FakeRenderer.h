#pragma once

#include "core/SettingsStore.h"
#include "export/AudioExporter.h"
#include "export/AudioExportPrograms.h"
#include "export/RecordingLength.h"
#include "tests/fakes/FakeDesktopWindows.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QtEndian>

// The stand-in for the rendering program that the exporter tests talk to.

namespace exporter_test {


// What the fake rendering program does once it is asked to render.
// RendersNothing writes a WAV file without sound, as a synthesizer that failed quietly.
enum class Behaviour { Render, NeverOpens, VanishesWhileRendering, FinishesWithoutFile, WritesHalfAndGoesOn,
                       RendersNothing };

// A 16-bit mono 8 kHz WAV file of silence lasting ms.
inline QByteArray SilentWav(qint64 ms)
{
    const quint32 data = quint32(ms * 16);
    QByteArray wav("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0data\0\0\0\0", 44);
    qToLittleEndian(quint32(36 + data), wav.data() + 4);
    qToLittleEndian(data, wav.data() + 40);
    return wav + QByteArray(qsizetype(data), '\0');
}

// Lines "KEY=value" of the exchange file's section, in their order.
inline QStringList SectionLines(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    lines.removeFirst();
    return lines;
}

// A rendering program in memory: it opens its window on the fake desktop when started,
// records the exchange file at each message, and renders by writing a small WAV file.
class FakeRenderer : public RendererLauncher
{
public:
    FakeRenderer(FakeDesktopWindows &desktop, const QString &exchangeFile)
        : m_desktop(desktop), m_exchange(exchangeFile)
    {
    }

    bool Start(QString *) override
    {
        ++starts;
        running = true;
        if (behaviour != Behaviour::NeverOpens)
            QTimer::singleShot(openDelayMs, &m_context, [this] { Open(); });
        return true;
    }
    bool Running() const override { return running; }
    void Terminate() override
    {
        ++terminations;
        running = false;
    }

    void Open()
    {
        window = m_desktop.AddWindow(ExportProtocol::RendererWindowTitle(m_exchange.FileName()),
                                     [this](int message) { Receive(message); }, [this] { running = false; });
    }

    void Receive(int message)
    {
        seen[message] = SectionLines(m_exchange.FileName());
        if (message != ExportProtocol::kMessageRender)
            return;
        m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyStatus, QStringLiteral("1"));
        QTimer::singleShot(30, &m_context, [this] {
            m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyStatus, QStringLiteral("50"));
        });
        QTimer::singleShot(80, &m_context, [this] {
            if (behaviour == Behaviour::VanishesWhileRendering) {
                m_desktop.RemoveWindow(window);
                return;
            }
            const QString dir = m_exchange.ReadString(ExportProtocol::kSection, ExportProtocol::kKeyWavDir, {});
            const QString name = m_exchange.ReadString(ExportProtocol::kSection, ExportProtocol::kKeyWav, {});
            if (behaviour == Behaviour::Render || behaviour == Behaviour::WritesHalfAndGoesOn
                || behaviour == Behaviour::RendersNothing) {
                // As long as a word every 100 ms takes to say, and never too short for its letters.
                const QString text = UnescapeExchangeText(
                    m_exchange.ReadLongString(ExportProtocol::kSection, ExportProtocol::kKeyWavText, {}));
                const qint64 ms = behaviour == Behaviour::RendersNothing
                    ? 0 : qMax<qint64>(text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size() * 100,
                                       RecordingLength::ShortestMsFor(text)) + 200;
                QFile wav(dir + name);
                if (wav.open(QIODevice::WriteOnly))
                    wav.write(SilentWav(ms));
            }
            // Each word of the text heard 100 ms after the one before it.
            const QString words = m_exchange.ReadString(ExportProtocol::kSection, ExportProtocol::kKeyWavWords, {});
            if (givesWordTimes && behaviour == Behaviour::Render && !words.isEmpty()) {
                m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyWavWords, QString());
                const QString text = UnescapeExchangeText(
                    m_exchange.ReadLongString(ExportProtocol::kSection, ExportProtocol::kKeyWavText, {}));
                WordTimes times;
                static const QRegularExpression word(QStringLiteral("\\S+"));
                for (auto it = word.globalMatch(text); it.hasNext();) {
                    const QRegularExpressionMatch m = it.next();
                    const qint64 ms = times.marks.size() * 100;
                    times.marks.append(
                        {VoiceCatalog::SpokenMark::Kind::Word, m.capturedStart(), m.capturedLength(), ms});
                }
                times.soundMs = times.marks.size() * 100 + 200;
                QFile file(dir + words);
                if (file.open(QIODevice::WriteOnly))
                    file.write(WordTimesFileContents(times));
            }
            if (behaviour == Behaviour::WritesHalfAndGoesOn)
                return;
            m_exchange.WriteString(ExportProtocol::kSection, ExportProtocol::kKeyStatus, QStringLiteral("0"));
        });
    }

    Behaviour behaviour = Behaviour::Render;
    bool givesWordTimes = true;
    int openDelayMs = 50;
    int starts = 0;
    int terminations = 0;
    bool running = false;
    QString window;
    QMap<int, QStringList> seen;

private:
    FakeDesktopWindows &m_desktop;
    SettingsStore m_exchange;
    QObject m_context;  // its pending steps go with it
};

inline void WriteScript(const QString &path, const QByteArray &body)
{
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n" + body);
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
}


} // namespace exporter_test
