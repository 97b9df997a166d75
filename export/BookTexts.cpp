#include "export/BookTexts.h"

#include "engines/SynthesizerMissingText.h"

#include <array>

namespace BookTexts {

namespace {

using Row = std::array<const char *, kSynthesizerMissingLanguages>;

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
const Row kChapter = {"Capítol %1 de %2", "Capítulo %1 de %2", "%1. kapitulua (%2 guztira)", "Capítulo %1 de %2",
                      "Capítulo %1 de %2", "Chapter %1 of %2", "Chapitre %1 sur %2"};
const Row kPacking = {"S'està muntant el llibre...", "Montando el libro...", "Liburua muntatzen...",
                      "Montando o libro...", "A montar o livro...", "Putting the book together...",
                      "Assemblage du livre..."};
const Row kSaved = {"Llibre desat a %1", "Libro guardado en %1", "Liburua hemen gorde da: %1", "Libro gardado en %1",
                    "Livro guardado em %1", "Book saved to %1", "Livre enregistré dans %1"};
const Row kEmpty = {"El document no té text per llegir.", "El documento no tiene texto que leer.",
                    "Dokumentuak ez du irakurtzeko testurik.", "O documento non ten texto que ler.",
                    "O documento não tem texto para ler.", "The document has no text to read.",
                    "Le document n'a pas de texte à lire."};
const Row kNoBook = {"No s'ha creat el llibre.", "No se ha creado el libro.", "Ez da liburua sortu.",
                     "Non se creou o libro.", "O livro não foi criado.", "No book was made.",
                     "Le livre n'a pas été créé."};
const Row kProgramMissing = {"No s'ha trobat el programa %1: instal·leu el paquet %2.",
                             "No se ha encontrado el programa %1: instale el paquete %2.",
                             "Ez da %1 programa aurkitu: instalatu %2 paketea.",
                             "Non se atopou o programa %1: instale o paquete %2.",
                             "O programa %1 não foi encontrado: instale o pacote %2.",
                             "The program %1 was not found: install the package %2.",
                             "Le programme %1 est introuvable : installez le paquet %2."};
const Row kStopped = {"S'ha aturat el desament del llibre.", "Se ha detenido el guardado del libro.",
                      "Liburuaren gordetzea gelditu da.", "Detívose o gardado do libro.",
                      "A gravação do livro foi interrompida.", "Saving the book was stopped.",
                      "L'enregistrement du livre a été arrêté."};

} // namespace

QString Of(Text text, int language)
{
    const Row *row = &kChapter;
    switch (text) {
    case Text::Chapter: row = &kChapter; break;
    case Text::Packing: row = &kPacking; break;
    case Text::Saved: row = &kSaved; break;
    case Text::Empty: row = &kEmpty; break;
    case Text::NoBook: row = &kNoBook; break;
    case Text::ProgramMissing: row = &kProgramMissing; break;
    case Text::Stopped: row = &kStopped; break;
    }
    return QString::fromUtf8((*row)[LanguageRow(language)]);
}

} // namespace BookTexts
