#include "engines/SynthesizerMissingText.h"

#include <array>

namespace {

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr std::array<const char *, kSynthesizerMissingLanguages> kMissing = {
    "La veu UPCTV - Dona - Català necessita festival: instal·leu %1 (%2).",
    "La voz UPCTV - Dona - Català necesita festival: instale %1 (%2).",
    "UPCTV - Dona - Català ahotsak festival behar du: instalatu %1 (%2).",
    "A voz UPCTV - Dona - Català precisa festival: instale %1 (%2).",
    "A voz UPCTV - Dona - Català precisa do festival: instale %1 (%2).",
    "The voice UPCTV - Dona - Català needs festival: install %1 (%2).",
    "La voix UPCTV - Dona - Català a besoin de festival : installez %1 (%2).",
};

} // namespace

QString SynthesizerMissingText(int language)
{
    return QString::fromUtf8(kMissing[LanguageRow(language)])
        .arg(QStringLiteral("festival festival-ca festvox-ca-ona-hts"),
             QStringLiteral("sudo apt install festival festival-ca festvox-ca-ona-hts"));
}
