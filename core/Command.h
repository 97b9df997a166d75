#pragma once

#include "core/EditorText.h"
#include "core/SessionState.h"
#include "core/UserQuestions.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

// What a running command may tell the window beyond the text.
class CommandHost
{
public:
    virtual ~CommandHost() = default;
    // A progress text shown in the window caption; an empty text restores the caption.
    virtual void ShowProgress(const QString &text) { Q_UNUSED(text); }
    // The busy pointer while a long command runs.
    virtual void SetBusy(bool busy) { Q_UNUSED(busy); }
};

struct CommandContext
{
    EditorText &editor;
    UserQuestions &ask;
    SessionState &session;
    CommandHost &host;
};

// One command of the editor: the same id reaches it from its menu item, its
// shortcut and tolvanet-tool.
struct Command
{
    QString id;          // stable id, e.g. "calc"
    QString name;        // the design's control name, e.g. "MenuCalcular"
    QString menu;        // the design's name of the menu that holds it, e.g. "MenuMatematiques"
    QString caption;     // "Calcular"
    QKeySequence shortcut;
    std::function<void(CommandContext &)> run;
    // For check items: the state the check mark shows. Running the command toggles it.
    std::function<bool(const SessionState &)> checked;
    // A check item whose mark the handler bound to its item keeps, not the session.
    bool checkable = false;
    bool separatorBefore = false;
    // False for commands that need the window (dialogs, printing); tolvanet-tool skips them.
    bool textCommand = true;
};

// Every command, in registration order, which is also the order of the items in each menu.
class CommandRegistry
{
public:
    Command &Add(Command command);
    const Command *Find(const QString &id) const;
    Command *Find(const QString &id);
    const Command *FindByName(const QString &name) const;
    const QList<Command> &All() const { return m_commands; }
    QList<const Command *> InMenu(const QString &menu) const;

private:
    QList<Command> m_commands;
};

// A command's id, design name, caption and shortcut as a registration table lists them.
struct CommandItem
{
    const char *id;
    const char *name;
    const char *caption; // UTF-8
    QKeySequence shortcut = {};
    bool separatorBefore = false;
};

// The one way commands are registered: the items of one menu, in menu order.
class CommandMenu
{
public:
    // menu is the design's name of the menu, empty for an item of the menu bar itself;
    // window commands (dialogs, printing) are not text commands.
    enum class Kind { Text, Window };
    CommandMenu(CommandRegistry &registry, const char *menu, Kind kind = Kind::Text);

    // Registers the item and gives it for further fields (check state); the reference
    // holds until the next registration.
    Command &Add(const CommandItem &item, std::function<void(CommandContext &)> run);
    // A window command that needs nothing of the context.
    Command &Add(const CommandItem &item, std::function<void()> run);
    // A window command whose handler is given later.
    Command &Add(const CommandItem &item) { return Add(item, std::function<void(CommandContext &)>()); }

private:
    CommandRegistry &m_registry;
    QString m_menu;
    Kind m_kind;
};

// Runs a text command on a document: the edit it makes is one undoable step.
void RunCommand(const Command &command, CommandContext &context);
