#include "windows/InterfaceLanguages.h"

#include "windows/AccessibleLabels.h"
#include "windows/QtTranslations.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include <iterator>

namespace {

constexpr CaptionRow kCaptionTable[] = {
    {CaptionWindow::Speech, "CheckBoxReadAll",
     {"F7/ESC Llegir tot",
      "F7/ESC Leer todo",
      "F7/ESC Irakurri guztiak",
      "F7/ESC Ler todo",
      "F7/ESC Leia tudo",
      "F7/ESC Read all",
      "F7/ESC Lire tout"}},
    {CaptionWindow::Speech, "CheckBoxReadSelected",
     {"F8 Llegir lo seleccionat",
      "F8 Leer lo seleccionado",
      "F8 Testu aukeratua irakurri",
      "F8 Ler seleccionado",
      "F8 Leia selecionado",
      "F8 Read selected",
      "F8 Lire la sélection"}},
    {CaptionWindow::Speech, "CheckBoxReadClipboardContent",
     {"F9 Llegir lo de la carpeta",
      "F9 Leer lo del portapapeles",
      "F9 Irakurri zer arbela",
      "F9 Lea o que portapapeis",
      "F9 Leia o que clipboard",
      "F9 Read clipboard content",
      "F9 Lire le contenu du presse-papiers"}},
    {CaptionWindow::Speech, "CheckBoxReadWordByWord",
     {"F10 Llegir paraula per paraula",
      "F10 Leer palabra por palabra",
      "F10 Hitzez hitz irakurri",
      "F10 Le palabra por palabra",
      "F10 Le palavra por palavra",
      "F10 Read word by word",
      "F10 Lire mot à mot"}},
    {CaptionWindow::Speech, "CheckBoxLlegeixDirectamentLaCarpeta",
     {"Llegir text que s'enganxa a la carpeta",
      "Leer lo que se pega en el portapapeles",
      "Irakurri zer karpetan makilak",
      "Ler o que colle ao portapapeis",
      "Leia o que pega para o clipboard",
      "Read text pasted to clipboard",
      "Lire ce qui colle à votre presse-papiers"}},
    {CaptionWindow::Speech, "LabelPararLectura",
     {"F11 Parar la lectura",
      "F11 Parar la lectura",
      "F11 Stop irakurketa",
      "F11 Pare de ler",
      "F11 Pare de ler",
      "F11 Stop speech",
      "F11 Arrêter la lecture"}},
    {CaptionWindow::Speech, "CheckBoxSelectedText",
     {"Botó Llegir. Llegeix lo seleccionat",
      "Botón Leer. Leer lo seleccionado",
      "Irakurri Button. Irakurri Hautatuak",
      "Botón Ler. Ler Seleccionado",
      "Buton Leia. Leia Selecionado",
      "Button read. Reads selected text",
      "Button Lire. Lire la sélection"}},
    {CaptionWindow::Speech, "CheckBoxLletres",
     {"Llegeix la lletra al prémer el teclat",
      "Leer la letra al pulsar una tecla",
      "Letrak irakurtzen ditu teklatua sakatu eskero",
      "Ler a letra premendo unha tecla",
      "Leia a letra pressionando uma tecla",
      "Read letters by pressing keyboard",
      "Lire la lettre en appuyant sur une touche"}},
    {CaptionWindow::Speech, "CheckBoxEspai",
     {"Llegeix la paraula al prémer espai ( )",
      "Leer la palabra al pulsar espacio ( )",
      "Hitza irakurtzen du espazioa sakatu ezkero ( )",
      "Ler a palabra presionando espazo ( )",
      "Leia a palavra pressionando espaço ( )",
      "Read words by pressing space ( )",
      "Lire le mot en appuyant sur espace ( )"}},
    {CaptionWindow::Speech, "CheckBoxPunt",
     {"Llegeix la frase al prémer punt (.)",
      "Leer la frase al pulsar punto (.)",
      "Esaldia irakurtzen du puntua sakatu ezkero (.)",
      "Ler a sentenza presionando punto (.)",
      "Leia a sentença pressionando ponto (.)",
      "Read sentence by pressing (.)",
      "Lire la phrase en appuyant sur point (.)"}},
    {CaptionWindow::Speech, "CheckBoxLlegeixLoSeleccionatALAixecarElClic",
     {"Llegeix text a l'aixecar el mouse",
      "Leer el texto al levantar el mouse",
      "Aukeratua irakurtzen du klik altzatu ezkero",
      "Ler o texto para recadar o rato",
      "Ler o texto para levantar o mouse",
      "Mouse up reads selected text",
      "Lire le texte onmouseup"}},
    {CaptionWindow::Speech, "BitBtnTancar",
     {"D'acord",
      "Aceptar",
      "Onartu",
      "Aceptar",
      "Aceitar",
      "OK",
      "Accepter"}},
    {CaptionWindow::Speech, "BitBtnHelp",
     {"Ajuda",
      "Ayuda",
      "Laguntza",
      "Axuda",
      "Ajuda",
      "Help",
      "Aider"}},
    {CaptionWindow::Speech, "BitBtnLlenguatge",
     {"Llenguatge",
      "Lengua",
      "Hizkuntza",
      "Linguaxe",
      "Linguagem",
      "Language",
      "Langue"}},
    {CaptionWindow::Speech, "ButtonNoMolestar",
     {"No molestar",
      "No molestar",
      "Ez trabarik",
      "Non perturbe",
      "Não perturbe",
      "Don't disturb",
      "Ne pas déranger"}},
    {CaptionWindow::Speech, "BitBtnExit",
     {"Sortir",
      "Salir",
      "Irten",
      "Saír",
      "Sair",
      "Exit",
      "Quitter"}},
    {CaptionWindow::Speech, "LabelVelocitat",
     {"Velocitat:",
      "Velocidad:",
      "Abiadura:",
      "Velocidade:",
      "Velocidad:",
      "Speed:",
      "Vitesse:"}},
    {CaptionWindow::Speech, "CheckBoxDicExc",
     {"Utilitzar diccionari d'excepcions",
      "Utilizar diccionario de excepciones",
      "Erabili salbuespenen hiztegia",
      "Utilizar o dicionario de excepcións",
      "Utilizar o dicionário de exceções",
      "Use the exceptions dictionary",
      "Utiliser le dictionnaire d'exceptions"}},
    {CaptionWindow::Main, "MenuFitxer",
     {"&Fitxer",
      "&Archivo",
      "&Fitxategia",
      "&Ficheiro",
      "&Ficheiro",
      "&File",
      "&Fichier"}},
    {CaptionWindow::Main, "MenuNou",
     {"Nou",
      "Nuevo",
      "Berria",
      "Novo",
      "Novo",
      "New",
      "Nouveau"}},
    {CaptionWindow::Main, "MenuObrir",
     {"Obrir...",
      "Abrir...",
      "Ireki...",
      "Abrir...",
      "Abrir...",
      "Open...",
      "Ouvrir..."}},
    {CaptionWindow::Main, "MenuObrirComText",
     {"Obrir com a text...",
      "Abrir como texto...",
      "Ireki testu gisa...",
      "Abrir como texto...",
      "Abrir como texto...",
      "Open as text...",
      "Ouvrir comme texte..."}},
    {CaptionWindow::Main, "MenuGuardar",
     {"Guardar",
      "Guardar",
      "Gorde",
      "Gardar",
      "Guardar",
      "Save",
      "Enregistrer"}},
    {CaptionWindow::Main, "MenuGuardarCom",
     {"Guardar com...",
      "Guardar como...",
      "Gorde honela...",
      "Gardar como...",
      "Guardar como...",
      "Save as...",
      "Enregistrer sous..."}},
    {CaptionWindow::Main, "MenuImprimir",
     {"Imprimir",
      "Imprimir",
      "Inprimatu",
      "Imprimir",
      "Imprimir",
      "Print",
      "Imprimer"}},
    {CaptionWindow::Main, "MenuConfigurarimpressora",
     {"Configurar impressora...",
      "Configurar impresora...",
      "Konfiguratu inprimagailua...",
      "Configurar a impresora...",
      "Configurar impressora...",
      "Printer setup...",
      "Configurer l'imprimante..."}},
    {CaptionWindow::Main, "MenuSortir",
     {"Sortir",
      "Salir",
      "Irten",
      "Saír",
      "Sair",
      "Exit",
      "Quitter"}},
    {CaptionWindow::Main, "MenuEdicio",
     {"&Edició",
      "&Edición",
      "&Edizioa",
      "&Edición",
      "&Edição",
      "&Edit",
      "&Édition"}},
    {CaptionWindow::Main, "MenuCanviarLaFont",
     {"Canviar la &font del text...",
      "Cambiar la &fuente del texto...",
      "Aldatu testuaren &letra-tipoa...",
      "Cambiar o &tipo de letra do texto...",
      "Mudar o tipo de &letra do texto...",
      "Change the text &font...",
      "Changer la &police du texte..."}},
    {CaptionWindow::Main, "MenuCopiar",
     {"&Copiar",
      "&Copiar",
      "&Kopiatu",
      "&Copiar",
      "&Copiar",
      "&Copy",
      "&Copier"}},
    {CaptionWindow::Main, "MenuTallar",
     {"&Tallar",
      "Cor&tar",
      "&Ebaki",
      "Cor&tar",
      "Cor&tar",
      "Cu&t",
      "Co&uper"}},
    {CaptionWindow::Main, "MenuEnganxar",
     {"&Enganxar",
      "&Pegar",
      "&Itsatsi",
      "&Pegar",
      "Co&lar",
      "&Paste",
      "C&oller"}},
    {CaptionWindow::Main, "MenuEsborrar",
     {"Es&borrar",
      "&Borrar",
      "E&zabatu",
      "&Borrar",
      "&Apagar",
      "&Delete",
      "&Supprimer"}},
    {CaptionWindow::Main, "MenuSeleccionarhotot",
     {"&Seleccionar-ho tot",
      "&Seleccionar todo",
      "&Hautatu dena",
      "&Seleccionar todo",
      "&Selecionar tudo",
      "Select &all",
      "&Tout sélectionner"}},
    {CaptionWindow::Main, "MeBuscar",
     {"Bu&scar",
      "Bu&scar",
      "Bi&latu",
      "Bu&scar",
      "Pro&curar",
      "&Search",
      "&Rechercher"}},
    {CaptionWindow::Main, "MenuBuscar",
     {"&Buscar",
      "&Buscar",
      "&Bilatu",
      "&Buscar",
      "&Procurar",
      "&Find",
      "Re&chercher"}},
    {CaptionWindow::Main, "MenuRepetir",
     {"&Repetir",
      "&Repetir",
      "&Errepikatu",
      "&Repetir",
      "&Repetir",
      "&Repeat",
      "R&épéter"}},
    {CaptionWindow::Main, "MenuSubstituir",
     {"&Substituir",
      "&Substituir",
      "&Ordeztu",
      "&Substituír",
      "&Substituir",
      "Re&place",
      "R&emplacer"}},
    {CaptionWindow::Main, "MenuOpcions",
     {"&Opcions",
      "&Opciones",
      "&Aukerak",
      "&Opcións",
      "&Opções",
      "&Options",
      "&Options"}},
    {CaptionWindow::Main, "MenuTeclatAmbUnaMa",
     {"Teclat amb una ma",
      "Teclado con una mano",
      "Esku bakarreko teklatua",
      "Teclado cunha man",
      "Teclado com uma mão",
      "One-hand keyboard",
      "Clavier à une main"}},
    {CaptionWindow::Main, "LabelSoundFileName",
     {"Nom del fitxer de so:",
      "Nombre del archivo de sonido:",
      "Nombre del archivo de sonido:",
      "Nombre del archivo de sonido:",
      "Nombre del archivo de sonido:",
      "Sound file name:",
      "Nombre del archivo de sonido:"}},
    {CaptionWindow::Main, "CheckBoxNomesUnParaula",
     {"Només una paraula",
      "Sólo una palabra",
      "Hitz bakarra",
      "Só unha palabra",
      "Só uma palavra",
      "Only one word",
      "Un seul mot"}},
    {CaptionWindow::Main, "MenuAbout",
     {"Parlant de...",
      "Acerca de...",
      "About...",
      "About...",
      "About...",
      "About...",
      "About..."}},
};

static_assert(std::size(kCaptionTable) == 43);

void CollectOwnObjects(QObject *parent, const QString &name, QList<QObject *> &found)
{
    for (QObject *child : parent->children()) {
        // Another window owned by this one has its own captions (both windows have a BitBtnTancar).
        if (qobject_cast<QDialog *>(child))
            continue;
        if (child->objectName() == name)
            found << child;
        CollectOwnObjects(child, name, found);
    }
}

bool SetCaption(QObject *object, const QString &caption)
{
    if (auto *menu = qobject_cast<QMenu *>(object)) {
        menu->setTitle(caption);
        // A screen reader names an open menu by this, not by its title.
        menu->setAccessibleName(WithoutMnemonic(caption));
    }
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(caption);
    else if (auto *label = qobject_cast<QLabel *>(object))
        label->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        group->setTitle(caption);
    else
        return false;
    return true;
}

} // namespace

