#include "app/window/TextCommands.h"

#include "app/benchmark/BenchmarkCommand.h"
#include "core/Command.h"
#include "maths/MathsCommands.h"
#include "tools/BlackboardCommands.h"
#include "tools/HtmlCommands.h"
#include "tools/JavaCommands.h"
#include "tools/MusicCommands.h"

void RegisterTextCommands(CommandRegistry &registry)
{
    // Within a menu, items stand in registration order.
    RegisterHtmlCommands(registry);
    RegisterSymbolCommands(registry);
    RegisterMathsCommands(registry);
    RegisterMusicCommands(registry);
    RegisterJavaCommands(registry);
    RegisterBlackboardCommands(registry);
    RegisterBenchmarkCommand(registry);
}
