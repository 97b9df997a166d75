#include "app/documents/RecoveryCopy.h"

#include "platform/WorkerThread.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextDocument>

#include <csignal>
#include <sys/types.h>

namespace {

// The first line of a copy names what it is and the document it was made of.
constexpr char kHeader[] = "tolvanet-recovery 1\t";

// "<pid>-<start time>.txt": the run that writes it, so that a copy of a running editor is left alone.
QString OwnName()
{
    return QStringLiteral("%1-%2.txt")
        .arg(QCoreApplication::applicationPid())
        .arg(QDateTime::currentMSecsSinceEpoch());
}

bool Running(qint64 pid)
{
    return pid > 0 && pid != QCoreApplication::applicationPid() && ::kill(pid_t(pid), 0) == 0;
}

bool WriteCopy(const QString &path, const QString &fileName, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray header = kHeader;
    // A line break in a file name would end the header early.
    header += QString(fileName).remove(QLatin1Char('\n')).remove(QLatin1Char('\r')).toUtf8() + '\n';
    file.write(header);
    file.write(text.toUtf8());
    return file.commit();
}

} // namespace

RecoveryCopy::RecoveryCopy(const QString &folder, QTextDocument &document, std::function<QString()> fileName,
                           QObject *parent)
    : QObject(parent)
    , m_path(QDir(folder).filePath(OwnName()))
    , m_document(document)
    , m_fileName(std::move(fileName))
    , m_writer(std::make_unique<WorkerThread>(QStringLiteral("recovery copy")))
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(kDelayMs);
    connect(&m_delay, &QTimer::timeout, this, [this] { WriteInBackground(false); });
    connect(&m_document, &QTextDocument::contentsChanged, this, &RecoveryCopy::Schedule);
    connect(&m_document, &QTextDocument::modificationChanged, this, [this](bool modified) {
        if (!modified)
            Remove();
    });
}

RecoveryCopy::~RecoveryCopy()
{
    // The copy still being written is finished before the thread goes.
    m_writer->Call<bool>([] { return true; }, std::chrono::seconds(10));
}

void RecoveryCopy::Schedule()
{
    if (m_document.isModified())
        m_delay.start();
}

void RecoveryCopy::WriteInBackground(bool wait)
{
    if (!m_document.isModified())
        return;
    const QString text = m_document.toPlainText();
    const QString fileName = m_fileName ? m_fileName() : QString();
    QPointer<RecoveryCopy> self(this);
    const QString path = m_path;
    auto job = [path, fileName, text, self] {
        const bool ok = WriteCopy(path, fileName, text);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, ok] {
            if (self)
                emit self->written(ok);
        }, Qt::QueuedConnection);
        return ok;
    };
    if (wait)
        m_writer->Call<bool>(job, std::chrono::seconds(10));
    else
        m_writer->Post(job);
}

void RecoveryCopy::WriteNow()
{
    m_delay.stop();
    WriteInBackground(true);
}

void RecoveryCopy::Remove()
{
    m_delay.stop();
    // After any write still queued.
    m_writer->Post([path = m_path] { QFile::remove(path); });
}

QList<RecoveryCopy::Found> RecoveryCopy::Left(const QString &folder)
{
    QList<Found> found;
    const QFileInfoList files = QDir(folder).entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Time | QDir::Reversed);
    for (const QFileInfo &info : files) {
        if (Running(info.baseName().section(QLatin1Char('-'), 0, 0).toLongLong()))
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray header = file.readLine();
        if (!header.startsWith(kHeader))
            continue;
        Found copy;
        copy.path = info.filePath();
        copy.fileName = QString::fromUtf8(header.mid(int(sizeof kHeader) - 1).chopped(header.endsWith('\n') ? 1 : 0));
        copy.text = QString::fromUtf8(file.readAll());
        found.append(copy);
    }
    return found;
}

bool RecoveryCopy::Discard(const QString &path)
{
    return QFile::remove(path);
}