QStringList LanguageNames()
{
    return {QStringLiteral("CATALÀ"), QStringLiteral("CASTELLANO"), QStringLiteral("EUSKARA"),
            QStringLiteral("GALEGO"), QStringLiteral("PORTUGUÊS"), QStringLiteral("ENGLISH"),
            QStringLiteral("FRANÇAIS")};
}

std::span<const CaptionRow> CaptionTable()
{
    return kCaptionTable;
}

QString InterfaceCaption(int language, const QString &control)
{
    if (language < 0 || language >= kLanguageCount)
        return {};
    for (const CaptionRow &row : kCaptionTable) {
        if (control == QLatin1String(row.control))
            return QString::fromUtf8(row.captions[language]);
    }
    return {};
}

QList<QObject *> OwnObjectsNamed(QObject *root, const QString &objectName)
{
    QList<QObject *> found;
    if (!root || objectName.isEmpty())
        return found;
    if (root->objectName() == objectName)
        found << root;
    CollectOwnObjects(root, objectName, found);
    return found;
}

int SetCaptionByName(QObject *root, const QString &objectName, const QString &caption)
{
    int set = 0;
    for (QObject *object : OwnObjectsNamed(root, objectName))
        set += SetCaption(object, caption) ? 1 : 0;
    return set;
}

QStringList ApplyInterfaceLanguage(int language, QObject *mainWindow, QObject *speechWindow)
{
    QStringList missing;
    if (language < 0 || language >= kLanguageCount)
        return missing;
    if (mainWindow)
        mainWindow->setProperty(kInterfaceLanguageProperty, language);
    UseQtTranslations(language);
    for (const CaptionRow &row : kCaptionTable) {
        QObject *root = row.window == CaptionWindow::Speech ? speechWindow : mainWindow;
        if (!root)
            continue;
        const QString name = QLatin1String(row.control);
        if (SetCaptionByName(root, name, QString::fromUtf8(row.captions[language])) == 0)
            missing << name;
    }
    ApplyAddedTexts(language, mainWindow, speechWindow);
    // For the questions the main window asks in the interface language.
    if (mainWindow)
        mainWindow->setProperty(kInterfaceLanguageProperty, language);
    return missing;
}
