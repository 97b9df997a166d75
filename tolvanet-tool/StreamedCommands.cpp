#include "tolvanet-tool/StreamedCommands.h"

#include "core/TextEncoding.h"
#include "core/WholeFiles.h"
#include "tolvanet-tool/ToolRun.h"
#include "tools/AccentConversions.h"

#include <QFile>

#include <cstdio>

namespace {

// Small enough to stay in the processor's cache, large enough to make the calls cheap.
constexpr qsizetype kPieceBytes = 64 * 1024;

void PrintError(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

bool IsUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Decoding a whole text drops one byte order mark at its start and keeps any other, so a
// piece after the first keeps the marks it starts with.
QString DecodeUtf8Piece(QByteArrayView piece, bool first)
{
    constexpr QByteArrayView kByteOrderMark("\xEF\xBB\xBF");
    QString text;
    if (!first) {
        while (piece.startsWith(kByteOrderMark)) {
            text += QChar(0xFEFF);
            piece = piece.sliced(kByteOrderMark.size());
        }
    }
    text += QString::fromUtf8(piece);
    return text;
}

} // namespace

PieceConversion StreamedConversionOf(const QString &commandId)
{
    if (commandId == QLatin1String("accents-to-html"))
        return AppendAccentsToHtml;
    if (commandId == QLatin1String("accents-to-unicode"))
        return AppendAccentsToUnicode;
    return nullptr;
}

void StreamConversion(QByteArrayView bytes, PieceConversion convert,
                      const std::function<void(QByteArrayView)> &write, qsizetype pieceBytes)
{
    const bool utf8 = TextEncoding::IsValidUtf8(bytes);
    pieceBytes = std::max<qsizetype>(pieceBytes, 4);
    QString text;
    QString converted;
    bool heldBackReturn = false;
    qsizetype at = 0;
    while (at < bytes.size()) {
        qsizetype end = std::min(at + pieceBytes, bytes.size());
        // A piece of valid UTF-8 ends on a whole character.
        if (utf8)
            while (end < bytes.size() && end > at + 1 && IsUtf8Continuation(bytes[end]))
                --end;
        const QByteArrayView piece = bytes.sliced(at, end - at);
        text = utf8 ? DecodeUtf8Piece(piece, at == 0) : TextEncoding::DecodeWindows1252(piece);
        if (heldBackReturn)
            text.prepend(QLatin1Char('\r'));
        // A CR at the end of a piece may be the first half of a CR LF.
        heldBackReturn = end < bytes.size() && text.endsWith(QLatin1Char('\r'));
        if (heldBackReturn)
            text.chop(1);
        if (text.contains(QLatin1Char('\r'))) {
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        }
        converted.resize(0);
        convert(text, converted);
        write(converted.toUtf8());
        at = end;
    }
}

std::optional<int> RunStreamedCommand(const ToolOptions &options)
{
    const PieceConversion convert = StreamedConversionOf(options.command);
    if (!convert || options.line || options.selection)
        return std::nullopt;

    WholeFiles::ReadResult read;
    if (options.file.isEmpty()) {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            PrintError(QStringLiteral("tolvanet-tool %1: cannot read standard input\n").arg(options.command));
            return 1;
        }
        read = WholeFiles::ReadDevice(input, QStringLiteral("standard input"));
    } else {
        read = WholeFiles::ReadRegularFile(options.file);
    }
    if (!read.ok) {
        // Named as the whole-document run names it.
        PrintError(QStringLiteral("tolvanet-tool %1: %2\n").arg(options.command, read.error));
        return 1;
    }
    QByteArrayView bytes = read.bytes;
    // A document file's byte order mark is not part of its text; standard input keeps it.
    if (!options.file.isEmpty() && bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    StreamConversion(bytes, convert, [](QByteArrayView piece) {
        std::fwrite(piece.data(), 1, size_t(piece.size()), stdout);
    }, kPieceBytes);
    return 0;
}
