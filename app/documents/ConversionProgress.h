#pragma once

#include "app/documents/DocumentCommands.h"

#include <QString>

#include <optional>

class QWidget;

// Opens a document that is not plain text as its text, on a thread of its own. The
// window takes no input meanwhile; past half a second a progress bar with "Cancel-la"
// shows, and cancelling leaves everything as it was. Nothing for a plain-text file.
// quietMs is how long it runs before the progress bar shows; password opens a locked
// document. A scanned page or a picture is read in `recognisers` (Tesseract's codes,
// "cat+spa"), the bar counts its pages, and `status` gets what the status line adds
// after the title (how sure the recogniser was). What it shows and says follows the
// interface language of parent's window. With openEarly, a PDF or a picture of pages
// opens as soon as its first pages give text: the result then carries the rest, which
// the document follows, and the window takes input again.
std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName, int quietMs = 500,
                                                            const QByteArray &password = QByteArray(),
                                                            const QString &recognisers = {}, QString *status = nullptr,
                                                            bool openEarly = false);

// The progress window's texts in an interface language: its title, what it says and its button.
QString ConversionProgressTitle(int language);
QString ConversionProgressLabel(int language, const QString &fileName);
QString ConversionProgressCancel(int language);
