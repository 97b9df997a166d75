#pragma once

class CommandRegistry;

// "Performances": appends the speed report to the text.
void RegisterBenchmarkCommand(CommandRegistry &registry);
