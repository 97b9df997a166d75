#include "tolvanet-tool/SyllablesVerb.h"

#include "core/Syllables.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "tolvanet-tool/SpellVerb.h"

#include <QCommandLineParser>

#include <cstdio>

namespace
{
void Write(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}
} // namespace

int RunSyllablesVerb(const QStringList &arguments)
{
    ToolVerbLine line;
    line.verb = QStringLiteral("syllables");
    line.description = QStringLiteral("Prints the text of a document with the syllables of each word parted by \"-\".");
    line.options << QCommandLineOption(QStringLiteral("language"),
                                       QStringLiteral("The language of the syllables (ca, es, fr, gl, pt, en); "
                                                      "the session's by default, Catalan without one."),
                                       QStringLiteral("LANG"));
    line.positionalName = QStringLiteral("FILE");
    line.positionalHelp = QStringLiteral("the document");
    QCommandLineParser parser;
    if (const std::optional<int> status = ParseToolVerbOrAnswer(parser, line, arguments))
        return *status;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1) {
        Write(stderr, QStringLiteral("tolvanet-tool syllables: one FILE is needed\nTry 'tolvanet-tool syllables --help'.\n"));
        return kBadUsageStatus;
    }
    const QString language = parser.isSet(QStringLiteral("language")) ? parser.value(QStringLiteral("language"))
                                                                      : DefaultLanguage();
    const SyllableSplitter splitter(language);
    if (!splitter.Usable()) {
        Write(stderr, QStringLiteral("tolvanet-tool syllables: %1\n").arg(splitter.Problem()));
        return kBadUsageStatus;
    }
    QString error;
    const QString text = ReadAnyDocumentText(files.first(), &error);
    if (!error.isEmpty()) {
        Write(stderr, QStringLiteral("tolvanet-tool syllables: %1\n").arg(error));
        return kBadUsageStatus;
    }
    Write(stdout, splitter.Marked(text));
    return 0;
}
