#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// An audiobook: the chapters' recordings joined into one AAC-in-MP4 file (M4B) with a
// chapter mark per chapter, by FFmpeg.
namespace Audiobook {

struct Chapter
{
    QString title;
    QString wavPath;
    qint64 soundMs = 0;
};

// FFmpeg's metadata file: the book's title and narrator, then each chapter's start, end
// (milliseconds) and title.
QByteArray MetadataFile(const QString &title, const QString &narrator, const QList<Chapter> &chapters);
// FFmpeg's list of files to join, one "file '...'" line each.
QByteArray ConcatList(const QList<Chapter> &chapters);
// The arguments that join list (with metadata) into output as AAC in MP4.
QStringList FfmpegArguments(const QString &list, const QString &metadata, const QString &output);

} // namespace Audiobook
