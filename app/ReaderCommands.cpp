#include "app/ReaderCommands.h"

#include "app/EditorWidget.h"
#include "app/MainWindow.h"
#include "app/ReadingPlace.h"
#include "core/Command.h"

void AddReaderCommands(CommandMenu &options)
{
    using namespace ReaderCommandId;
    options.Add({kReadFromCaret, "MenuLlegirDesDelCursor", "Llegir des del &cursor"});
    options.Add({kPauseOrGoOn, "MenuPausaIContinua", "Pa&usa i continua"});
    options.Add({kNextSentence, "MenuFraseSeguent", "Frase següe&nt"});
    options.Add({kPreviousSentence, "MenuFraseAnterior", "Frase &anterior"});
}

void ConnectReaderCommands(FormPrincipal &window, ReadingPlace &place)
{
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
