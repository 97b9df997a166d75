#include "tolvanet-tool/BookToolVerbs.h"

#include "export/AudioExportProtocol.h"

#include <QFileInfo>

#include <cstdio>

namespace {

// The row of English in the language list: the command line speaks English.
constexpr int kEnglish = 5;

} // namespace

std::optional<BookFormat> BookVerbFormat(const QString &verb)
{
    if (verb == QLatin1String("export-epub"))
        return BookFormat::Epub;
    if (verb == QLatin1String("export-m4b"))
        return BookFormat::M4b;
    return std::nullopt;
}

QString BookVerbDescription(const QString &verb)
{
    if (verb == QLatin1String("export-m4b"))
        return QStringLiteral(
            "Saves the document as an audiobook NAME.m4b (AAC in MP4, made by ffmpeg) in the records\n"
            "folder, a chapter per heading, and prints its path. The voice and rate are the editor's\n"
            "unless given; the name is the document's.");
    return QStringLiteral(
        "Saves the document as a read-along book NAME.epub (EPUB 3) in the records folder and prints\n"
        "its path: the text a chapter per heading, each chapter's recording as MP3, and the timing\n"
        "that lets a reader light up each sentence as it is heard. The voice and rate are the\n"
        "editor's unless given; the name is the document's.");
}

int RunBookToolVerb(const QString &verb, BookFormat format, const ExportRequest &request, const QString &file,
                    const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                    std::function<QString(const QString &)> dictionary, const BookLanguages &languages)
{
    BookRequest book;
    book.audio = request;
    book.languages = languages;
    book.audio.language = kEnglish;
    book.format = format;
    book.fallbackTitle = file.isEmpty() ? request.name : QFileInfo(file).completeBaseName();
    BookExporter exporter(paths, desktop, launcher);
    exporter.SetDictionary(std::move(dictionary));
    const ExportResult result = exporter.Export(book);
    if (!result.notice.isEmpty() && !result.notice.startsWith(AudioExporter::SubstitutionFor(request)))
        std::fprintf(stderr, "%s\n", qPrintable(result.notice));
    if (!result.ok) {
        std::fprintf(stderr, "tolvanet-tool %s: %s\n", qPrintable(verb), qPrintable(result.reason));
        return 1;
    }
    std::printf("%s\n", qPrintable(result.file));
    std::fflush(stdout);
    return 0;
}
