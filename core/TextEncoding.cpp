#include "core/TextEncoding.h"

namespace {

// Code points of the bytes 0x80..0x9F; the unassigned bytes keep their own value.
constexpr char16_t kHighTable[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> ByteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHighTable[i] == c)
            return char(0x80 + i);
    return std::nullopt;
}

} // namespace

namespace TextEncoding {

namespace {

// The length of the valid UTF-8 sequence at p[i], or 0 when the byte there starts none.
int SequenceLength(const unsigned char *p, qsizetype i, qsizetype n)
{
    const unsigned char c = p[i];
    if (c < 0x80)
        return 1;
    int extra;
    char32_t min;
    char32_t value;
    if ((c & 0xE0) == 0xC0) {
        extra = 1; min = 0x80; value = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2; min = 0x800; value = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3; min = 0x10000; value = c & 0x07;
    } else {
        return 0;
    }
    if (i + extra >= n)
        return 0;
    for (int k = 1; k <= extra; ++k) {
        const unsigned char d = p[i + k];
        if ((d & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (d & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return extra + 1;
}

const unsigned char *Unsigned(QByteArrayView bytes)
{
    return reinterpret_cast<const unsigned char *>(bytes.data());
}

} // namespace

bool IsValidUtf8(QByteArrayView bytes)
{
    const unsigned char *p = Unsigned(bytes);
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(p, i, bytes.size());
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool LooksLikeUtf8WithStrays(QByteArrayView bytes)
{
    const unsigned char *p = Unsigned(bytes);
    qsizetype letters = 0;
    qsizetype strays = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(p, i, bytes.size());
        if (length == 0) {
            ++strays;
            ++i;
            continue;
        }
        letters += length > 1;
        i += length;
    }
    // A Windows-1252 text almost never holds a valid multi-byte sequence by chance.
    return strays > 0 && letters > 0 && strays <= letters;
}

QString DecodeUtf8KeepingStrays(QByteArrayView bytes, qsizetype *strays)
{
    const unsigned char *p = Unsigned(bytes);
    QString text;
    text.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype count = 0;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(p, i, bytes.size());
        if (length > 0) {
            i += length;
            continue;
        }
        text += QString::fromUtf8(bytes.sliced(runStart, i - runStart));
        text += QChar(char16_t(kStrayBase + p[i]));
        ++count;
        runStart = ++i;
    }
    text += QString::fromUtf8(bytes.sliced(runStart));
    if (strays)
        *strays = count;
    return text;
}

QByteArray EncodeUtf8KeepingStrays(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        // Only a lone one: after a high surrogate it is half of a real character.
        if (c < kStrayBase + 0x80 || c > kStrayBase + 0xFF || (i > 0 && text[i - 1].isHighSurrogate()))
            continue;
        bytes += text.sliced(runStart, i - runStart).toUtf8();
        bytes += char(c - kStrayBase);
        runStart = i + 1;
    }
    bytes += text.sliced(runStart).toUtf8();
    return bytes;
}

QString DecodeWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        out[i] = (c >= 0x80 && c < 0xA0) ? QChar(kHighTable[c - 0x80]) : QChar(c);
    }
    return text;
}

std::optional<QByteArray> EncodeWindows1252(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = ByteOf(text[i].unicode());
        if (!byte)
            return std::nullopt;
        out[i] = *byte;
    }
    return bytes;
}

QString DecodeAuto(QByteArrayView bytes, bool *wasUtf8)
{
    const bool utf8 = IsValidUtf8(bytes);
    if (wasUtf8)
        *wasUtf8 = utf8;
    return utf8 ? QString::fromUtf8(bytes) : DecodeWindows1252(bytes);
}

QByteArray EncodePreferWindows1252(QStringView text, bool *usedUtf8)
{
    if (auto bytes = EncodeWindows1252(text)) {
        if (usedUtf8)
            *usedUtf8 = false;
        return *bytes;
    }
    if (usedUtf8)
        *usedUtf8 = true;
    return text.toUtf8();
}

} // namespace TextEncoding
