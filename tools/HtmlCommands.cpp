#include "tools/HtmlCommands.h"

#include "app/Command.h"

void RegisterHtmlCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}

void RegisterSymbolCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
