#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct zip;

// A ZIP container (an office document, an e-book) read entry by entry. Every entry
// read counts against one limit of unpacked bytes for the whole archive, so that a
// small file that unpacks to gigabytes is refused instead of filling the memory.
class ZipArchive
{
public:
    static constexpr qint64 kUnpackedLimit = 256LL * 1024 * 1024;

    explicit ZipArchive(const QString &fileName, qint64 unpackedLimit = kUnpackedLimit);
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool IsOpen() const { return m_zip != nullptr; }
    // Why the archive or the last entry could not be read.
    QString Error() const { return m_error; }
    // True when the last refusal was the unpacked-size limit.
    bool OverLimit() const { return m_overLimit; }

    bool Contains(const QString &entry) const;
    // The entry's bytes; nothing when it is missing, damaged or over the limit.
    std::optional<QByteArray> Read(const QString &entry);

private:
    zip *m_zip = nullptr;
    qint64 m_left;
    QString m_error;
    bool m_overLimit = false;
};
