#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QSaveFile;

// Whole files read and written without trusting what a name points at: only regular
// files are read, never more than the program can hold, and a written file replaces
// the old one only when every byte of it reached the disk.
namespace WholeFiles {

// The largest file read whole: documents, dictionaries and settings files.
constexpr qint64 kLargestFile = qint64(256) << 20;

struct ReadResult
{
    bool ok = false;
    bool missing = false;  // there is no file of that name
    QByteArray bytes;
    QString error;  // "<file>: <why>" when !ok
};

// A regular file's bytes. A folder, a device or a FIFO is refused without waiting on
// it, and so is a file of more than maxBytes.
ReadResult ReadRegularFile(const QString &fileName, qint64 maxBytes = kLargestFile);
// What an already open device (the standard input) gives until its end, refused past maxBytes.
ReadResult ReadDevice(QIODevice &device, const QString &name, qint64 maxBytes = kLargestFile);

// Ends a save file opened by the caller: flushes it, syncs it, checks that it holds
// expectedSize bytes and only then renames it over the old file. On failure the old
// file stays as it was and error says why.
bool CommitSaveFile(QSaveFile &file, qint64 expectedSize, QString *error);
// Replaces a file by these bytes as CommitSaveFile does.
bool WriteFile(const QString &fileName, const QByteArray &bytes, QString *error);

// "el disc és ple: ..." with the room a file of bytesNeeded bytes needs and the room
// left beside fileName, when the disk there has less than that; empty otherwise.
QString DiskFullReason(const QString &fileName, qint64 bytesNeeded);

// What a file is at one moment, to tell whether it changed since: a rewrite in place
// changes the time or the size, a replacement by rename changes the inode.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    qint64 seconds = 0;
    qint64 nanoseconds = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp &) const = default;
};

// The file's stamp now; one that does not exist when there is no such file.
FileStamp StampOf(const QString &fileName);

} // namespace WholeFiles
