#include "app/view/ViewCaptions.h"

#include <iterator>

namespace
{
// Languages in table order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr AddedRow kRows[] = {
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaLectura",
     {"Vi&sta de lectura", "Vista de l&ectura", "I&rakurketa ikuspegia", "Vista de l&ectura", "Vista de l&eitura",
      "Readin&g view", "Vue de l&ecture"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaFocus",
     {"&Focus de línia", "&Foco de línea", "&Lerro fokua", "&Foco de liña", "&Foco de linha", "Line &focus",
      "&Focus de ligne"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaFocus1",
     {"Focus d'&una línia", "Foco de &una línea", "Lerro &bateko fokua", "Foco dunha li&ña", "Foco de &uma linha",
      "F&ocus on one line", "Focus sur &une ligne"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaFocus3",
     {"Focus de &tres línies", "Foco de &tres líneas", "&Hiru lerroko fokua", "Foco de &tres liñas",
      "Foco de &três linhas", "Focus on &three lines", "Focus sur &trois lignes"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaFocus5",
     {"Focus de cinc &línies", "Foco de &cinco líneas", "Bost l&erroko fokua", "Foco de &cinco liñas",
      "Foco de &cinco linhas", "Focus on f&ive lines", "Focus sur &cinq lignes"}},
    // The spacing submenu and its items: letters of their own within it.
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaEspaiat",
     {"Es&paiat", "Es&paciado", "Ta&rteak", "Es&pazado", "Es&paçamento", "S&pacing", "Es&pacement"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMesInterlineat",
     {"Més &interlineat", "Más &interlineado", "Lerroarteko tarte han&diagoa", "Máis &interliñado",
      "Mais espaço entre l&inhas", "More line s&pacing", "Plus d'&interligne"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMenysInterlineat",
     {"Menys i&nterlineat", "Menos i&nterlineado", "Lerroarteko tarte t&xikiagoa", "Menos i&nterliñado",
      "Menos espaço entre li&nhas", "Less l&ine spacing", "Moins d'i&nterligne"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMesEspaiLletres",
     {"Més espai entre ll&etres", "Más espacio entre l&etras", "Hizkien arteko tarte &zabalagoa",
      "Máis espazo entre l&etras", "Mais espaço entre l&etras", "More l&etter spacing", "Plus d'espace entre l&ettres"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMenysEspaiLletres",
     {"Menys espai entre lle&tres", "Menos espacio entre le&tras", "Hizkien arteko tarte es&tuagoa",
      "Menos espazo entre le&tras", "Menos espaço entre le&tras", "Less le&tter spacing",
      "Moins d'espace entre le&ttres"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMesEspaiParaules",
     {"Més espai entre &paraules", "Más espacio entre &palabras", "Hitzen arteko tarte luzeag&oa",
      "Máis espazo entre &palabras", "Mais espaço entre &palavras", "More &word spacing", "Plus d'espace entre &mots"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMenysEspaiParaules",
     {"Menys espai entre pa&raules", "Menos espacio entre pa&labras", "Hitzen arteko tarte la&burragoa",
      "Menos espazo entre pa&labras", "Menos espaço entre pa&lavras", "Less wo&rd spacing",
      "Moins d'espace entre m&ots"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaEspaiatNormal",
     {"Espaiat n&ormal", "Espaciado n&ormal", "Tarte a&rrunta", "Espazado n&ormal", "Espaçamento n&ormal",
      "&Normal spacing", "Espacement no&rmal"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaTemaClar",
     {"Colors &clars", "Colores c&laros", "Kolore &argiak", "Cores c&laras", "Cores c&laras", "&Light colours",
      "Couleurs c&laires"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaTemaCrema",
     {"Colors c&rema", "Colores c&rema", "&Krema koloreak", "Cores c&rema", "Cores c&reme", "C&ream colours",
      "Couleurs c&rème"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaTemaFosc",
     {"Colors f&oscos", "Colores &oscuros", "Kolore &ilunak", "C&ores escuras", "C&ores escuras", "&Dark colours",
      "Couleurs &sombres"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaTemaAltContrast",
     {"&Alt contrast", "&Alto contraste", "Kontraste alt&ua", "&Alto contraste", "&Alto contraste", "&High contrast",
      "Contraste élev&é"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaTemaSistema",
     {"Colors del &sistema", "Colores del &sistema", "&Sistemaren koloreak", "Cores do si&stema", "Cores do si&stema",
      "&System colours", "Couleurs du s&ystème"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaLletraGran",
     {"Lletra &gran sense serifes", "Letra &grande sin serifa", "Letra handia serifarik &gabe",
      "Letra &grande sen serifa", "Letra &grande sem serifa", "Lar&ge sans-serif font",
      "&Grande police sans empattement"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaLletraOpenDyslexic",
     {"Lletra OpenD&yslexic", "Letra OpenD&yslexic", "OpenD&yslexic letra", "Letra OpenD&yslexic",
      "Letra OpenD&yslexic", "OpenD&yslexic font", "Police &OpenDyslexic"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaAmpliar",
     {"A&mpliar el text", "A&mpliar el texto", "&Testua handitu", "A&mpliar o texto", "A&mpliar o texto",
      "Zoo&m in", "Agr&andir le texte"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaReduir",
     {"Re&duir el text", "Re&ducir el texto", "Testua t&xikitu", "Re&ducir o texto", "Re&duzir o texto",
      "Zoom o&ut", "Ré&duire le texte"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaMidaNormal",
     {"Mida original del te&xt", "Tamaño original del te&xto", "&Jatorrizko tamaina", "Tamaño orixinal do te&xto",
      "Tamanho original do te&xto", "Original te&xt size", "Taille d'origine du te&xte"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaSillabes",
     {"Paraules en síl·la&bes", "Palabras en síla&bas", "Hitzak silabata&n", "Palabras en síla&bas",
      "Palavras em síla&bas", "Words in sylla&bles", "Mots en sylla&bes"}},
    {CaptionWindow::Main, AddedText::Caption, "MenuVistaCursorAmple",
     {"Cursor ampl&e", "Cursor anc&ho", "Kurtsore &zabala", "Cursor anc&ho", "Cursor ma&is largo", "Wid&e cursor",
      "Curs&eur large"}},
};

// The status texts, by ViewMessage.
constexpr std::array<const char *, kLanguageCount> kMessages[] = {
    {"Mida del text: %1 %", "Tamaño del texto: %1 %", "Testuaren tamaina: % %1", "Tamaño do texto: %1 %",
     "Tamanho do texto: %1 %", "Text size: %1%", "Taille du texte : %1 %"},
    {"Interlineat: %1 %", "Interlineado: %1 %", "Lerroarteko tartea: % %1", "Interliñado: %1 %",
     "Espaço entre linhas: %1 %", "Line spacing: %1%", "Interligne : %1 %"},
    {"Espai entre lletres: %1 %", "Espacio entre letras: %1 %", "Hizkien arteko tartea: % %1",
     "Espazo entre letras: %1 %", "Espaço entre letras: %1 %", "Letter spacing: %1%", "Espace entre lettres : %1 %"},
    {"Espai entre paraules: %1 %", "Espacio entre palabras: %1 %", "Hitzen arteko tartea: % %1",
     "Espazo entre palabras: %1 %", "Espaço entre palavras: %1 %", "Word spacing: %1%", "Espace entre mots : %1 %"},
    {"La lletra OpenDyslexic no hi és: instal·leu el paquet fonts-opendyslexic.",
     "La letra OpenDyslexic no está: instale el paquete fonts-opendyslexic.",
     "OpenDyslexic letra ez dago: instalatu fonts-opendyslexic paketea.",
     "A letra OpenDyslexic non está: instale o paquete fonts-opendyslexic.",
     "A letra OpenDyslexic não está instalada: instale o pacote fonts-opendyslexic.",
     "The OpenDyslexic font is missing: install the package fonts-opendyslexic.",
     "La police OpenDyslexic est absente : installez le paquet fonts-opendyslexic."},
};
} // namespace

std::span<const AddedRow> ReadingViewCaptionRows()
{
    return kRows;
}

QString ViewMessageText(ViewMessage message, int language, int value)
{
    if (language < 0 || language >= kLanguageCount)
        language = 0;
    const QString text = QString::fromUtf8(kMessages[int(message)][size_t(language)]);
    // Numbers are shown as the digits the status line has always used, in any session.
    return message == ViewMessage::FontMissing ? text : text.arg(QString::number(value));
}

void RelabelReadingView(int language, QObject *root)
{
    if (language < 0 || language >= kLanguageCount || !root)
        return;
    for (const AddedRow &row : kRows)
        SetCaptionByName(root, QString::fromLatin1(row.control), QString::fromUtf8(row.texts[size_t(language)]));
}
