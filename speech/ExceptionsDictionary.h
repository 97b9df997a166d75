#pragma once

#include "speech/VoiceControl.h"

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class SettingsStore;
class UserQuestions;

// One line of the dictionary file: the word and what is said instead.
struct ExceptionEntry
{
    QString word;
    QString replacement;
};

// Position of the line's separator: the first blank, else the first comma, else the
// first semicolon, else the first tab; -1 when the line has none of them.
int FindSeparator(const QString &line);
// The text without any blank (tabs and other characters stay).
QString RemoveSpaces(const QString &text);

// The entries of a dictionary file's text, in file order. Lines may end in CR LF, LF
// or CR; a line without a separator, or whose word or replacement is empty without
// blanks, gives no entry.
QList<ExceptionEntry> ParseExceptionEntries(const QString &text);

// The entries with an index of their words: the first entry of a word wins.
class ExceptionTable
{
public:
    void Assign(QList<ExceptionEntry> entries);
    int Count() const { return int(m_entries.size()); }
    const QList<ExceptionEntry> &Entries() const { return m_entries; }
    // The replacement of the first entry equal to the whole text, folding A-Z only
    // and ignoring blanks at either end of the text.
    std::optional<QString> Find(const QString &text) const;

private:
    QList<ExceptionEntry> m_entries;
    QHash<QString, int> m_firstByWord;
};

// The hidden holder of the exceptions dictionary: loads the file named in the
// settings at start, lets the user choose another, and replaces a spoken text that
// equals one of its words.
class FormDiccionariExcepcions : public DictionaryControl
{
public:
    static const char *const kSection;
    static const char *const kActiveKey;
    static const char *const kFileKey;
    static const char *const kDialogTitle;
    static const char *const kDialogFilter;

    // questions may be null (no dialog can be shown); programDir is where the dialog starts.
    FormDiccionariExcepcions(SettingsStore &settings, UserQuestions *questions, const QString &programDir);

    // Start-up: loads the dictionary the settings name when they say one is in use.
    void FormCreate();
    // Reads the file into the table; the dictionary is active when it has an entry.
    void LoadExceptionsDictionary(const QString &path);
    // The text, or its replacement when the dictionary is active and the text is a word.
    QString ApplyExceptionsDictionary(const QString &text) const;

    QString DictionaryFileName() const { return m_fileName; }
    const ExceptionTable &Table() const { return m_table; }

    bool DictionaryActive() const override { return m_active; }
    void SetDictionaryActive(bool active) override { m_active = active; }
    bool ChooseExceptionsDictionary() override;
    void ClosingStep() override;

private:
    void WriteState(bool inUse);

    SettingsStore &m_settings;
    UserQuestions *m_questions;
    QString m_programDir;
    ExceptionTable m_table;
    bool m_active = false;
    QString m_fileName;
};
