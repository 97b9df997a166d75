#pragma once

#include "app/EditorText.h"
#include "app/SessionState.h"
#include "app/UserQuestions.h"

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
    bool separatorBefore = false;
    // False for commands that need the window (dialogs, printing); tolvanet-tool skips them.
    bool textCommand = true;
};

// Every command, in registration order, which is also the order of the items in each menu.
class CommandRegistry
{
public:
    void Add(Command command);
    const Command *Find(const QString &id) const;
    const Command *FindByName(const QString &name) const;
    const QList<Command> &All() const { return m_commands; }
    QList<const Command *> InMenu(const QString &menu) const;

private:
    QList<Command> m_commands;
};

// Runs a text command on a document: the edit it makes is one undoable step.
void RunCommand(const Command &command, CommandContext &context);
