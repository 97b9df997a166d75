#include "core/documents/DocumentConversion.h"

#include <QFileInfo>

#include <cstddef>

namespace {

constexpr int kLanguages = 7;
using Row = const char *const[kLanguages];

QString Pick(const char *const *texts, int language)
{
    return QString::fromUtf8(texts[language >= 0 && language < kLanguages ? std::size_t(language) : 0]);
}

} // namespace

QString OriginText(const QString &fileName, int pages, int language)
{
    static Row one = {"%1, 1 pàgina", "%1, 1 página", "%1, orri 1", "%1, 1 páxina", "%1, 1 página", "%1, 1 page",
                      "%1, 1 page"};
    static Row many = {"%1, %2 pàgines", "%1, %2 páginas", "%1, %2 orri", "%1, %2 páxinas", "%1, %2 páginas",
                       "%1, %2 pages", "%1, %2 pages"};
    const QString shown = QFileInfo(fileName).fileName();
    if (pages <= 0)
        return shown;
    return pages == 1 ? Pick(one, language).arg(shown) : Pick(many, language).arg(shown).arg(pages);
}

QString OriginText(const QString &fileName, const ConvertedDocument &document, int language)
{
    static Row one = {"%1, 1 reconeguda", "%1, 1 reconocida", "%1, 1 ezagutua", "%1, 1 recoñecida",
                      "%1, 1 reconhecida", "%1, 1 recognised", "%1, 1 reconnue"};
    static Row many = {"%1, %2 reconegudes", "%1, %2 reconocidas", "%1, %2 ezagutuak", "%1, %2 recoñecidas",
                       "%1, %2 reconhecidas", "%1, %2 recognised", "%1, %2 reconnues"};
    const QString pages = OriginText(fileName, document.pages, language);
    const int recognised = document.recognisedPages;
    if (recognised <= 0 || document.picture)
        return pages;
    return recognised == 1 ? Pick(one, language).arg(pages) : Pick(many, language).arg(pages).arg(recognised);
}

