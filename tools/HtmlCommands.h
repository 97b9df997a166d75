#pragma once

class CommandRegistry;

// The commands of the "&HTML" menu.
void RegisterHtmlCommands(CommandRegistry &registry);
// The commands of the "Símbols" menu.
void RegisterSymbolCommands(CommandRegistry &registry);
