#include "core/WholeFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace WholeFiles {

namespace {

QString TooLarge(const QString &name, qint64 maxBytes)
{
    return QStringLiteral("%1: el fitxer és massa gran; el màxim que es pot obrir és %2 MB.")
        .arg(name)
        .arg(maxBytes >> 20);
}

QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("és una carpeta");
    if (S_ISFIFO(mode))
        return QStringLiteral("és una canonada (FIFO)");
    if (S_ISSOCK(mode))
        return QStringLiteral("és un sòcol");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("és un dispositiu");
    return QStringLiteral("no és un fitxer normal");
}

QString SystemError(const QString &name, int error)
{
    return QStringLiteral("%1: %2").arg(name, QString::fromLocal8Bit(std::strerror(error)));
}

// The reason a write failed: a full disk is said as such, with the room the file
// needs, rather than whatever the file layer made of it.
QString WriteFailure(const QString &fileName, qint64 bytesNeeded, const QString &why)
{
    const QString reason = DiskFullReason(fileName, bytesNeeded);
    return QStringLiteral("%1: %2").arg(fileName, reason.isEmpty() ? why : reason);
}

} // namespace

QString DiskFullReason(const QString &fileName, qint64 bytesNeeded)
{
    struct statvfs disk {};
    const QString folder = QFileInfo(fileName).absolutePath();
    if (::statvfs(QFile::encodeName(folder).constData(), &disk) != 0)
        return QString();
    const qint64 free = qint64(disk.f_bavail) * qint64(disk.f_frsize);
    if (free >= bytesNeeded)
        return QString();
    const QLocale catalan(QLocale::Catalan);
    return QStringLiteral("el disc és ple: el fitxer necessita %1 i només en queden %2 lliures")
        .arg(catalan.formattedDataSize(bytesNeeded, 1, QLocale::DataSizeSIFormat),
             catalan.formattedDataSize(free, 1, QLocale::DataSizeSIFormat));
}

ReadResult ReadRegularFile(const QString &fileName, qint64 maxBytes)
{
    ReadResult result;
    // Opened without blocking, so that a FIFO with no writer cannot hold us up, and
    // looked at through the descriptor, so that the name cannot change under us.
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.missing = errno == ENOENT;
        result.error = SystemError(fileName, errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = SystemError(fileName, errno);
        ::close(fd);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = QStringLiteral("%1: no es pot obrir perquè %2.").arg(fileName, KindOf(info.st_mode));
        ::close(fd);
        return result;
    }
    if (info.st_size > maxBytes) {
        result.error = TooLarge(fileName, maxBytes);
        ::close(fd);
        return result;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        result.error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        ::close(fd);
        return result;
    }
    // Some regular files (those of /proc) say they are empty and are not.
    return ReadDevice(file, fileName, maxBytes);
}

ReadResult ReadDevice(QIODevice &device, const QString &name, qint64 maxBytes)
{
    ReadResult result;
    constexpr qint64 kChunk = qint64(1) << 20;
    for (;;) {
        const qint64 room = maxBytes + 1 - result.bytes.size();
        if (room <= 0) {
            result.bytes.clear();
            result.error = TooLarge(name, maxBytes);
            return result;
        }
        const qsizetype had = result.bytes.size();
        result.bytes.resize(had + qsizetype(qMin(room, kChunk)));
        const qint64 got = device.read(result.bytes.data() + had, result.bytes.size() - had);
        if (got < 0) {
            result.bytes.clear();
            result.error = QStringLiteral("%1: %2").arg(name, device.errorString());
            return result;
        }
        result.bytes.resize(had + qsizetype(got));
        if (got == 0 && (device.atEnd() || !device.waitForReadyRead(-1)))
            break;
    }
    result.bytes.squeeze();
    result.ok = true;
    return result;
}

bool CommitSaveFile(QSaveFile &file, qint64 expectedSize, QString *error)
{
    const auto fail = [&](const QString &why) {
        // Given up first, so that the room the half-written copy took is free again.
        file.cancelWriting();
        file.commit();
        if (error)
            *error = WriteFailure(file.fileName(), expectedSize, why);
        return false;
    };
    // A write that did not fit may sit in a buffer that a plain commit never checks.
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail(file.errorString());
    const int fd = file.handle();
    if (fd >= 0) {
        if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        struct stat info {};
        if (::fstat(fd, &info) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        if (qint64(info.st_size) != expectedSize)
            return fail(QStringLiteral("només s'han pogut escriure %1 dels %2 bytes (disc ple?)")
                            .arg(qint64(info.st_size))
                            .arg(expectedSize));
    }
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

FileStamp StampOf(const QString &fileName)
{
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return {};
    return {true, qint64(info.st_size), qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec),
            quint64(info.st_ino)};
}

bool WriteFile(const QString &fileName, const QByteArray &bytes, QString *error)
{
    // A device or a FIFO of that name is not ours to replace by a file.
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (error)
            *error = QStringLiteral("%1: no es pot desar perquè %2.").arg(fileName, KindOf(info.st_mode));
        return false;
    }
    QSaveFile file(fileName);
    // Unbuffered: each write reaches the file system, and so does its failure.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        file.commit();
        if (error)
            *error = WriteFailure(fileName, bytes.size(), why);
        return false;
    }
    return CommitSaveFile(file, bytes.size(), error);
}

} // namespace WholeFiles
