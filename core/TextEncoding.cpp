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

bool IsValidUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
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
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char d = p[i + k];
            if ((d & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (d & 0x3F);
        }
        if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
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
