#include "tools/MusicCommands.h"

#include "app/Command.h"

void RegisterMusicCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
