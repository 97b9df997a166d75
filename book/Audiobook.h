#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// An audiobook: the chapters' recordings, each encoded as AAC in MP4 on its own (so that
// chapters are encoded side by side), joined into one file (M4B) with a chapter mark per
// chapter, by FFmpeg.
namespace Audiobook {

struct Chapter
{
    QString title;
    QString path;  // its encoded recording
    qint64 soundMs = 0;  // how long it lasts in the joined audiobook
};

// How long a recording of `frames` samples at sampleRate lasts once encoded on its own
// and joined: the encoder adds a frame of its own before the sound and fills the last
// one, and every frame of every chapter is heard in turn.
qint64 EncodedChapterMs(qint64 frames, quint32 sampleRate);

// FFmpeg's metadata file: the book's title and narrator, then each chapter's start, end
// (milliseconds) and title.
QByteArray MetadataFile(const QString &title, const QString &narrator, const QList<Chapter> &chapters);
// The arguments that encode a chapter's WAV file as AAC in MP4.
QStringList ChapterArguments(const QString &wav, const QString &output);
// FFmpeg's list of files to join, one "file '...'" line each.
QByteArray ConcatList(const QList<Chapter> &chapters);
// The arguments that join the encoded chapters in list (with metadata) into output,
// copying the sound as it is.
QStringList FfmpegArguments(const QString &list, const QString &metadata, const QString &output);

} // namespace Audiobook
