#pragma once

#include "core/AppPaths.h"
#include "book/BookExporter.h"

#include <QString>

#include <functional>
#include <optional>

class DesktopWindows;
class RendererLauncher;

// "export-epub" and "export-m4b": the document as a read-along book or an audiobook
// with chapters, with the options of the other export verbs but the subtitles.

// The book a verb makes; nothing for other verbs.
std::optional<BookFormat> BookVerbFormat(const QString &verb);
QString BookVerbDescription(const QString &verb);
// Saves the book of the request (its text, name, voice and rate), in the voices and
// languages given, and prints its path; a failure's reason goes to standard error with
// status 1.
int RunBookToolVerb(const QString &verb, BookFormat format, const ExportRequest &request, const QString &file,
                    const AppPaths &paths, DesktopWindows &desktop, RendererLauncher &launcher,
                    std::function<QString(const QString &)> dictionary, const BookLanguages &languages);
