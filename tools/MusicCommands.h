#pragma once

class CommandRegistry;

// The commands of "Passar a Midi XMF".
void RegisterMusicCommands(CommandRegistry &registry);
