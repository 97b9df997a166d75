#include "tools/BlackboardCommands.h"

#include "app/Command.h"

void RegisterBlackboardCommands(CommandRegistry &registry)
{
    Q_UNUSED(registry);
}
