#include "app/shell/RecoveryOffer.h"

#include "app/documents/DocumentCommands.h"
#include "app/documents/RecoveryCopy.h"
#include "app/window/MainWindow.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include <array>

namespace {

// In the order of the interface languages: Català, Castellano, Euskara, Galego, Português,
// English, Français. %1 is the document's name and the time of the copy.
constexpr std::array<const char *, 7> kQuestion = {
    "Hi ha una còpia d'un text que no es va guardar (%1). Voleu recuperar-la?",
    "Hay una copia de un texto que no se guardó (%1). ¿Quiere recuperarla?",
    "Gorde ez zen testu baten kopia bat dago (%1). Berreskuratu nahi duzu?",
    "Hai unha copia dun texto que non se gardou (%1). Quere recuperala?",
    "Há uma cópia de um texto que não foi guardado (%1). Quer recuperá-la?",
    "There is a copy of a text that was not saved (%1). Do you want to recover it?",
    "Il existe une copie d'un texte qui n'a pas été enregistré (%1). Voulez-vous la récupérer ?",
};

} // namespace

void OfferRecoveredDocument(FormPrincipal &main, const QString &folder, int language)
{
    const QList<RecoveryCopy::Found> copies = RecoveryCopy::Left(folder);
    if (copies.isEmpty())
        return;
    const RecoveryCopy::Found &copy = copies.constLast();
    const QString when = QLocale::system().toString(QFileInfo(copy.path).lastModified(), QLocale::ShortFormat);
    const QString what = copy.fileName.isEmpty() ? when : QFileInfo(copy.fileName).fileName() + QStringLiteral(", ") + when;
    const int row = language >= 0 && language < int(kQuestion.size()) ? language : 0;
    const QString question = QString::fromUtf8(kQuestion[std::size_t(row)]).arg(what);
    if (main.Questions().AskYesNoCancel(question) != SaveAnswer::Yes)
        return;

    // The text goes back into the document it was made of, or into a new one.
    DocumentCommands &documents = main.Documents();
    if (!copy.fileName.isEmpty() && QFileInfo(copy.fileName).isFile())
        documents.LoadCommandLineFile(copy.fileName);
    else
        documents.New();
    if (main.Document().Modified())
        return; // the document in the editor was not given up: the copy waits for the next start
    main.Document().SetText(copy.text);
    main.Document().SetModified(true);
    RecoveryCopy::Discard(copy.path);
}
