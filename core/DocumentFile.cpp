#include "core/DocumentFile.h"

#include "core/TextEncoding.h"
#include "core/WholeFiles.h"

namespace {

// A text file holds no NUL byte and few control codes besides the blanks and breaks;
// a program, a picture or a database holds many within its first pages.
bool LooksBinary(QByteArrayView bytes)
{
    if (bytes.contains('\0'))
        return true;
    const QByteArrayView head = bytes.first(qMin<qsizetype>(bytes.size(), 64 * 1024));
    qsizetype controls = 0;
    for (const char c : head) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1B)
            ++controls;
    }
    return controls * 20 > head.size();
}

} // namespace

LoadedDocument LoadDocument(const QString &fileName)
{
    LoadedDocument result;
    WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(fileName);
    if (!read.ok) {
        result.error = read.error;
        return result;
    }
    QByteArray bytes = std::move(read.bytes);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        result.format.byteOrderMark = true;
        bytes.remove(0, 3);
    }
    result.binary = LooksBinary(bytes);
    if (!result.binary && !TextEncoding::IsValidUtf8(bytes) && TextEncoding::LooksLikeUtf8WithStrays(bytes)) {
        result.text = TextEncoding::DecodeUtf8KeepingStrays(bytes, &result.strayBytes);
        result.format.strayBytes = true;
    } else {
        result.text = TextEncoding::DecodeAuto(bytes, &result.format.utf8);
    }
    if (result.text.contains(QLatin1Char('\r'))) {
        result.format.crlf = result.text.contains(QLatin1String("\r\n"));
        result.text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        result.text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    }
    result.ok = true;
    return result;
}

SaveOutcome SaveDocument(const QString &fileName, const QString &text, DocumentFormat &format)
{
    SaveOutcome outcome;
    QString out = text;
    if (format.crlf)
        out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QByteArray bytes;
    if (format.utf8) {
        bytes = format.strayBytes ? TextEncoding::EncodeUtf8KeepingStrays(out) : out.toUtf8();
        if (format.byteOrderMark)
            bytes.prepend("\xEF\xBB\xBF");
    } else if (auto encoded = TextEncoding::EncodeWindows1252(out)) {
        bytes = *encoded;
    } else {
        // Never drop a character: such a document goes on as UTF-8.
        bytes = out.toUtf8();
        outcome.switchedToUtf8 = true;
    }
    if (!WholeFiles::WriteFile(fileName, bytes, &outcome.error))
        return outcome;
    if (outcome.switchedToUtf8)
        format.utf8 = true;
    outcome.ok = true;
    return outcome;
}
