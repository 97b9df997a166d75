#include "app/ReaderCommands.h"

#include "app/EditorWidget.h"
#include "app/MainWindow.h"
#include "app/ReadingPlace.h"
#include "app/KeptPlaces.h"
#include "core/Command.h"
#include "windows/InterfaceLanguages.h"

#include <QTextDocument>

#include <memory>

void AddReaderCommands(CommandMenu &options)
{
    using namespace ReaderCommandId;
    options.Add({kReadFromCaret, "MenuLlegirDesDelCursor", "Llegir des del &cursor"});
    options.Add({kPauseOrGoOn, "MenuPausaIContinua", "Pa&usa i continua"});
    options.Add({kNextSentence, "MenuFraseSeguent", "Frase següe&nt"});
    options.Add({kPreviousSentence, "MenuFraseAnterior", "Frase &anterior"});
}

namespace
{
void KeepPlaces(FormPrincipal &window, ReadingPlace &place, const QString &settingsFile)
{
    auto kept = std::make_shared<KeptPlaces>(KeptPlaces::FileBeside(settingsFile));
    QObject::connect(&place, &ReadingPlace::readingStopped, &window, [&window, kept](int position) {
        kept->Keep(window.CurrentFileName(), position);
    });
    window.Documents().SetOpened([&window, &place, kept](const QString &name) {
        const std::optional<int> position = kept->PlaceOf(name);
        // A place past the end belongs to another version of the file: the top is safer.
        if (!position || *position <= 0 || *position > window.Edit()->document()->characterCount() - 1)
            return;
        place.MoveCaretTo(*position);
        window.ShowStatus(KeptPlaces::RestoredMessage(window.property(kInterfaceLanguageProperty).toInt()));
    });
}
} // namespace

void ConnectReaderCommands(FormPrincipal &window, ReadingPlace &place, const QString &settingsFile)
{
    KeepPlaces(window, place, settingsFile);
    place.ConnectKeys();
    // Each runs once the menu has closed and the editor has the focus again.
    const auto connect = [&window, &place](const char *id, void (ReadingPlace::*command)()) {
        window.SetCommandHandler(QString::fromLatin1(id), [&window, &place, command] {
            QMetaObject::invokeMethod(&place, [&window, &place, command] {
                window.Edit()->setFocus();
                (place.*command)();
            }, Qt::QueuedConnection);
        });
    };
    using namespace ReaderCommandId;
    connect(kReadFromCaret, &ReadingPlace::ReadFromCaret);
    connect(kPauseOrGoOn, &ReadingPlace::PauseOrGoOn);
    connect(kNextSentence, &ReadingPlace::NextSentence);
    connect(kPreviousSentence, &ReadingPlace::PreviousSentence);
}
