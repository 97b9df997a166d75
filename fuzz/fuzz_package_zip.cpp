// Office documents and e-books as their container comes: any bytes as the ZIP file.
// Whatever the archive claims about its entries, the reader gives text or a reason.
#include "core/documents/DocumentReaders.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir folder;
    static const QString name = folder.filePath(QStringLiteral("document.zip"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    const ReaderOutcome outcome = ReadPackageText(name, {});
    if (!outcome.ok && outcome.error.isEmpty())
        std::abort();
    return 0;
}
