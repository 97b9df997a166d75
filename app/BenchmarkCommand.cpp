#include "app/BenchmarkCommand.h"

#include "app/Command.h"

void RegisterBenchmarkCommand(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
