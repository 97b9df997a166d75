#include "maths/MathsCommands.h"

#include "app/Command.h"

void RegisterMathsCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
