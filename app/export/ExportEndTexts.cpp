#include "app/export/ExportEndTexts.h"

#include "core/LanguageTexts.h"
#include "export/AudioExporter.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

using Texts = LanguageTexts;

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr Texts kSaved = {
    "Fitxer de so desat: %1, a la carpeta %2.",
    "Archivo de sonido guardado: %1, en la carpeta %2.",
    "Soinu fitxategia gorde da: %1, %2 karpetan.",
    "Ficheiro de son gardado: %1, no cartafol %2.",
    "Ficheiro de som guardado: %1, na pasta %2.",
    "Sound file saved: %1, in the folder %2.",
    "Fichier son enregistré : %1, dans le dossier %2.",
};
constexpr Texts kStopped = {
    "S'ha aturat el desament: no s'ha desat cap fitxer de so nou.",
    "Se ha detenido el guardado: no se ha guardado ningún archivo de sonido nuevo.",
    "Gordetzea gelditu da: ez da soinu fitxategi berririk gorde.",
    "Detívose o gardado: non se gardou ningún ficheiro de son novo.",
    "A gravação foi parada: não foi guardado nenhum ficheiro de som novo.",
    "Saving stopped: no new sound file was saved.",
    "Enregistrement arrêté : aucun nouveau fichier son n'a été enregistré.",
};
// The percentage as each language writes it.
constexpr Texts kProgress = {
    "Desant: %1 %",
    "Guardando: %1 %",
    "Gordetzen: % %1",
    "Gardando: %1 %",
    "A guardar: %1 %",
    "Saving: %1%",
    "Enregistrement : %1 %",
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
    const QFileInfo file(result.file);
    const QString name = file.fileName();
    if (result.ok)
        return TextIn(kSaved, language).arg(name, QDir::toNativeSeparators(file.absolutePath()));
    if (result.stopped)
        return TextIn(kStopped, language);
    if (!name.isEmpty() && QFileInfo::exists(result.file))
        return TextIn(kOnlyTheWav, language)
            .arg(result.format == ExportFormat::Opus ? QStringLiteral("Opus") : QStringLiteral("MP3"), name);
    return TextIn(kNothingSaved, language);
}

QString ExportProgressText(int language, int percent)
{
    // The number as every program reads it, whatever the session's locale.
    return TextIn(kProgress, language).arg(QString::number(qBound(0, percent, 100)));
}
