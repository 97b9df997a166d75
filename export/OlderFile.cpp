#include "export/OlderFile.h"

#include <QFile>
#include <QFileInfo>

OlderFile::OlderFile(const QString &path, const QString &aside, NewFile newFile) : m_path(path), m_aside(aside)
{
    // Left by an export that never ended: the older file goes back, unless the
    // renderer finished the newer one, which is then the one kept.
    if (QFileInfo::exists(m_aside)) {
        if (newFile == NewFile::WholeWhenThere && QFileInfo::exists(m_path)) {
            QFile::remove(m_aside);
        } else {
            QFile::remove(m_path);
            QFile::rename(m_aside, m_path);
        }
    }
}

bool OlderFile::StepAside()
{
    if (!QFileInfo::exists(m_path))
        return true;
    m_movedAside = QFile::rename(m_path, m_aside);
    return m_movedAside;
}

void OlderFile::Restore()
{
    if (!m_movedAside)
        return;
    QFile::remove(m_path);
    m_movedAside = !QFile::rename(m_aside, m_path);
}

void OlderFile::Drop()
{
    if (m_movedAside)
        QFile::remove(m_aside);
    m_movedAside = false;
}
