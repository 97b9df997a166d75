#include "speech/SpeakPreparation.h"

#include "core/TextEncoding.h"
#include "speech/ExceptionsDictionary.h"

namespace SpeakPreparation {

SoundFile SoundFileKind(const QString &text)
{
    QString tail = text.right(4);
    for (QChar &c : tail) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - ('a' - 'A'));
    }
    if (tail == QLatin1String(".WAV"))
        return SoundFile::Wave;
    if (tail == QLatin1String(".MP3"))
        return SoundFile::Mp3;
    return SoundFile::None;
}

QString SoundFolder(const QString &dictionaryFileName)
{
    if (dictionaryFileName.isEmpty())
        return QString();
    const qsizetype slash = dictionaryFileName.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : dictionaryFileName.left(slash + 1);
}

QString UpctvText(const QString &text)
{
    return FoldAsciiCase(text) + QLatin1Char(' ');
}

QByteArray UpctvBytes(const QString &text)
{
    QString cut = text;
    const qsizetype zero = cut.indexOf(QChar(0));
    if (zero >= 0)
        cut.truncate(zero);
    if (const auto bytes = TextEncoding::EncodeWindows1252(cut))
        return *bytes;
    QString replaced;
    replaced.reserve(cut.size());
    for (qsizetype i = 0; i < cut.size(); ++i) {
        const QChar c = cut.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < cut.size() && cut.at(i + 1).isLowSurrogate();
        const QString one = pair ? cut.mid(i, 2) : QString(c);
        replaced += TextEncoding::EncodeWindows1252(one) ? one : QStringLiteral("?");
        if (pair)
            ++i;
    }
    return TextEncoding::EncodeWindows1252(replaced).value_or(QByteArray());
}

} // namespace SpeakPreparation
