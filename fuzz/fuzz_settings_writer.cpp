// The settings store's writer: whatever section, key and value it is given, a write
// changes that key alone or nothing at all. No value may end its line early and start
// a key or a section of its own.
#include "core/SettingsText.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

// Every (section, key) name the file holds, each folded as it is matched.
QSet<QString> Names(const QByteArray &bytes)
{
    QString text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QSet<QString> names;
    QString section;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (trimmed.startsWith(QLatin1Char('[')) && close >= 0) {
            section = SettingsText::FoldName(trimmed.mid(1, close - 1).trimmed());
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0)
            names.insert(section + QLatin1Char('\0') + SettingsText::FoldName(line.left(equals).trimmed()));
    }
    return names;
}

bool Ascii(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

} // namespace

// The input is a section name, a key name and a value, then the file, separated by NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)).split('\0');
    if (parts.size() < 3)
        return 0;
    // Names as the program gives them: without blanks around them.
    const QString section = QString::fromLatin1(parts.at(0)).trimmed();
    const QString key = QString::fromLatin1(parts.at(1)).trimmed();
    const QString value = QString::fromLatin1(parts.at(2));
    const QByteArray file = parts.size() > 3 ? parts.at(3) : QByteArray("[tts]\r\nvelocitat=0\r\n");
    if (!Ascii(file) || !Ascii(parts.at(0)) || !Ascii(parts.at(1))
        || !Ascii(parts.at(2)))
        return 0;

    SettingsText text = SettingsText::Parse(file);
    const QByteArray before = text.Bytes();
    const bool written = text.Set(section, key, value);
    if (written != SettingsText::CanHold(section, key, value))
        __builtin_trap();
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))) {
        if (written)
            __builtin_trap();
    }
    const QByteArray after = text.Bytes();
    if (!written) {
        if (after != before)
            __builtin_trap();
        return 0;
    }
    // The key reads back, from the text and from its bytes, and no other name appeared.
    const SettingsText again = SettingsText::Parse(after);
    if (text.Value(section, key) != value.trimmed() || again.Value(section, key) != value.trimmed())
        __builtin_trap();
    QSet<QString> names = Names(before);
    names.insert(SettingsText::FoldName(section) + QLatin1Char('\0') + SettingsText::FoldName(key));
    if (!names.contains(Names(after)))
        __builtin_trap();
    return 0;
}
