#pragma once

#include "core/ToolCommandLine.h"

#include <QString>
#include <QStringList>

#include <optional>

class CommandRegistry;

// The options of one run of a text command on a document.
struct ToolOptions
{
    QString command;
    std::optional<int> line;
    std::optional<std::pair<int, int>> selection;
    std::optional<QString> name;
    std::optional<QString> menu;
    bool steps = true;
    qint64 iterations = 0;
    QString file;             // empty: standard input
};

struct ToolOutcome
{
    int exitStatus = 0;
    QString output;           // the whole resulting document
    QString errors;           // message boxes and errors, one a line
};

// Parses the arguments after the command id. Run fills options; otherwise text holds the
// help, the version or the problem (naming the verb and the wrong argument).
ToolParse ParseToolOptions(const QString &verb, const QStringList &arguments, ToolOptions *options, QString *text);
// The same for any command: a message in error when the arguments are wrong or ask for help.
std::optional<ToolOptions> ParseToolOptions(const QStringList &arguments, QString *error);
// Runs a text command on a document text exactly as the menu command runs.
ToolOutcome RunTextCommand(const CommandRegistry &registry, const ToolOptions &options,
                           const QString &document);
