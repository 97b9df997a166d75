#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <optional>

class QCommandLineParser;

// One verb of tolvanet-tool as its --help describes it.
struct ToolVerbLine
{
    QString verb;
    QString description;             // what the verb does, for --help
    QList<QCommandLineOption> options;
    QString positionalName;          // "FILE", "TEXT..."; empty when none is taken
    QString positionalHelp;
    bool manyPositionals = false;    // else at most one
};

enum class ToolParse
{
    Run,      // the arguments are good: read them from the parser
    Answered, // --help or --version: the text goes to standard output, status 0
    BadUsage, // the text names the verb and the wrong argument: standard error, status 2
};

// Every verb's arguments are read the same way, with --help and --version.
ToolParse ParseToolVerb(QCommandLineParser &parser, const ToolVerbLine &line, const QStringList &arguments,
                        QString *text);

// The same, printing the help or version (standard output) or the problem (standard
// error): the exit status when the verb must not run, nothing when it may.
std::optional<int> ParseToolVerbOrAnswer(QCommandLineParser &parser, const ToolVerbLine &line,
                                         const QStringList &arguments);
// Prints what a parse answered: the exit status for Answered and BadUsage.
int AnswerToolParse(ToolParse parsed, const QString &text);

// The document of a verb: FILE, or standard input when empty, read as the editor reads
// it, with "\n" line breaks. On failure error holds why.
QString ReadToolDocument(const QString &file, QString *error);

// "tolvanet-tool 26": what --version prints.
QString ToolVersionText();

// The status of bad usage, as command-line programs give it.
constexpr int kBadUsageStatus = 2;
