#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// What a careless or hostile name may point at instead of a text file.
enum class SpecialFile { Fifo, Folder, Sparse };

// Makes one at path; a sparse file has the size given and takes no room on the disk.
inline bool MakeSpecialFile(const QString &path, SpecialFile kind, qint64 size = 0)
{
    switch (kind) {
    case SpecialFile::Fifo:
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    case SpecialFile::Folder:
        return QDir().mkpath(path);
    case SpecialFile::Sparse:
        break;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// A small file system of the test's own, to be made full: only root may mount one,
// so Mounted() says whether the test can go on.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &mountPoint, const QString &size = QStringLiteral("64k"))
        : m_mountPoint(mountPoint)
    {
        if (::geteuid() != 0 || !QDir().mkpath(mountPoint))
            return;
        m_mounted = QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                                QStringLiteral("-o"), QStringLiteral("size=") + size,
                                                                QStringLiteral("tmpfs"), mountPoint})
                    == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_mountPoint});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool Mounted() const { return m_mounted; }
    QString FilePath(const QString &name) const { return m_mountPoint + QLatin1Char('/') + name; }

    // Takes every byte left, so that the next write of any size fails.
    void Fill()
    {
        const int fd = ::open(QFile::encodeName(FilePath(QStringLiteral("filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return;
        const char block[512] = {};
        for (int size = 512; size > 0; size /= 2)
            while (::write(fd, block, size_t(size)) == size) {
            }
        ::close(fd);
    }

private:
    QString m_mountPoint;
    bool m_mounted = false;
};
