#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Windows-1252 and UTF-8, the two encodings of the files the program reads and writes.
namespace TextEncoding {

bool IsValidUtf8(QByteArrayView bytes);
// Every byte maps to a character, the five unassigned ones to the C1 control of the same code.
QString DecodeWindows1252(QByteArrayView bytes);
// Nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> EncodeWindows1252(QStringView text);
// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeAuto(QByteArrayView bytes, bool *wasUtf8 = nullptr);
// Windows-1252 when every character fits, else UTF-8.
QByteArray EncodePreferWindows1252(QStringView text, bool *usedUtf8 = nullptr);

} // namespace TextEncoding
