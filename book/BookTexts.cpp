#include "book/BookTexts.h"

#include "core/LanguageTexts.h"

#include <array>

namespace BookTexts {

namespace {

using Row = LanguageTexts;

// Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
constexpr Row kChapter = {"Capítol %1 de %2", "Capítulo %1 de %2", "%1. kapitulua (%2 guztira)", "Capítulo %1 de %2",
                      "Capítulo %1 de %2", "Chapter %1 of %2", "Chapitre %1 sur %2"};
constexpr Row kPacking = {"S'està muntant el llibre...", "Montando el libro...", "Liburua muntatzen...",
                      "Montando o libro...", "A montar o livro...", "Putting the book together...",
                      "Assemblage du livre..."};
constexpr Row kSaved = {"Llibre desat a %1", "Libro guardado en %1", "Liburua hemen gorde da: %1", "Libro gardado en %1",
                    "Livro guardado em %1", "Book saved to %1", "Livre enregistré dans %1"};
constexpr Row kEmpty = {"El document no té text per llegir.", "El documento no tiene texto que leer.",
                    "Dokumentuak ez du irakurtzeko testurik.", "O documento non ten texto que ler.",
                    "O documento não tem texto para ler.", "The document has no text to read.",
                    "Le document n'a pas de texte à lire."};
constexpr Row kNoBook = {"No s'ha creat el llibre.", "No se ha creado el libro.", "Ez da liburua sortu.",
                     "Non se creou o libro.", "O livro não foi criado.", "No book was made.",
                     "Le livre n'a pas été créé."};
constexpr Row kProgramMissing = {"No s'ha trobat el programa %1: instal·leu el paquet %2.",
                             "No se ha encontrado el programa %1: instale el paquete %2.",
                             "Ez da %1 programa aurkitu: instalatu %2 paketea.",
                             "Non se atopou o programa %1: instale o paquete %2.",
                             "O programa %1 não foi encontrado: instale o pacote %2.",
                             "The program %1 was not found: install the package %2.",
                             "Le programme %1 est introuvable : installez le paquet %2."};
constexpr Row kStopped = {"S'ha aturat el desament del llibre.", "Se ha detenido el guardado del libro.",
                      "Liburuaren gordetzea gelditu da.", "Detívose o gardado do libro.",
                      "A gravação do livro foi interrompida.", "Saving the book was stopped.",
                      "L'enregistrement du livre a été arrêté."};

constexpr Row kBadName = {"El nom del fitxer no és vàlid: no pot ser buit ni contenir «/», «..» o caràcters de control.",
                      "El nombre del archivo no es válido: no puede estar vacío ni contener «/», «..» o caracteres de control.",
                      "Fitxategiaren izenak ez du balio: ezin da hutsik egon, ez eta «/», «..» edo kontrol-karaktereak izan.",
                      "O nome do ficheiro non é válido: non pode estar baleiro nin conter «/», «..» ou caracteres de control.",
                      "O nome do ficheiro não é válido: não pode estar vazio nem conter «/», «..» ou caracteres de controlo.",
                      "The file name is not valid: it cannot be empty or hold \"/\", \"..\" or control characters.",
                      "Le nom du fichier n'est pas valide : il ne peut être vide ni contenir « / », « .. » ou des caractères de contrôle."};
constexpr Row kBusy = {"Ja s'està desant un llibre.", "Ya se está guardando un libro.", "Liburu bat gordetzen ari da dagoeneko.",
                   "Xa se está gardando un libro.", "Já se está a guardar um livro.", "A book is already being saved.",
                   "Un livre est déjà en cours d'enregistrement."};
constexpr Row kProgramFailed = {"El programa %1 ha fallat (%2).", "El programa %1 ha fallado (%2).", "%1 programak huts egin du (%2).",
                            "O programa %1 fallou (%2).", "O programa %1 falhou (%2).", "The program %1 failed (%2).",
                            "Le programme %1 a échoué (%2)."};
constexpr Row kProgramHung = {"El programa %1 no ha acabat i s'ha aturat.", "El programa %1 no ha terminado y se ha detenido.",
                          "%1 programa ez da amaitu eta gelditu egin da.", "O programa %1 non rematou e detívose.",
                          "O programa %1 não terminou e foi parado.", "The program %1 did not finish and was stopped.",
                          "Le programme %1 n'a pas terminé et a été arrêté."};
constexpr Row kNoWordTimes = {"El programa de síntesi no ha donat el temps de les frases.",
                          "El programa de síntesis no ha dado el tiempo de las frases.",
                          "Sintesi-programak ez du esaldien denbora eman.",
                          "O programa de síntese non deu o tempo das frases.",
                          "O programa de síntese não deu o tempo das frases.",
                          "The speech program gave no times for the sentences.",
                          "Le programme de synthèse n'a pas donné le temps des phrases."};
constexpr Row kChapterFailed = {"No s'ha pogut gravar el capítol %1: %2", "No se ha podido grabar el capítulo %1: %2",
                            "Ezin izan da %1. kapitulua grabatu: %2", "Non se puido gravar o capítulo %1: %2",
                            "Não foi possível gravar o capítulo %1: %2", "Chapter %1 could not be recorded: %2",
                            "Le chapitre %1 n'a pas pu être enregistré : %2"};

} // namespace

QString Of(Text text, int language)
{
    // In the order of Text.
    static constexpr std::array<const Row *, std::size_t(Text::ChapterFailed) + 1> kRows = {
        &kChapter, &kPacking, &kSaved, &kEmpty, &kNoBook, &kProgramMissing, &kStopped,
        &kBadName, &kBusy, &kProgramFailed, &kProgramHung, &kNoWordTimes, &kChapterFailed};
    return TextIn(*kRows[std::size_t(text)], language);
}

} // namespace BookTexts
