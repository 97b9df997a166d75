#include "app/reading/KeptPlaces.h"

#include "engines/SynthesizerMissingText.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace
{
constexpr qint64 kLargestStateFile = 1 << 20;

QString Canonical(const QString &file)
{
    const QString canonical = QFileInfo(file).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(file).absoluteFilePath() : canonical;
}
} // namespace

QString KeptPlaces::RestoredMessage(int language)
{
    static const char *const texts[kSynthesizerMissingLanguages] = {
        "El cursor és on es va deixar de llegir.",
        "El cursor está donde se dejó de leer.",
        "Kurtsorea irakurtzeari utzi zitzaion lekuan dago.",
        "O cursor está onde se deixou de ler.",
        "O cursor está onde se deixou de ler.",
        "The caret is where reading stopped.",
        "Le curseur est là où la lecture s'est arrêtée.",
    };
    return QString::fromUtf8(texts[LanguageRow(language)]);
}

QString KeptPlaces::FileBeside(const QString &settingsFile)
{
    return QFileInfo(settingsFile).absolutePath() + QStringLiteral("/tolvanet-places.txt");
}

KeptPlaces::KeptPlaces(QString stateFile)
    : m_stateFile(std::move(stateFile))
{
}

// One document a line: position, size, modification time in ms, then the path.
QList<KeptPlaces::Entry> KeptPlaces::Read() const
{
    QList<Entry> entries;
    QFile file(m_stateFile);
    if (file.size() > kLargestStateFile || !file.open(QIODevice::ReadOnly))
        return entries;
    while (!file.atEnd() && entries.size() < kMostDocuments) {
        QByteArray raw = file.readLine();
        if (raw.endsWith('\n'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        const QStringList fields = line.split(u'\t');
        if (fields.size() < 4)
            continue;
        bool ok[3] = {};
        Entry entry{fields.mid(3).join(u'\t'), fields.at(0).toInt(&ok[0]), fields.at(1).toLongLong(&ok[1]),
                    fields.at(2).toLongLong(&ok[2])};
        if (ok[0] && ok[1] && ok[2] && entry.position >= 0 && !entry.file.isEmpty())
            entries << entry;
    }
    return entries;
}

bool KeptPlaces::Write(const QList<Entry> &entries) const
{
    QSaveFile file(m_stateFile);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const Entry &entry : entries) {
        file.write(QStringLiteral("%1\t%2\t%3\t%4\n")
                       .arg(entry.position)
                       .arg(entry.size)
                       .arg(entry.modifiedMs)
                       .arg(entry.file)
                       .toUtf8());
    }
    return file.commit();
}

bool KeptPlaces::Keep(const QString &documentFile, int position)
{
    const QFileInfo info(documentFile);
    if (documentFile.isEmpty() || !info.isFile())
        return false;
    const QString name = Canonical(documentFile);
    // A path with a line break cannot be a line of the file.
    if (name.contains(u'\n') || name.contains(u'\r'))
        return false;
    QList<Entry> entries = Read();
    entries.removeIf([&name](const Entry &entry) { return entry.file == name; });
    entries.prepend({name, qMax(0, position), info.size(), info.lastModified().toMSecsSinceEpoch()});
    while (entries.size() > kMostDocuments)
        entries.removeLast();
    return Write(entries);
}

std::optional<int> KeptPlaces::PlaceOf(const QString &documentFile) const
{
    const QFileInfo info(documentFile);
    if (documentFile.isEmpty() || !info.isFile())
        return std::nullopt;
    const QString name = Canonical(documentFile);
    for (const Entry &entry : Read()) {
        if (entry.file != name)
            continue;
        if (entry.size != info.size() || entry.modifiedMs != info.lastModified().toMSecsSinceEpoch())
            return std::nullopt;
        return entry.position;
    }
    return std::nullopt;
}
