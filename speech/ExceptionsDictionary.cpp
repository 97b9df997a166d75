#include "speech/ExceptionsDictionary.h"

#include "core/SettingsStore.h"
#include "core/TextEncoding.h"
#include "core/UserQuestions.h"
#include "core/WholeFiles.h"
#include "speech/SpeakPreparation.h"

#include <QFileInfo>

const char *const FormDiccionariExcepcions::kSection = "FormDiccionariExcepcions";
const char *const FormDiccionariExcepcions::kActiveKey = "HiHaDiccionariExcepcions";
const char *const FormDiccionariExcepcions::kFileKey = "NomFitxerDiccionariExcepcions";
const char *const FormDiccionariExcepcions::kDialogTitle = "TOLVANET CORVALIDA - Obrir diccionari d'excepcions";
const char *const FormDiccionariExcepcions::kDialogFilter = "txt (*.txt);;Tot tipus de fitxers (*.*)";

int FindSeparator(const QString &line)
{
    for (QChar separator : {QLatin1Char(' '), QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        const int at = int(line.indexOf(separator));
        if (at >= 0)
            return at;
    }
    return -1;
}

QString RemoveSpaces(const QString &text)
{
    QString result = text;
    result.remove(QLatin1Char(' '));
    return result;
}

QList<ExceptionEntry> ParseExceptionEntries(const QString &text)
{
    QList<ExceptionEntry> entries;
    qsizetype start = 0;
    const qsizetype length = text.size();
    while (start < length) {
        qsizetype end = start;
        while (end < length && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
            ++end;
        const QString line = text.mid(start, end - start);
        if (end < length && text.at(end) == QLatin1Char('\r') && end + 1 < length
            && text.at(end + 1) == QLatin1Char('\n'))
            ++end;
        start = end + 1;
        if (line.isEmpty())
            continue;
        const int separator = FindSeparator(line);
        if (separator < 0)
            continue;
        ExceptionEntry entry{RemoveSpaces(line.left(separator)), RemoveSpaces(line.mid(separator + 1))};
        if (!entry.word.isEmpty() && !entry.replacement.isEmpty())
            entries << entry;
    }
    return entries;
}

void ExceptionTable::Assign(QList<ExceptionEntry> entries)
{
    m_entries = std::move(entries);
    m_firstByWord.clear();
    m_firstByWord.reserve(m_entries.size());
    for (int i = 0; i < m_entries.size(); ++i) {
        const QString key = FoldAsciiCase(m_entries.at(i).word);
        if (!m_firstByWord.contains(key))
            m_firstByWord.insert(key, i);
    }
}

std::optional<QString> ExceptionTable::Find(const QString &text) const
{
    if (m_entries.isEmpty())
        return std::nullopt;
    // The reading triggers hand over a word with the blank that follows it.
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    const auto found = m_firstByWord.constFind(FoldAsciiCase(text.mid(first, last - first)));
    if (found == m_firstByWord.constEnd())
        return std::nullopt;
    return m_entries.at(found.value()).replacement;
}

FormDiccionariExcepcions::FormDiccionariExcepcions(SettingsStore &settings, UserQuestions *questions,
                                                   const QString &programDir)
    : m_settings(settings), m_questions(questions), m_programDir(programDir)
{
}

void FormDiccionariExcepcions::FormCreate()
{
    m_active = false;
    if (m_settings.ReadString(QLatin1String(kSection), QLatin1String(kActiveKey), QStringLiteral("NO"))
        != QLatin1String("SI"))
        return;
    m_fileName = m_settings.ReadString(QLatin1String(kSection), QLatin1String(kFileKey), QString());
    if (!m_fileName.isEmpty())
        LoadExceptionsDictionary(m_fileName);
}

void FormDiccionariExcepcions::WriteState(bool inUse)
{
    // A read-only settings file must not stop the dictionary from working.
    m_settings.WriteString(QLatin1String(kSection), QLatin1String(kActiveKey),
                           inUse ? QStringLiteral("SI") : QStringLiteral("NO"));
    m_settings.WriteString(QLatin1String(kSection), QLatin1String(kFileKey), inUse ? m_fileName : QString());
}

void FormDiccionariExcepcions::LoadExceptionsDictionary(const QString &path)
{
    m_active = false;
    // Only a regular file is read: a device or a FIFO would never end.
    const WholeFiles::ReadResult read = WholeFiles::ReadRegularFile(path);
    if (!read.ok) {
        m_table.Assign({});
        WriteState(false);
        return;
    }
    m_table.Assign(ParseExceptionEntries(TextEncoding::DecodeAuto(read.bytes)));
    if (m_table.Count() > 0) {
        m_active = true;
        m_fileName = path;
    }
    WriteState(m_active);
}

QString FormDiccionariExcepcions::ApplyExceptionsDictionary(const QString &text) const
{
    if (!m_active)
        return text;
    const std::optional<QString> replacement = m_table.Find(text);
    if (!replacement)
        return text;
    // A recording that is a folder, a device or a FIFO would stop the player for good:
    // the word is said instead.
    if (SpeakPreparation::SoundFileKind(*replacement) != SpeakPreparation::SoundFile::None) {
        const QFileInfo sound(SpeakPreparation::SoundFolder(m_fileName) + *replacement);
        if (sound.exists() && !sound.isFile())
            return text;
    }
    return *replacement;
}

bool FormDiccionariExcepcions::ChooseExceptionsDictionary()
{
    if (m_questions) {
        const QString path = m_questions->AskOpenFileName(m_programDir, QString::fromUtf8(kDialogTitle),
                                                          QString::fromUtf8(kDialogFilter));
        if (!path.isEmpty())
            LoadExceptionsDictionary(path);
    }
    if (!m_active)
        WriteState(false);
    return m_active;
}

void FormDiccionariExcepcions::ClosingStep()
{
    if (!m_active)
        WriteState(false);
}
