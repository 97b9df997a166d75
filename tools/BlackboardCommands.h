#pragma once

class CommandRegistry;

// The commands of "Pissarra a HTML5".
void RegisterBlackboardCommands(CommandRegistry &registry);
