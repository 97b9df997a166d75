#pragma once

#include <QString>

// A file moved out of the way and put back unless dropped. One left behind by an
// export that never ended is put back first: whatever stands in its place then is
// most likely the half-written file of that export.
class OlderFile
{
public:
    // Whether a file at path is whole whenever it is there: the renderer writes its WAV
    // under another name and renames it at the end; an encoder writes in place.
    enum class NewFile { MayBeHalfWritten, WholeWhenThere };

    OlderFile(const QString &path, const QString &aside, NewFile newFile = NewFile::MayBeHalfWritten);
    ~OlderFile() { Restore(); }
    OlderFile(const OlderFile &) = delete;
    OlderFile &operator=(const OlderFile &) = delete;

    bool StepAside();
    void Restore();
    void Drop();

private:
    QString m_path;
    QString m_aside;
    bool m_movedAside = false;
};
