#include "tools/JavaCommands.h"

#include "app/Command.h"

void RegisterJavaCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
