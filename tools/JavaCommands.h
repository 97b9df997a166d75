#pragma once

class CommandRegistry;

// The commands of the "Java" menu.
void RegisterJavaCommands(CommandRegistry &registry);
