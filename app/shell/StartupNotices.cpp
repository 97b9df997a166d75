#include "app/shell/StartupNotices.h"

#include "core/SettingsStore.h"

namespace {

constexpr int kMostOneHandEntries = 200;

} // namespace

QStringList UnusableStartSettings(const SettingsStore &settings)
{
    QStringList problems;
    const QString oneHandSection = QStringLiteral("teclat amb una ma");
    const QString count = settings.ReadString(oneHandSection, QStringLiteral("numero"), QStringLiteral("0"));
    const std::optional<int> entries = ToInteger(count);
    if (!entries || *entries < 0)
        problems << QStringLiteral("\"%1\"/\"numero\" = \"%2\" no és un nombre d'entrades: el teclat amb una mà "
                                   "no té cap tecla")
                        .arg(oneHandSection, count);
    else if (*entries > kMostOneHandEntries)
        problems << QStringLiteral("\"%1\"/\"numero\" = \"%2\" passa de %3: només s'usen les %3 primeres entrades")
                        .arg(oneHandSection, count)
                        .arg(kMostOneHandEntries);

    const QString language = settings.ReadString(QStringLiteral("LlibreriaLlegir"), QStringLiteral("LLENGUA"),
                                                 QStringLiteral("1"));
    if (!ToInteger(language))
        problems << QStringLiteral("\"LlibreriaLlegir\"/\"LLENGUA\" = \"%1\" no és un nombre: s'usa la llengua "
                                   "per defecte")
                        .arg(language);
    return problems;
}

QString UnusedSettingsNotice(const QString &settingsFile, const QStringList &problems)
{
    if (problems.isEmpty())
        return {};
    return QStringLiteral("%1: configuració no usada: %2.").arg(settingsFile, problems.join(QStringLiteral("; ")));
}
