#pragma once

#include "app/DocumentCommands.h"

#include <QString>

#include <optional>

class QWidget;

// Opens a document that is not plain text as its text, on a thread of its own. The
// window takes no input meanwhile; past half a second a progress bar with "Cancel-la"
// shows, and cancelling leaves everything as it was. Nothing for a plain-text file.
// A scanned page or a picture is read in `recognisers` (Tesseract's codes, "cat+spa"), and
// the bar counts its pages, and `status` gets what the status line adds after the title
// (how sure the recogniser was). quietMs is how long it runs before the progress bar shows.
std::optional<DocumentConversionResult> ConvertWithProgress(QWidget *parent, const QString &fileName,
                                                            const QString &recognisers = {}, int quietMs = 500,
                                                            QString *status = nullptr);
