#pragma once

class CommandRegistry;

// "Calcular", "Sistema" and "Mostrar passes de les matemàtiques".
void RegisterMathsCommands(CommandRegistry &registry);
