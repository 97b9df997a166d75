#include "app/documents/DocumentMessages.h"

#include "engines/SynthesizerMissingText.h"

#include <QLocale>

namespace DocumentMessages {

namespace {

using Row = const char *const[kSynthesizerMissingLanguages];

QString Pick(Row texts, int language)
{
    return QString::fromUtf8(texts[LanguageRow(language)]);
}

// Numbers and sizes as a reader of that language writes them.
QLocale LocaleOf(int language)
{
    static const QLocale::Language languages[] = {QLocale::Catalan, QLocale::Spanish, QLocale::Basque,
                                                  QLocale::Galician, QLocale::Portuguese, QLocale::English,
                                                  QLocale::French};
    return QLocale(languages[LanguageRow(language)]);
}

} // namespace

QString ReadRefusal(int language, const QString &fileName, ReadProblem problem, qint64 largestMb)
{
    static Row tooLarge = {
        "%1: el fitxer és massa gran; el màxim que es pot obrir és %2 MB.",
        "%1: el archivo es demasiado grande; el máximo que se puede abrir es %2 MB.",
        "%1: fitxategia handiegia da; gehienez %2 MB ireki daitezke.",
        "%1: o ficheiro é demasiado grande; o máximo que se pode abrir é %2 MB.",
        "%1: o ficheiro é demasiado grande; o máximo que se pode abrir é %2 MB.",
        "%1: the file is too large; the most that can be opened is %2 MB.",
        "%1 : le fichier est trop volumineux ; le maximum que l'on peut ouvrir est %2 Mo.",
    };
    static Row cannotOpen = {
        "%1: no es pot obrir perquè %2.",
        "%1: no se puede abrir porque %2.",
        "%1: ezin da ireki, %2 delako.",
        "%1: non se pode abrir porque %2.",
        "%1: não pode ser aberto porque %2.",
        "%1: it cannot be opened because %2.",
        "%1 : impossible de l'ouvrir car %2.",
    };
    static Row folder = {"és una carpeta", "es una carpeta", "karpeta bat", "é un cartafol", "é uma pasta",
                         "it is a folder", "c'est un dossier"};
    static Row fifo = {"és una canonada (FIFO)", "es una tubería (FIFO)", "kanalizazio bat (FIFO)",
                       "é unha canalización (FIFO)", "é um pipe (FIFO)", "it is a pipe (FIFO)",
                       "c'est un tube (FIFO)"};
    static Row socket = {"és un sòcol", "es un socket", "socket bat", "é un socket", "é um socket",
                         "it is a socket", "c'est un socket"};
    static Row device = {"és un dispositiu", "es un dispositivo", "gailu bat", "é un dispositivo", "é um dispositivo",
                         "it is a device", "c'est un périphérique"};
    static Row other = {"no és un fitxer normal", "no es un archivo normal", "ez da fitxategi arrunta",
                        "non é un ficheiro normal", "não é um ficheiro normal", "it is not a regular file",
                        "ce n'est pas un fichier ordinaire"};
    switch (problem) {
    case ReadProblem::TooLarge:
        return Pick(tooLarge, language).arg(fileName).arg(largestMb);
    case ReadProblem::Folder:
        return Pick(cannotOpen, language).arg(fileName, Pick(folder, language));
    case ReadProblem::Fifo:
        return Pick(cannotOpen, language).arg(fileName, Pick(fifo, language));
    case ReadProblem::Socket:
        return Pick(cannotOpen, language).arg(fileName, Pick(socket, language));
    case ReadProblem::Device:
        return Pick(cannotOpen, language).arg(fileName, Pick(device, language));
    case ReadProblem::NotRegular:
        break;
    }
    return Pick(cannotOpen, language).arg(fileName, Pick(other, language));
}

QString NotTextQuestion(int language, const QString &fileName)
{
    static Row texts = {
        "%1 no sembla un fitxer de text: obrir-lo igualment? Si s'obre, només es podrà llegir "
        "fins que es desi amb «Guardar com».",
        "%1 no parece un archivo de texto: ¿abrirlo de todos modos? Si se abre, solo se podrá leer "
        "hasta que se guarde con «Guardar como».",
        "%1 ez dirudi testu-fitxategia: ireki hala ere? Irekitzen bada, irakurri bakarrik egin ahal "
        "izango da «Gorde honela» erabili arte.",
        "%1 non semella un ficheiro de texto: abrilo igualmente? Se se abre, só se poderá ler "
        "ata que se garde con «Gardar como».",
        "%1 não parece um ficheiro de texto: abri-lo mesmo assim? Se for aberto, só poderá ser lido "
        "até ser guardado com «Guardar como».",
        "%1 does not look like a text file: open it anyway? If it is opened, it can only be read "
        "until it is saved with \"Save as\".",
        "%1 ne semble pas être un fichier texte : l'ouvrir quand même ? S'il est ouvert, il ne pourra "
        "qu'être lu jusqu'à son enregistrement avec « Enregistrer sous ».",
    };
    return Pick(texts, language).arg(fileName);
}

QString ReadOnlyStatus(int language, const QString &fileName)
{
    static Row texts = {
        "%1 no és un fitxer de text: només es pot llegir; «Guardar com» en desa una còpia amb un altre nom.",
        "%1 no es un archivo de texto: solo se puede leer; «Guardar como» guarda una copia con otro nombre.",
        "%1 ez da testu-fitxategia: irakurri bakarrik egin daiteke; «Gorde honela» aukerak kopia bat "
        "gordetzen du beste izen batekin.",
        "%1 non é un ficheiro de texto: só se pode ler; «Gardar como» garda unha copia con outro nome.",
        "%1 não é um ficheiro de texto: só pode ser lido; «Guardar como» guarda uma cópia com outro nome.",
        "%1 is not a text file: it can only be read; \"Save as\" saves a copy under another name.",
        "%1 n'est pas un fichier texte : il ne peut qu'être lu ; « Enregistrer sous » en enregistre une "
        "copie sous un autre nom.",
    };
    return Pick(texts, language).arg(fileName);
}

QString StrayBytesStatus(int language, const QString &fileName, qsizetype count)
{
    static Row one = {
        "%1: un byte no és UTF-8; es mostra com a caràcter desconegut i es desa tal com era.",
        "%1: un byte no es UTF-8; se muestra como carácter desconocido y se guarda tal como era.",
        "%1: byte bat ez da UTF-8; karaktere ezezagun gisa erakusten da eta zegoen bezala gordetzen da.",
        "%1: un byte non é UTF-8; móstrase como carácter descoñecido e gárdase tal como era.",
        "%1: um byte não é UTF-8; é mostrado como carácter desconhecido e guardado tal como era.",
        "%1: one byte is not UTF-8; it is shown as an unknown character and saved as it was.",
        "%1 : un octet n'est pas de l'UTF-8 ; il est affiché comme caractère inconnu et enregistré tel quel.",
    };
    static Row many = {
        "%1: %2 bytes no són UTF-8; es mostren com a caràcters desconeguts i es desen tal com eren.",
        "%1: %2 bytes no son UTF-8; se muestran como caracteres desconocidos y se guardan tal como eran.",
        "%1: %2 byte ez dira UTF-8; karaktere ezezagun gisa erakusten dira eta zeuden bezala gordetzen dira.",
        "%1: %2 bytes non son UTF-8; móstranse como caracteres descoñecidos e gárdanse tal como eran.",
        "%1: %2 bytes não são UTF-8; são mostrados como caracteres desconhecidos e guardados tal como eram.",
        "%1: %2 bytes are not UTF-8; they are shown as unknown characters and saved as they were.",
        "%1 : %2 octets ne sont pas de l'UTF-8 ; ils sont affichés comme caractères inconnus et "
        "enregistrés tels quels.",
    };
    if (count == 1)
        return Pick(one, language).arg(fileName);
    return Pick(many, language).arg(fileName, LocaleOf(language).toString(count));
}

QString SaveFailedQuestion(int language, const QString &fileName, const QString &reason)
{
    static Row texts = {
        "No s'ha pogut desar %1: %2. Voleu desar-lo amb un altre nom?",
        "No se ha podido guardar %1: %2. ¿Quiere guardarlo con otro nombre?",
        "Ezin izan da %1 gorde: %2. Beste izen batekin gorde nahi duzu?",
        "Non se puido gardar %1: %2. Quere gardalo con outro nome?",
        "Não foi possível guardar %1: %2. Quer guardá-lo com outro nome?",
        "%1 could not be saved: %2. Save it under another name?",
        "Impossible d'enregistrer %1 : %2. Voulez-vous l'enregistrer sous un autre nom ?",
    };
    return Pick(texts, language).arg(fileName, reason);
}

QString WriteReason(int language, WriteProblem problem, const QString &detail, qint64 needed, qint64 free)
{
    static Row missing = {
        "la carpeta %1 no existeix",
        "la carpeta %1 no existe",
        "%1 karpeta ez da existitzen",
        "o cartafol %1 non existe",
        "a pasta %1 não existe",
        "the folder %1 does not exist",
        "le dossier %1 n'existe pas",
    };
    static Row readOnlyDisk = {
        "el disc de la carpeta %1 només es pot llegir",
        "el disco de la carpeta %1 es de solo lectura",
        "%1 karpetaren diskoa irakurtzeko soilik da",
        "o disco do cartafol %1 é só de lectura",
        "o disco da pasta %1 é só de leitura",
        "the disk of the folder %1 is read-only",
        "le disque du dossier %1 est en lecture seule",
    };
    static Row notWritable = {
        "no teniu permís per escriure a la carpeta %1",
        "no tiene permiso para escribir en la carpeta %1",
        "ez duzu %1 karpetan idazteko baimenik",
        "non ten permiso para escribir no cartafol %1",
        "não tem permissão para escrever na pasta %1",
        "you may not write in the folder %1",
        "vous n'avez pas le droit d'écrire dans le dossier %1",
    };
    static Row full = {
        "el disc és ple: el fitxer necessita %1 i només en queden %2 lliures",
        "el disco está lleno: el archivo necesita %1 y solo quedan %2 libres",
        "diskoa beteta dago: fitxategiak %1 behar ditu eta %2 baino ez dira geratzen",
        "o disco está cheo: o ficheiro necesita %1 e só quedan %2 libres",
        "o disco está cheio: o ficheiro precisa de %1 e só restam %2 livres",
        "the disk is full: the file needs %1 and only %2 are free",
        "le disque est plein : le fichier a besoin de %1 et il ne reste que %2 de libre",
    };
    switch (problem) {
    case WriteProblem::FolderMissing:
        return Pick(missing, language).arg(detail);
    case WriteProblem::ReadOnlyDisk:
        return Pick(readOnlyDisk, language).arg(detail);
    case WriteProblem::FolderNotWritable:
        return Pick(notWritable, language).arg(detail);
    case WriteProblem::DiskFull: {
        const QLocale locale = LocaleOf(language);
        return Pick(full, language).arg(locale.formattedDataSize(needed, 1, QLocale::DataSizeSIFormat),
                                        locale.formattedDataSize(free, 1, QLocale::DataSizeSIFormat));
    }
    case WriteProblem::Other:
        break;
    }
    return detail;
}

QString SwitchedToUtf8(int language)
{
    static Row texts = {
        "El document conté caràcters que la codificació Windows-1252 no pot desar; "
        "s'ha desat en UTF-8 perquè no es perdi cap caràcter.",
        "El documento contiene caracteres que la codificación Windows-1252 no puede guardar; "
        "se ha guardado en UTF-8 para no perder ningún carácter.",
        "Dokumentuak Windows-1252 kodeketak gorde ezin dituen karaktereak ditu; "
        "UTF-8 kodeketan gorde da karaktererik ez galtzeko.",
        "O documento contén caracteres que a codificación Windows-1252 non pode gardar; "
        "gardouse en UTF-8 para non perder ningún carácter.",
        "O documento contém caracteres que a codificação Windows-1252 não consegue guardar; "
        "foi guardado em UTF-8 para não perder nenhum carácter.",
        "The document holds characters that the Windows-1252 encoding cannot store; "
        "it was saved as UTF-8 so that no character is lost.",
        "Le document contient des caractères que l'encodage Windows-1252 ne peut pas enregistrer ; "
        "il a été enregistré en UTF-8 pour qu'aucun caractère ne soit perdu.",
    };
    return Pick(texts, language);
}

QString LineTooLong(int language, const QString &fileName, qsizetype line, qsizetype length, qsizetype longest)
{
    static Row texts = {
        "%1: la línia %2 té %3 caràcters; l'editor no pot mostrar línies de més de %4 caràcters "
        "sense aturar-se. Parteix-la en línies més curtes amb un altre programa.",
        "%1: la línea %2 tiene %3 caracteres; el editor no puede mostrar líneas de más de %4 caracteres "
        "sin detenerse. Divídala en líneas más cortas con otro programa.",
        "%1: %2. lerroak %3 karaktere ditu; editoreak ezin ditu %4 karaktere baino gehiagoko lerroak "
        "erakutsi gelditu gabe. Zatitu lerro laburragotan beste programa batekin.",
        "%1: a liña %2 ten %3 caracteres; o editor non pode mostrar liñas de máis de %4 caracteres "
        "sen deterse. Divídaa en liñas máis curtas con outro programa.",
        "%1: a linha %2 tem %3 caracteres; o editor não consegue mostrar linhas com mais de %4 caracteres "
        "sem parar. Divida-a em linhas mais curtas com outro programa.",
        "%1: line %2 has %3 characters; the editor cannot show lines longer than %4 characters "
        "without stopping. Split it into shorter lines with another program.",
        "%1 : la ligne %2 a %3 caractères ; l'éditeur ne peut pas afficher des lignes de plus de %4 caractères "
        "sans s'arrêter. Coupez-la en lignes plus courtes avec un autre programme.",
    };
    const QLocale locale = LocaleOf(language);
    return Pick(texts, language).arg(fileName, locale.toString(line), locale.toString(length), locale.toString(longest));
}

QString PasswordTitle(int language)
{
    static Row texts = {"Contrasenya", "Contraseña", "Pasahitza", "Contrasinal", "Palavra-passe", "Password",
                        "Mot de passe"};
    return Pick(texts, language);
}

QString PasswordPrompt(int language, const QString &fileName, bool wrongBefore)
{
    static Row ask = {
        "%1 està protegit amb una contrasenya. Escriviu-la per obrir-lo:",
        "%1 está protegido con una contraseña. Escríbala para abrirlo:",
        "%1 pasahitz batekin babestuta dago. Idatzi ezazu irekitzeko:",
        "%1 está protexido cun contrasinal. Escríbao para abrilo:",
        "%1 está protegido por uma palavra-passe. Escreva-a para o abrir:",
        "%1 is protected by a password. Type it to open the document:",
        "%1 est protégé par un mot de passe. Tapez-le pour l'ouvrir :",
    };
    static Row wrong = {
        "La contrasenya no és correcta. %1 està protegit amb una contrasenya. Escriviu-la per obrir-lo:",
        "La contraseña no es correcta. %1 está protegido con una contraseña. Escríbala para abrirlo:",
        "Pasahitza ez da zuzena. %1 pasahitz batekin babestuta dago. Idatzi ezazu irekitzeko:",
        "O contrasinal non é correcto. %1 está protexido cun contrasinal. Escríbao para abrilo:",
        "A palavra-passe não está correta. %1 está protegido por uma palavra-passe. Escreva-a para o abrir:",
        "The password is wrong. %1 is protected by a password. Type it to open the document:",
        "Le mot de passe est incorrect. %1 est protégé par un mot de passe. Tapez-le pour l'ouvrir :",
    };
    return Pick(wrongBefore ? wrong : ask, language).arg(fileName);
}

} // namespace DocumentMessages
