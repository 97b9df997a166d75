#include "speech/SpeechSettings.h"

#include "core/SettingsStore.h"
#include "export/AudioExportProtocol.h"

#include <QtGlobal>

namespace {

const QString kRate = QStringLiteral("velocitat");
const QString kReading = QStringLiteral("ESTIC LLEGINT");

} // namespace

SpeechSettings::SpeechSettings(SettingsStore &store) : m_store(&store), m_report(std::make_shared<Report>())
{
}

void SpeechSettings::SetFailureReport(std::function<void(const QString &problem)> report)
{
    m_report->tell = std::move(report);
}

bool SpeechSettings::Written(bool ok)
{
    if (ok) {
        m_report->told = false;
        return true;
    }
    if (!m_report->told) {
        m_report->told = true;
        if (m_report->tell)
            m_report->tell(m_store->LastError());
        else
            qWarning("%s", qPrintable(m_store->LastError()));
    }
    return false;
}

StoredVoice::Stored SpeechSettings::Voice() const
{
    return StoredVoice::Read(*m_store);
}

bool SpeechSettings::WriteVoice(int row, const QString &name)
{
    return Written(m_store->WriteString(StoredVoice::kSection, StoredVoice::kKeyNumber, QString::number(row))
                   && m_store->WriteString(StoredVoice::kSection, StoredVoice::kKeyName, row < 0 ? QString() : name));
}

bool SpeechSettings::WriteVoiceNumber(int row)
{
    return Written(m_store->WriteString(StoredVoice::kSection, StoredVoice::kKeyNumber, QString::number(row)));
}

QString SpeechSettings::RateText() const
{
    return m_store->ReadString(StoredVoice::kSection, kRate, QStringLiteral("0"));
}

bool SpeechSettings::WriteRateText(const QString &text)
{
    return Written(m_store->WriteString(StoredVoice::kSection, kRate, text));
}

bool SpeechSettings::WriteReading(bool reading)
{
    return Written(m_store->WriteString(StoredVoice::kSection, kReading, reading ? QStringLiteral("1") : QStringLiteral("0")));
}

bool SpeechSettings::WriteRenderingVoice(const VoiceId &voice)
{
    const VoiceFamily family = voice.family;
    // The program settings keep the voice last told to the rendering program, by the
    // exchange file's keys.
    const QString type = family == VoiceFamily::Msp ? QStringLiteral("MSP")
                       : family == VoiceFamily::Sapi ? QStringLiteral("SAPI") : QStringLiteral("UPCTV");
    bool ok = m_store->WriteString(ExportProtocol::kSection, ExportProtocol::kKeyFamily, type);
    // A voice of the library keeps no number of its own there.
    if (family != VoiceFamily::Upctv)
        ok = m_store->WriteString(ExportProtocol::kSection, ExportProtocol::kKeyVoice, QString::number(voice.index)) && ok;
    return Written(ok);
}
