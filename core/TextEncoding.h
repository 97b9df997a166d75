#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Windows-1252 and UTF-8, the two encodings of the files the program reads and writes.
namespace TextEncoding {

bool IsValidUtf8(QByteArrayView bytes);

// A byte that is not part of any UTF-8 character is kept as the lone surrogate
// kStrayBase + byte, which no valid UTF-8 gives, so that it is written back as it was.
inline constexpr char16_t kStrayBase = 0xDC00;
// Mostly UTF-8 with a few stray bytes (a line pasted from a Windows-1252 file, a
// damaged byte): some valid multi-byte characters and no more strays than those.
bool LooksLikeUtf8WithStrays(QByteArrayView bytes);
// UTF-8 with each stray byte kept as above; strays counts them.
QString DecodeUtf8KeepingStrays(QByteArrayView bytes, qsizetype *strays = nullptr);
// UTF-8 with each kept stray byte written back as the byte it was.
QByteArray EncodeUtf8KeepingStrays(QStringView text);
// Every byte maps to a character, the five unassigned ones to the C1 control of the same code.
QString DecodeWindows1252(QByteArrayView bytes);
// Nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> EncodeWindows1252(QStringView text);
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeAuto(QByteArrayView bytes, bool *wasUtf8 = nullptr);
// Windows-1252 when every character fits, else UTF-8.
QByteArray EncodePreferWindows1252(QStringView text, bool *usedUtf8 = nullptr);

} // namespace TextEncoding
