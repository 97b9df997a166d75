#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QTextDocument;
class WorkerThread;

// A copy of the modified document kept in a recovery folder beside the settings, so that
// a crash, a kill or a power cut loses at most the last few seconds of typing. It is
// written in the background a moment after the last change and removed once the
// document is saved or discarded. Each run of the editor writes a file of its own.
class RecoveryCopy : public QObject
{
    Q_OBJECT
public:
    // A copy left by an earlier run: the file it belonged to (empty for a new document) and its text.
    struct Found
    {
        QString path;      // the copy itself
        QString fileName;  // the document it was made of
        QString text;
    };

    // Copies go to folder; fileName() names the document each copy is made of.
    RecoveryCopy(const QString &folder, QTextDocument &document, std::function<QString()> fileName,
                 QObject *parent = nullptr);
    ~RecoveryCopy() override;

    // The copies of earlier runs that are not running any more, oldest first.
    static QList<Found> Left(const QString &folder);
    static bool Discard(const QString &path);

    // Writes the copy at once and waits for it (an ending program), when the document is modified.
    void WriteNow();
    // The document was saved or discarded: no copy is needed.
    void Remove();

    QString Path() const { return m_path; }
    static constexpr int kDelayMs = 3000;

signals:
    // A background write ended; ok is false when the copy could not be written.
    void written(bool ok);

private:
    void Schedule();
    void WriteInBackground(bool wait);

    QString m_path;
    QTextDocument &m_document;
    std::function<QString()> m_fileName;
    QTimer m_delay;
    std::unique_ptr<WorkerThread> m_writer;
};
