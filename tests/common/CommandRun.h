#pragma once

#include "core/Command.h"
#include "core/EditorText.h"
#include "core/SessionState.h"
#include "tests/fakes/ScriptedQuestions.h"

#include <QList>
#include <QStringList>

// Remembers the captions and the busy pointer a command shows.
class RecordingHost : public CommandHost
{
public:
    void ShowProgress(const QString &text) override { captions << text; }
    void SetBusy(bool busy) override { busyChanges << busy; }

    QStringList captions;
    QList<bool> busyChanges;
};

// A document in memory with answers given in advance, and the commands one area
// registers, run by id as the window and tolvanet-tool run them.
struct CommandRun
{
    template <typename Register>
    explicit CommandRun(Register registerCommands, const QString &text = QString())
        : editor(text)
    {
        registerCommands(registry);
    }

    // False when no command has that id.
    bool Run(const QString &id)
    {
        const Command *command = registry.Find(id);
        if (!command)
            return false;
        CommandContext context{editor, ask, session, host};
        RunCommand(*command, context);
        return true;
    }

    CommandRegistry registry;
    PlainEditorText editor;
    ScriptedQuestions ask;
    SessionState session;
    RecordingHost host;
};
