#include "sonnerixawav/RenderJob.h"

#include "core/Sentences.h"
#include "core/SettingsStore.h"

#include <QDir>

std::optional<RenderJob> ReadRenderJob(const SettingsStore &exchange, QString *error)
{
    using namespace ExportProtocol;
    const auto fail = [&](const QString &reason) -> std::optional<RenderJob> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const QString dir = exchange.ReadString(kSection, kKeyWavDir, QString());
    const QString name = exchange.ReadString(kSection, kKeyWav, QString());
    if (dir.isEmpty())
        return fail(QStringLiteral("no \"%1\" to write to").arg(kKeyWavDir));
    if (!IsUsableSoundFileName(name))
        return fail(QStringLiteral("unusable sound file name \"%1\"").arg(name));

    const QString familyText = exchange.ReadString(kSection, kKeyFamily, QString());
    const std::optional<ExportFamily> family = FamilyFromKeyText(familyText);
    if (!family)
        return fail(QStringLiteral("voice family \"%1\" cannot be rendered").arg(familyText));
    const std::optional<int> index = ToInteger(exchange.ReadString(kSection, kKeyVoice, QStringLiteral("0")));
    if (*family == ExportFamily::Upctv && (!index || *index < 0 || *index >= VoiceCatalog::kUpctvEntryCount))
        return fail(QStringLiteral("there is no UPCTV voice \"%1\"")
                        .arg(exchange.ReadString(kSection, kKeyVoice, QString())));

    RenderJob job;
    // Both ends own this value: it is read whole and unescaped. The voices are given it
    // with the sentences the editor reads by, so that no full stop of an abbreviation
    // makes a pause; every character keeps its place for the word times.
    job.text = Sentences::WithoutInnerStops(
        UnescapeExchangeText(exchange.ReadLongString(kSection, kKeyWavText, QString())));
    job.outputPath = QDir(dir).filePath(name);
    job.voice = {*family, index.value_or(0)};
    job.rate = RateFromSpeedText(exchange.ReadString(kSection, kKeySpeed, QStringLiteral("0")));
    const QString wordTimes = exchange.ReadString(kSection, kKeyWavWords, QString());
    if (IsUsableSoundFileName(wordTimes))
        job.wordTimesPath = QDir(dir).filePath(wordTimes);
    return job;
}
