#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

struct ToolOptions;

// The commands that change each character on its own, run on a document a piece at a time
// so that a large document is never held in more than its own bytes: what comes out is
// exactly what the whole-document run writes.

// Appends the conversion of a piece of text to out.
using PieceConversion = void (*)(QStringView piece, QString &out);

// The piece conversion of a command id, or nothing when the command needs the whole document.
PieceConversion StreamedConversionOf(const QString &commandId);

// Decodes a document's bytes as the editor does (UTF-8 when they are valid UTF-8, else
// Windows-1252; CR LF and lone CRs become line breaks), converts it and hands the UTF-8
// result to write, pieceBytes bytes of the document at a time.
void StreamConversion(QByteArrayView bytes, PieceConversion convert,
                      const std::function<void(QByteArrayView)> &write, qsizetype pieceBytes);

// Runs such a command on the document of the options and writes it to standard output;
// nothing when the command, or an option that places the caret, needs the whole-document run.
std::optional<int> RunStreamedCommand(const ToolOptions &options);
