#pragma once

#include <QString>

// What the document commands tell the user beyond the designed texts, in the interface
// language (an index of the language list; Catalan outside it).
namespace DocumentMessages {

// Why a file could not be written, as far as the file system tells.
enum class WriteProblem { FolderMissing, ReadOnlyDisk, FolderNotWritable, DiskFull, Other };

// What a name that cannot be opened as a document points at instead.
enum class ReadProblem { Folder, Fifo, Socket, Device, NotRegular, TooLarge };
// The message refusing to open it; largestMb is the size limit for TooLarge.
QString ReadRefusal(int language, const QString &fileName, ReadProblem problem, qint64 largestMb = 0);

// The question before opening a program, a picture or other data as text.
QString NotTextQuestion(int language, const QString &fileName);
// The status line while such a file is open: it cannot be written over.
QString ReadOnlyStatus(int language, const QString &fileName);
// The status line for a UTF-8 document that holds bytes that are not UTF-8.
QString StrayBytesStatus(int language, const QString &fileName, qsizetype count);
// A failed save: why, and whether to save under another name.
QString SaveFailedQuestion(int language, const QString &fileName, const QString &reason);
// The reason for a problem; detail is the folder, or the system's own words for Other.
QString WriteReason(int language, WriteProblem problem, const QString &detail, qint64 needed = 0, qint64 free = 0);
// A Windows-1252 document that had to be saved as UTF-8.
QString SwitchedToUtf8(int language);
// A document refused for a line the editor cannot lay out without stopping.
QString LineTooLong(int language, const QString &fileName, qsizetype line, qsizetype length, qsizetype longest);

// The password field of a locked document: its title, and what it asks, saying so when
// the password given before did not open it.
QString PasswordTitle(int language);
QString PasswordPrompt(int language, const QString &fileName, bool wrongBefore);

} // namespace DocumentMessages
