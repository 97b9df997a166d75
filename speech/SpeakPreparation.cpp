#include "speech/SpeakPreparation.h"

#include "core/TextEncoding.h"

QString FoldAsciiCase(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return result;
}

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

QString UpctvLetters(const QString &text)
{
    // The Catalan geminate l written with its own letters, or with a dot the 8-bit
    // text lacks, becomes l, middle dot, l; the length of each character is kept but
    // for the two letters with the dot.
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x0140: out += QStringLiteral("l\u00B7"); break;
        case 0x013F: out += QStringLiteral("L\u00B7"); break;
        case 0x2027: case 0x22C5: case 0x2219: case 0x30FB: out += QChar(0x00B7); break;
        case 0x2010: case 0x2011: case 0x2212: out += QLatin1Char('-'); break;
        default: out += c;
        }
    }
    return out;
}

QByteArray UpctvBytes(const QString &text)
{
    QString cut = UpctvLetters(text);
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

QByteArray UpctvLibraryText(const QString &text)
{
    return UpctvBytes(UpctvText(text));
}

} // namespace SpeakPreparation
