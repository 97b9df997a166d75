#include "app/DocumentFile.h"

#include "app/TextEncoding.h"

#include <QFile>
#include <QSaveFile>

LoadedDocument LoadDocument(const QString &fileName)
{
    LoadedDocument result;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return result;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return result;
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        result.format.byteOrderMark = true;
        bytes.remove(0, 3);
    }
    result.text = TextEncoding::DecodeAuto(bytes, &result.format.utf8);
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
        bytes = out.toUtf8();
        if (format.byteOrderMark)
            bytes.prepend("\xEF\xBB\xBF");
    } else if (auto encoded = TextEncoding::EncodeWindows1252(out)) {
        bytes = *encoded;
    } else {
        // Never drop a character: such a document goes on as UTF-8.
        bytes = out.toUtf8();
        outcome.switchedToUtf8 = true;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        outcome.error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return outcome;
    }
    if (outcome.switchedToUtf8)
        format.utf8 = true;
    outcome.ok = true;
    return outcome;
}
