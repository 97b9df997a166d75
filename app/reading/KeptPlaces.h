#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// Where reading stopped in each of the last documents read, kept in a state file of
// its own beside the settings file (never in the document or the settings). A place
// holds only while the file is as it was: same size, same modification time.
class KeptPlaces
{
public:
    static constexpr int kMostDocuments = 100;
    // The state file beside the given settings file.
    static QString FileBeside(const QString &settingsFile);

    explicit KeptPlaces(QString stateFile);

    // Stores the place for the file as it is on disk now; false when it cannot be written.
    bool Keep(const QString &documentFile, int position);
    // The place kept for the file, when the file has not changed since.
    std::optional<int> PlaceOf(const QString &documentFile) const;
    // What the status line says when a document opens at its kept place, in an interface
    // language (an index of the language list; Catalan outside it).
    static QString RestoredMessage(int language);

private:
    struct Entry
    {
        QString file;
        int position = 0;
        qint64 size = 0;
        qint64 modifiedMs = 0;
    };
    QList<Entry> Read() const;
    bool Write(const QList<Entry> &entries) const;

    QString m_stateFile;
};
