#include "tolvanet-tool/SyllablesVerb.h"

#include "core/Syllables.h"
#include "core/ToolCommandLine.h"
#include "core/documents/DocumentConversion.h"
#include "tolvanet-tool/SpellVerb.h"

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
    QString language;
    QString file;
    if (const std::optional<int> status = ParseLanguageAndFile(
            line, QStringLiteral("language of the syllables:ca, es, fr, gl, pt, en"), arguments, &language, &file))
        return *status;
    const SyllableSplitter splitter(language);
    if (!splitter.Usable()) {
        Write(stderr, QStringLiteral("tolvanet-tool syllables: %1\n").arg(splitter.Problem()));
        return kBadUsageStatus;
    }
    QString error;
    const QString text = ReadAnyDocumentText(file, &error);
    if (!error.isEmpty()) {
        Write(stderr, QStringLiteral("tolvanet-tool syllables: %1\n").arg(error));
        return kBadUsageStatus;
    }
    Write(stdout, splitter.Marked(text));
    return 0;
}
