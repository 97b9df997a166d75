#include "app/Command.h"

void CommandRegistry::Add(Command command)
{
    Q_ASSERT(command.id.isEmpty() || !Find(command.id));
    m_commands.append(std::move(command));
}

const Command *CommandRegistry::Find(const QString &id) const
{
    for (const Command &command : m_commands)
        if (command.id == id)
            return &command;
    return nullptr;
}

const Command *CommandRegistry::FindByName(const QString &name) const
{
    for (const Command &command : m_commands)
        if (command.name == name)
            return &command;
    return nullptr;
}

QList<const Command *> CommandRegistry::InMenu(const QString &menu) const
{
    QList<const Command *> result;
    for (const Command &command : m_commands)
        if (command.menu == menu)
            result.append(&command);
    return result;
}

void RunCommand(const Command &command, CommandContext &context)
{
    if (command.run)
        command.run(context);
}
