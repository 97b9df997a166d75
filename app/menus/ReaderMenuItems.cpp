#include "app/menus/ReaderMenuItems.h"

#include "core/Command.h"

void AddReaderCommands(CommandMenu &options)
{
    using namespace ReaderCommandId;
    options.Add({kReadFromCaret, "MenuLlegirDesDelCursor", "Llegir des del &cursor"});
    options.Add({kPauseOrGoOn, "MenuPausaIContinua", "Pa&usa i continua"});
    options.Add({kNextSentence, "MenuFraseSeguent", "Frase següe&nt"});
    options.Add({kPreviousSentence, "MenuFraseAnterior", "Frase &anterior"});
    options.Add({kFaster, "MenuMesRapid", "Més ràpi&d"});
    options.Add({kSlower, "MenuMesLent", "Més len&t"});
}
