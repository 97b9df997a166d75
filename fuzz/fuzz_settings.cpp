// The settings store's reader: any file's bytes, read through the index, give what a
// plain scan of the lines gives, and a value written reads back.
#include "core/SettingsText.h"
#include "core/TextEncoding.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

QStringList Lines(const QString &text)
{
    QString normalized = text;
    normalized.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalized.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

bool SectionOf(const QString &line, QString *name)
{
    const QString trimmed = line.trimmed();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    if (!trimmed.startsWith(QLatin1Char('[')) || close < 0)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

bool Same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The first section of the name, then the first key of the name up to the next section.
std::optional<QString> Scan(const QStringList &lines, const QString &section, const QString &key)
{
    QString name;
    qsizetype i = 0;
    while (i < lines.size() && !(SectionOf(lines.at(i), &name) && Same(name, section)))
        ++i;
    for (++i; i < lines.size() && !SectionOf(lines.at(i), &name); ++i) {
        const qsizetype equals = lines.at(i).indexOf(QLatin1Char('='));
        if (equals >= 0 && Same(lines.at(i).left(equals).trimmed(), key))
            return lines.at(i).mid(equals + 1).trimmed();
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    SettingsText text = SettingsText::Parse(bytes);
    const QStringList lines = Lines(TextEncoding::DecodeAuto(bytes));

    // Every name in the file, looked up in another case, and one that is not there.
    QList<std::pair<QString, QString>> lookups{{QStringLiteral("tts"), QStringLiteral("velocitat")}};
    QString section;
    for (const QString &line : lines) {
        if (lookups.size() > 64)
            break;
        if (SectionOf(line, &section))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals >= 0)
            lookups.append({section, line.left(equals).trimmed()});
    }
    for (const auto &[sectionName, key] : lookups) {
        for (const QString &asked : {key, key.toUpper(), key.toLower()}) {
            if (text.Value(sectionName.toLower(), asked) != Scan(lines, sectionName, asked))
                __builtin_trap();
        }
    }

    // A write reads back, and leaves the other keys as they were.
    const QString value = lines.isEmpty() ? QString() : lines.constFirst();
    text.Set(QStringLiteral("Fuzz"), QStringLiteral("Clau"), value);
    if (text.Value(QStringLiteral("FUZZ"), QStringLiteral("clau")) != value.trimmed())
        __builtin_trap();
    for (const auto &[sectionName, key] : lookups) {
        if (!Same(sectionName, QStringLiteral("Fuzz")) && text.Value(sectionName, key) != Scan(lines, sectionName, key))
            __builtin_trap();
    }
    // What is written reads back the same from the file, when its bytes can only be read one way.
    const QByteArray written = text.Bytes();
    bool ascii = true;
    for (const char c : written)
        ascii = ascii && uchar(c) < 0x80;
    if (ascii) {
        const SettingsText again = SettingsText::Parse(written);
        if (again.Value(QStringLiteral("fuzz"), QStringLiteral("CLAU")) != value.trimmed())
            __builtin_trap();
        for (const auto &[sectionName, key] : lookups) {
            if (again.Value(sectionName, key) != text.Value(sectionName, key))
                __builtin_trap();
        }
    }
    return 0;
}
