#pragma once

class CommandRegistry;

// The text commands of the maths and authoring tools and the benchmark, which the
// window and tolvanet-tool share.
void RegisterTextCommands(CommandRegistry &registry);
