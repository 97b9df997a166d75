#include "windows/AccessibleLabels.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QWidget>

namespace {

// Languages in table order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr AddedRow kAddedTable[] = {
    // The switch of the highlight of the word being heard, after "Teclat amb una ma".
    {CaptionWindow::Main, AddedText::Caption, "MenuRessaltarParaula",
     {"&Ressaltar la paraula que es llegeix",
      "&Resaltar la palabra que se lee",
      "&Nabarmendu irakurtzen den hitza",
      "&Resaltar a palabra que se le",
      "&Realçar a palavra que é lida",
      "&Highlight the word being read",
      "&Surligner le mot lu"}},

    // The window commands of "&Opcions", after "Teclat amb una ma".
    {CaptionWindow::Main, AddedText::Caption, "MenuFinestraDeVeu",
     {"&Veu i opcions de lectura...",
      "&Voz y opciones de lectura...",
      "&Ahotsa eta irakurketa aukerak...",
      "&Voz e opcións de lectura...",
      "&Voz e opções de leitura...",
      "&Voice and reading options...",
      "&Voix et options de lecture..."}},
    {CaptionWindow::Main, AddedText::Caption, "MenuParaulaPerParaula",
     {"Llegir &paraula per paraula",
      "Leer &palabra por palabra",
      "&Irakurri hitzez hitz",
      "Ler &palabra por palabra",
      "Ler &palavra por palavra",
      "&Read word by word",
      "Lire &mot à mot"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuDesarWav",
     {"Desar com a fitxer &WAV",
      "Guardar como archivo &WAV",
      "Gorde &WAV fitxategi gisa",
      "Gardar como ficheiro &WAV",
      "Guardar como ficheiro &WAV",
      "Save as &WAV file",
      "Enregistrer en fichier &WAV"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuDesarMp3",
     {"Desar com a fitxer MP&3",
      "Guardar como archivo MP&3",
      "Gorde MP&3 fitxategi gisa",
      "Gardar como ficheiro MP&3",
      "Guardar como ficheiro MP&3",
      "Save as MP&3 file",
      "Enregistrer en fichier MP&3"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuDesarOpus",
     {"Desar com a &Opus",
      "Guardar como &Opus",
      "Gorde &Opus gisa",
      "Gardar como &Opus",
      "Guardar como &Opus",
      "Save as &Opus",
      "Enregistrer en &Opus"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuLlenguatge",
     {"&Llenguatge...",
      "&Lengua...",
      "&Hizkuntza...",
      "&Linguaxe...",
      "&Linguagem...",
      "&Language...",
      "&Langue..."}},

    // The reader's commands of "&Opcions", after "Llegir paraula per paraula".
    {CaptionWindow::Main, AddedText::Caption, "MenuLlegirDesDelCursor",
     {"Llegir des del &cursor",
      "Leer desde el &cursor",
      "Irakurri &kurtsoretik",
      "Ler desde o &cursor",
      "Ler a partir do &cursor",
      "Read from the &caret",
      "Lire depuis le &curseur"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuPausaIContinua",
     {"Pa&usa i continua",
      "Pa&usar y seguir",
      "&Pausatu eta jarraitu",
      "Pa&usar e seguir",
      "Pa&usar e continuar",
      "&Pause and go on",
      "Pa&use et reprise"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuFraseSeguent",
     {"Frase següe&nt",
      "Frase &siguiente",
      "Hurrengo &esaldia",
      "Frase &seguinte",
      "Frase &seguinte",
      "&Next sentence",
      "Phrase suiva&nte"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuFraseAnterior",
     {"Frase &anterior",
      "Frase &anterior",
      "Aurreko e&saldia",
      "Frase &anterior",
      "Frase &anterior",
      "Previous &sentence",
      "Phrase &précédente"}},

    // The toolbar's hints; the English ones are the design's.
    {CaptionWindow::Main, AddedText::Hint, "ButtonLectura",
     {"Llegir tot o lo seleccionat",
      "Leer todo o lo seleccionado",
      "Irakurri guztia edo aukeratua",
      "Ler todo ou o seleccionado",
      "Ler tudo ou o selecionado",
      "Read all or selected text",
      "Lire tout ou la sélection"}},
    {CaptionWindow::Main, AddedText::Hint, "SpeedButtonParaulaPerParaula",
     {"Llegir paraula per paraula",
      "Leer palabra por palabra",
      "Hitzez hitz irakurri",
      "Ler palabra por palabra",
      "Ler palavra por palavra",
      "Read word by word",
      "Lire mot à mot"}},
    {CaptionWindow::Main, AddedText::Hint, "ButtonParar",
     {"Parar la lectura",
      "Parar la lectura",
      "Irakurketa gelditu",
      "Parar a lectura",
      "Parar a leitura",
      "Stop",
      "Arrêter la lecture"}},
    {CaptionWindow::Main, AddedText::Hint, "SpeedButtonMenu",
     {"Veu i opcions de lectura",
      "Voz y opciones de lectura",
      "Ahotsa eta irakurketa aukerak",
      "Voz e opcións de lectura",
      "Voz e opções de leitura",
      "Menu options",
      "Voix et options de lecture"}},
    {CaptionWindow::Main, AddedText::Hint, "ButtonWAV",
     {"Fitxer wav desat a la carpeta records",
      "Archivo wav guardado en la carpeta records",
      "wav fitxategia records karpetan gordetzen da",
      "Ficheiro wav gardado no cartafol records",
      "Ficheiro wav guardado na pasta records",
      "wav file saved in records Dir",
      "Fichier wav enregistré dans le dossier records"}},
    {CaptionWindow::Main, AddedText::Hint, "ButtonMP3",
     {"Fitxer mp3 desat a la carpeta records",
      "Archivo mp3 guardado en la carpeta records",
      "mp3 fitxategia records karpetan gordetzen da",
      "Ficheiro mp3 gardado no cartafol records",
      "Ficheiro mp3 guardado na pasta records",
      "mp3 file saved in records Dir",
      "Fichier mp3 enregistré dans le dossier records"}},
    {CaptionWindow::Main, AddedText::Hint, "EditNomFitxer",
     {"Nom del fitxer de so. Es desa a la carpeta records",
      "Nombre del archivo de sonido. Se guarda en la carpeta records",
      "Soinu fitxategiaren izena. records karpetan gordetzen da",
      "Nome do ficheiro de son. Gárdase no cartafol records",
      "Nome do ficheiro de som. É guardado na pasta records",
      "Sound file name. It is saved in records Dir",
      "Nom du fichier son. Il est enregistré dans le dossier records"}},

    // Controls that show no label of their own.
    {CaptionWindow::Main, AddedText::Name, "ToolBar",
     {"Barra d'eines",
      "Barra de herramientas",
      "Tresna-barra",
      "Barra de ferramentas",
      "Barra de ferramentas",
      "Toolbar",
      "Barre d'outils"}},
    {CaptionWindow::Main, AddedText::Name, "Edit",
     {"Text del document",
      "Texto del documento",
      "Dokumentuaren testua",
      "Texto do documento",
      "Texto do documento",
      "Document text",
      "Texte du document"}},
    {CaptionWindow::Speech, AddedText::Name, "ListBoxMotorsDeVeu",
     {"Veus",
      "Voces",
      "Ahotsak",
      "Voces",
      "Vozes",
      "Voices",
      "Voix"}},
    // The spelling switch of "&Opcions".
    {CaptionWindow::Main, AddedText::Caption, "MenuRevisarOrtografia",
     {"Revisar l'orto&grafia",
      "Revisar la orto&grafía",
      "Ortogra&fia egiaztatu",
      "Revisar a orto&grafía",
      "Verificar a orto&grafia",
      "Chec&k spelling",
      "Vérifier l'ort&hographe"}},
};

void ApplyHint(QObject *object, const QString &hint)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return;
    widget->setToolTip(hint);
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (button && button->text().isEmpty())
        widget->setAccessibleName(hint);
    else
        widget->setAccessibleDescription(hint);
}

void NameAfterLabels(QObject *parent)
{
    for (QObject *child : parent->children()) {
        if (qobject_cast<QDialog *>(child))
            continue;
        if (auto *label = qobject_cast<QLabel *>(child)) {
            if (QWidget *buddy = label->buddy(); buddy && !label->text().isEmpty())
                buddy->setAccessibleName(WithoutMnemonic(label->text()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(child)) {
            if (!button->text().isEmpty())
                button->setAccessibleName(WithoutMnemonic(button->text()));
        }
        NameAfterLabels(child);
    }
}

} // namespace

std::span<const AddedRow> AddedTable()
{
    return kAddedTable;
}

QString AddedTextOf(int language, const QString &control)
{
    if (language < 0 || language >= kLanguageCount)
        return {};
    for (const AddedRow &row : kAddedTable) {
        if (control == QLatin1String(row.control))
            return QString::fromUtf8(row.texts[language]);
    }
    return {};
}

void ApplyAddedTexts(int language, QObject *mainWindow, QObject *speechWindow)
{
    if (language < 0 || language >= kLanguageCount)
        return;
    for (const AddedRow &row : kAddedTable) {
        QObject *root = row.window == CaptionWindow::Speech ? speechWindow : mainWindow;
        if (!root)
            continue;
        const QString name = QLatin1String(row.control);
        const QString text = QString::fromUtf8(row.texts[language]);
        switch (row.kind) {
        case AddedText::Caption:
            SetCaptionByName(root, name, text);
            break;
        case AddedText::Hint:
            for (QObject *object : OwnObjectsNamed(root, name))
                ApplyHint(object, text);
            break;
        case AddedText::Name:
            for (QObject *object : OwnObjectsNamed(root, name))
                if (auto *widget = qobject_cast<QWidget *>(object))
                    widget->setAccessibleName(text);
            break;
        }
    }
    for (QObject *root : {mainWindow, speechWindow})
        if (root)
            NameControlsAfterLabels(root);
}

void NameControlsAfterLabels(QObject *window)
{
    if (window)
        NameAfterLabels(window);
}

QString WithoutMnemonic(const QString &caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) != u'&') {
            plain += caption.at(i);
        } else if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
            plain += u'&';
            ++i;
        }
    }
    return plain;
}
