#include "app/ExportEndTexts.h"

#include "export/AudioExporter.h"
#include "windows/InterfaceLanguages.h"

#include <QFileInfo>

#include <array>

namespace {

using Texts = std::array<const char *, kLanguageCount>;

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr Texts kSaved = {
    "Fitxer de so desat: %1.",
    "Archivo de sonido guardado: %1.",
    "Soinu fitxategia gorde da: %1.",
    "Ficheiro de son gardado: %1.",
    "Ficheiro de som guardado: %1.",
    "Sound file saved: %1.",
    "Fichier son enregistré : %1.",
};
constexpr Texts kOnlyTheWav = {
    "No s'ha pogut fer el fitxer %1. El so és a %2.",
    "No se ha podido hacer el archivo %1. El sonido está en %2.",
    "Ezin izan da %1 fitxategia egin. Soinua %2 fitxategian dago.",
    "Non se puido facer o ficheiro %1. O son está en %2.",
    "Não foi possível fazer o ficheiro %1. O som está em %2.",
    "The %1 file could not be made. The sound is in %2.",
    "Le fichier %1 n'a pas pu être créé. Le son est dans %2.",
};
constexpr Texts kNothingSaved = {
    "No s'ha desat cap fitxer de so.",
    "No se ha guardado ningún archivo de sonido.",
    "Ez da soinu fitxategirik gorde.",
    "Non se gardou ningún ficheiro de son.",
    "Não foi guardado nenhum ficheiro de som.",
    "No sound file was saved.",
    "Aucun fichier son n'a été enregistré.",
};

} // namespace

QString ExportEndText(int language, const ExportResult &result)
{
    const std::size_t row = language >= 0 && language < kLanguageCount ? std::size_t(language) : 0;
    const QString name = QFileInfo(result.file).fileName();
    if (result.ok)
        return QString::fromUtf8(kSaved[row]).arg(name);
    if (!name.isEmpty() && QFileInfo::exists(result.file))
        return QString::fromUtf8(kOnlyTheWav[row])
            .arg(result.format == ExportFormat::Opus ? QStringLiteral("Opus") : QStringLiteral("MP3"), name);
    return QString::fromUtf8(kNothingSaved[row]);
}
