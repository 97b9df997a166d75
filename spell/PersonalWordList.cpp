#include "spell/PersonalWordList.h"

#include "core/TextEncoding.h"
#include "core/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PersonalWordList::PersonalWordList(QString fileName) : m_fileName(std::move(fileName)) {}

QString PersonalWordList::BesideSettings(const QString &settingsFile)
{
    return QFileInfo(settingsFile).absoluteDir().filePath(QStringLiteral("paraules-propies.txt"));
}

void PersonalWordList::Load()
{
    m_words.clear();
    m_problem.clear();
    const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(m_fileName, kLargestList);
    if (read.missing)
        return;
    if (!read.ok) {
        m_problem = QStringLiteral("La llista de paraules pròpies no es pot llegir: %1").arg(read.error);
        return;
    }
    int leftOut = 0;
    for (QByteArrayView line : read.bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QString word = QString::fromUtf8(line).trimmed();
        if (!TextEncoding::IsValidUtf8(line) || word.size() > kLongestWord || word.contains(QLatin1Char(' '))) {
            ++leftOut;
            continue;
        }
        m_words.append(word);
    }
    if (leftOut > 0)
        m_problem = QStringLiteral("La llista de paraules pròpies %1 té %2 línies que no són una paraula en UTF-8; "
                                   "s'han deixat de banda.")
                        .arg(QDir::toNativeSeparators(m_fileName))
                        .arg(leftOut);
}

bool PersonalWordList::Add(const QString &word)
{
    m_problem.clear();
    const QString trimmed = word.trimmed();
    bool blank = false;
    for (QChar c : trimmed)
        blank = blank || c.isSpace() || c.category() == QChar::Other_Control;
    if (trimmed.isEmpty() || blank || trimmed.size() > kLongestWord) {
        m_problem = QStringLiteral("«%1» no és una paraula que es pugui afegir al diccionari.").arg(word.left(kLongestWord));
        return false;
    }
    if (m_words.contains(trimmed))
        return true;
    QFile file(m_fileName);
    // A list whose last line lacks its break gets one before the new word.
    const bool needsBreak = file.size() > 0 && [&] {
        QFile tail(m_fileName);
        if (!tail.open(QIODevice::ReadOnly) || !tail.seek(tail.size() - 1))
            return false;
        return tail.read(1) != "\n";
    }();
    QByteArray bytes = (needsBreak ? QByteArray("\n") : QByteArray()) + trimmed.toUtf8() + '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() || !file.flush()) {
        m_problem = QStringLiteral("No s'ha pogut afegir «%1» a %2: %3")
                        .arg(trimmed, QDir::toNativeSeparators(m_fileName), file.errorString());
        return false;
    }
    m_words.append(trimmed);
    return true;
}
