#include "core/documents/ZipArchive.h"

#include <QFile>

#include <zip.h>

ZipArchive::ZipArchive(const QString &fileName, qint64 unpackedLimit)
    : m_left(unpackedLimit)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(fileName).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!m_zip) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        m_error = QStringLiteral("it is not a complete ZIP container (%1)").arg(QString::fromUtf8(zip_error_strerror(&error)));
        zip_error_fini(&error);
    }
}

ZipArchive::~ZipArchive()
{
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::Contains(const QString &entry) const
{
    return m_zip && zip_name_locate(m_zip, entry.toUtf8().constData(), 0) >= 0;
}

std::optional<QByteArray> ZipArchive::Read(const QString &entry)
{
    m_overLimit = false;
    if (!m_zip)
        return std::nullopt;
    const QByteArray name = entry.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_zip, name.constData(), 0, &stat) != 0) {
        m_error = QStringLiteral("%1 is missing from it").arg(entry);
        return std::nullopt;
    }
    // The size the archive states is checked first; the bytes read are counted as well,
    // since a forged entry may state less than it holds.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > quint64(m_left)) {
        m_overLimit = true;
        m_error = QStringLiteral("it unpacks to more than %1 MB").arg(kUnpackedLimit / (1024 * 1024));
        return std::nullopt;
    }
    zip_file_t *file = zip_fopen(m_zip, name.constData(), 0);
    if (!file) {
        m_error = QStringLiteral("%1 cannot be unpacked (%2)").arg(entry, QString::fromUtf8(zip_strerror(m_zip)));
        return std::nullopt;
    }
    QByteArray bytes;
    char buffer[64 * 1024];
    bool failed = false;
    for (;;) {
        const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
        if (got < 0) {
            failed = true;
            break;
        }
        if (got == 0)
            break;
        if (got > m_left) {
            m_overLimit = true;
            break;
        }
        m_left -= got;
        bytes.append(buffer, qsizetype(got));
    }
    if (failed)
        m_error = QStringLiteral("%1 is damaged (%2)").arg(entry, QString::fromUtf8(zip_file_strerror(file)));
    zip_fclose(file);
    if (m_overLimit) {
        m_error = QStringLiteral("it unpacks to more than %1 MB").arg(kUnpackedLimit / (1024 * 1024));
        return std::nullopt;
    }
    if (failed)
        return std::nullopt;
    return bytes;
}