QString ConversionErrorText(const QString &fileName, DocumentProblem problem, const QString &detail, int language)
{
    static Row unreadable = {
        "no s'ha pogut llegir (%2)", "no se ha podido leer (%2)", "ezin izan da irakurri (%2)",
        "non se puido ler (%2)", "não foi possível lê-lo (%2)", "%2", "illisible (%2)",
    };
    static Row password = {
        "el document PDF està protegit amb una contrasenya",
        "el documento PDF está protegido con una contraseña",
        "PDF dokumentua pasahitz batekin babestuta dago",
        "o documento PDF está protexido cun contrasinal",
        "o documento PDF está protegido por uma palavra-passe",
        "the PDF document is protected by a password",
        "le document PDF est protégé par un mot de passe",
    };
    static Row wrongPassword = {
        "la contrasenya no obre el document PDF",
        "la contraseña no abre el documento PDF",
        "pasahitzak ez du PDF dokumentua irekitzen",
        "o contrasinal non abre o documento PDF",
        "a palavra-passe não abre o documento PDF",
        "the password does not open the PDF document",
        "le mot de passe n'ouvre pas le document PDF",
    };
    static Row drm = {
        "el llibre està bloquejat amb DRM (protecció de còpia) i només el lector del venedor el pot obrir",
        "el libro está bloqueado con DRM (protección de copia) y solo el lector del vendedor puede abrirlo",
        "liburua DRM bidez blokeatuta dago (kopia-babesa) eta saltzailearen irakurgailuak soilik ireki dezake",
        "o libro está bloqueado con DRM (protección de copia) e só o lector do vendedor pode abrilo",
        "o livro está bloqueado por DRM (proteção contra cópia) e só o leitor do vendedor o pode abrir",
        "the e-book is locked by DRM (copy protection) and only its seller's reader can open it",
        "le livre est verrouillé par un DRM (protection contre la copie) et seul le lecteur du vendeur peut l'ouvrir",
    };
    static Row notADocument = {
        "és un arxiu ZIP, no un document que aquest programa llegeixi (DOCX, ODT o EPUB)",
        "es un archivo ZIP, no un documento que este programa lea (DOCX, ODT o EPUB)",
        "ZIP artxibo bat da, ez programa honek irakurtzen duen dokumentu bat (DOCX, ODT edo EPUB)",
        "é un arquivo ZIP, non un documento que este programa lea (DOCX, ODT ou EPUB)",
        "é um arquivo ZIP, não um documento que este programa leia (DOCX, ODT ou EPUB)",
        "it is a ZIP archive, not a document this program reads (DOCX, ODT or EPUB)",
        "c'est une archive ZIP, pas un document que ce programme lit (DOCX, ODT ou EPUB)",
    };
    static Row readerMissing = {
        "falta el programa que el llegeix (%2)", "falta el programa que lo lee (%2)",
        "irakurtzen duen programa falta da (%2)", "falta o programa que o le (%2)",
        "falta o programa que o lê (%2)", "%2", "le programme qui le lit manque (%2)",
    };
    static Row mislabeled = {
        "el contingut no és un document %2", "el contenido no es un documento %2", "edukia ez da %2 dokumentu bat",
        "o contido non é un documento %2", "o conteúdo não é um documento %2", "its content is not a %2 document",
        "son contenu n'est pas un document %2",
    };
    static Row plainText = {
        "és un fitxer de text pla", "es un archivo de texto plano", "testu laueko fitxategia da",
        "é un ficheiro de texto plano", "é um ficheiro de texto simples", "it is a plain-text file",
        "c'est un fichier texte brut",
    };
    static Row noText = {
        "aquest document no té text", "este documento no tiene texto", "dokumentu honek ez du testurik",
        "este documento non ten texto", "este documento não tem texto", "no text in this document",
        "ce document ne contient pas de texte",
    };
    static Row scanned = {
        "no s'ha trobat cap text a les pàgines escanejades",
        "no se ha encontrado ningún texto en las páginas escaneadas",
        "ez da testurik aurkitu eskaneatutako orrialdeetan",
        "non se atopou ningún texto nas páxinas escaneadas",
        "não foi encontrado nenhum texto nas páginas digitalizadas",
        "no text was found on its scanned pages",
        "aucun texte n'a été trouvé sur les pages numérisées",
    };
    static Row noTextInPicture = {
        "no s'ha trobat cap text en aquesta imatge", "no se ha encontrado ningún texto en esta imagen",
        "ez da testurik aurkitu irudi honetan", "non se atopou ningún texto nesta imaxe",
        "não foi encontrado nenhum texto nesta imagem", "no text was found in this picture",
        "aucun texte n'a été trouvé dans cette image",
    };
    const char *const *row = unreadable;
    switch (problem) {
    case DocumentProblem::None:
    case DocumentProblem::Unreadable:
        break;
    case DocumentProblem::Password: row = password; break;
    case DocumentProblem::WrongPassword: row = wrongPassword; break;
    case DocumentProblem::Drm: row = drm; break;
    case DocumentProblem::NotADocument: row = notADocument; break;
    case DocumentProblem::ReaderMissing: row = readerMissing; break;
    case DocumentProblem::Mislabeled: row = mislabeled; break;
    case DocumentProblem::PlainText: row = plainText; break;
    case DocumentProblem::NoText: row = noText; break;
    case DocumentProblem::Scanned: row = scanned; break;
    case DocumentProblem::NoTextInPicture: row = noTextInPicture; break;
    }
    const QString reason = Pick(row, language);
    // French puts a blank before the colon.
    const QString separator = language == 6 ? QStringLiteral(" : ") : QStringLiteral(": ");
    // A copied picture has no name to give.
    QString text = fileName.isEmpty() ? reason : QFileInfo(fileName).fileName() + separator + reason;
    return text.contains(QLatin1String("%2")) ? text.replace(QLatin1String("%2"), detail) : text;
}
