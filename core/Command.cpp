#include "core/Command.h"

Command &CommandRegistry::Add(Command command)
{
    Q_ASSERT(command.id.isEmpty() || !Find(command.id));
    m_commands.append(std::move(command));
    return m_commands.last();
}

const Command *CommandRegistry::Find(const QString &id) const
{
    for (const Command &command : m_commands)
        if (command.id == id)
            return &command;
    return nullptr;
}

Command *CommandRegistry::Find(const QString &id)
{
    return const_cast<Command *>(std::as_const(*this).Find(id));
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

CommandMenu::CommandMenu(CommandRegistry &registry, const char *menu, Kind kind)
    : m_registry(registry)
    , m_menu(QString::fromLatin1(menu))
    , m_kind(kind)
{
}

Command &CommandMenu::Add(const CommandItem &item, std::function<void(CommandContext &)> run)
{
    Command command;
    command.id = QString::fromLatin1(item.id);
    command.name = QString::fromLatin1(item.name);
    command.menu = m_menu;
    command.caption = QString::fromUtf8(item.caption);
    command.shortcut = item.shortcut;
    command.separatorBefore = item.separatorBefore;
    command.textCommand = m_kind == Kind::Text;
    command.run = std::move(run);
    return m_registry.Add(std::move(command));
}

Command &CommandMenu::Add(const CommandItem &item, std::function<void()> run)
{
    if (!run)
        return Add(item);
    return Add(item, [run = std::move(run)](CommandContext &) { run(); });
}
