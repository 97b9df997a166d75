#include "core/ToolCommandLine.h"

#include "core/DocumentFile.h"
#include "core/TextEncoding.h"
#include "core/Version.h"
#include "core/WholeFiles.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>

QString ToolVersionText()
{
    return QStringLiteral("tolvanet-tool %1\n").arg(QStringLiteral(TOLVANET_VERSION));
}

ToolParse ParseToolVerb(QCommandLineParser &parser, const ToolVerbLine &line, const QStringList &arguments,
                        QString *text)
{
    const QString program = QStringLiteral("tolvanet-tool %1").arg(line.verb);
    parser.setApplicationDescription(line.description);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Describes this command and its options."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Prints the version."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOptions(line.options);
    if (!line.positionalName.isEmpty())
        parser.addPositionalArgument(line.positionalName, line.positionalHelp,
                                     line.manyPositionals ? line.positionalName
                                                          : QLatin1Char('[') + line.positionalName + QLatin1Char(']'));

    const auto badUsage = [&](const QString &problem) {
        *text = QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(program, problem);
        return ToolParse::BadUsage;
    };
    // The program's name first, as the parser expects; the verb is part of it.
    if (!parser.parse(QStringList{program} + arguments))
        return badUsage(parser.errorText());
    if (parser.isSet(help)) {
        // The parser names the running program; the usage line names the verb too.
        static const QRegularExpression usage(QStringLiteral("^Usage: \\S+"));
        *text = parser.helpText().replace(usage, QStringLiteral("Usage: ") + program);
        return ToolParse::Answered;
    }
    if (parser.isSet(version)) {
        *text = ToolVersionText();
        return ToolParse::Answered;
    }
    const QStringList positionals = parser.positionalArguments();
    if (line.positionalName.isEmpty() && !positionals.isEmpty())
        return badUsage(QStringLiteral("unexpected argument '%1'").arg(positionals.first()));
    if (!line.manyPositionals && positionals.size() > 1)
        return badUsage(QStringLiteral("unexpected argument '%1': only one %2 can be given")
                            .arg(positionals.at(1), line.positionalName));
    return ToolParse::Run;
}

int AnswerToolParse(ToolParse parsed, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), parsed == ToolParse::Answered ? stdout : stderr);
    return parsed == ToolParse::Answered ? 0 : kBadUsageStatus;
}

std::optional<int> ParseToolVerbOrAnswer(QCommandLineParser &parser, const ToolVerbLine &line,
                                         const QStringList &arguments)
{
    QString text;
    const ToolParse parsed = ParseToolVerb(parser, line, arguments, &text);
    if (parsed == ToolParse::Run)
        return std::nullopt;
    return AnswerToolParse(parsed, text);
}

QString ReadToolDocument(const QString &file, QString *error)
{
    if (!file.isEmpty()) {
        const LoadedDocument loaded = LoadDocument(file);
        if (!loaded.ok)
            *error = loaded.error;
        return loaded.text;
    }
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read standard input");
        return {};
    }
    const WholeFiles::ReadResult read = WholeFiles::ReadDevice(input, QStringLiteral("standard input"));
    if (!read.ok) {
        *error = read.error;
        return {};
    }
    QString text = TextEncoding::DecodeAuto(read.bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
