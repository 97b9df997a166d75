// The XML inside office documents and e-books: a well-formed DOCX, ODT or EPUB with one
// of its entries (the first byte chooses which) replaced by the rest of the input.
// The reader gives text, or a reason when it cannot.
#include "core/documents/DocumentReaders.h"

#include <QTemporaryDir>

#include <zip.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

using Entries = std::array<std::pair<const char *, const char *>, 5>;

const Entries kDocx = {{
    {"[Content_Types].xml", "<Types/>"},
    {"word/document.xml", "<w:document xmlns:w=\"w\"><w:body><w:p><w:r><w:t>Bon dia</w:t></w:r>"
                          "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p><w:tbl><w:tr><w:tc><w:p><w:r><w:t>a</w:t>"
                          "</w:r></w:p></w:tc></w:tr></w:tbl></w:body></w:document>"},
    {"word/footnotes.xml", "<w:footnotes xmlns:w=\"w\"><w:footnote w:id=\"1\"><w:p><w:r><w:t>nota</w:t></w:r></w:p>"
                           "</w:footnote></w:footnotes>"},
    {"word/endnotes.xml", "<w:endnotes xmlns:w=\"w\"/>"},
    {nullptr, nullptr},
}};
const Entries kOdt = {{
    {"mimetype", "application/vnd.oasis.opendocument.text"},
    {"content.xml", "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\"><office:body><office:text>"
                    "<text:h>Títol</text:h><text:p>Bon <text:span>dia</text:span><text:note><text:note-citation>1"
                    "</text:note-citation><text:note-body><text:p>nota</text:p></text:note-body></text:note></text:p>"
                    "</office:text></office:body></office:document-content>"},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
}};
const Entries kEpub = {{
    {"mimetype", "application/epub+zip"},
    {"META-INF/container.xml", "<container><rootfiles><rootfile full-path=\"OEBPS/content.opf\"/></rootfiles></container>"},
    {"OEBPS/content.opf", "<package><manifest><item id=\"c1\" href=\"c%201.xhtml\"/></manifest><spine><itemref idref=\"c1\"/>"
                          "</spine></package>"},
    {"OEBPS/c 1.xhtml", "<html><body><p>Bon dia</p><ol><li>u</li></ol><img alt=\"foto\"/></body></html>"},
    {"META-INF/encryption.xml", "<encryption><EncryptionMethod Algorithm=\"http://www.idpf.org/2008/embedding\"/></encryption>"},
}};

bool WriteZip(const QString &name, const Entries &entries, size_t replaced, const char *bytes, size_t size)
{
    int error = 0;
    zip_t *archive = zip_open(name.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (size_t i = 0; i < entries.size() && entries[i].first; ++i) {
        const char *text = i == replaced ? bytes : entries[i].second;
        const size_t length = i == replaced ? size : std::strlen(text);
        zip_source_t *source = zip_source_buffer(archive, text, length, 0);
        const zip_int64_t added = source ? zip_file_add(archive, entries[i].first, source, ZIP_FL_ENC_UTF_8) : -1;
        if (added < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        // Stored, not deflated: the reader is what is fuzzed, and packing is slow.
        zip_set_file_compression(archive, zip_uint64_t(added), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static QTemporaryDir folder;
    static const QString name = folder.filePath(QStringLiteral("document.zip"));
    const Entries *kinds[] = {&kDocx, &kOdt, &kEpub};
    const Entries &entries = *kinds[(data[0] >> 4) % 3];
    size_t replaced = (data[0] & 0x0F) % entries.size();
    if (!entries[replaced].first)
        replaced = 1;
    if (!WriteZip(name, entries, replaced, reinterpret_cast<const char *>(data + 1), size - 1))
        return 0;
    const ReaderOutcome outcome = ReadPackageText(name, {});
    if (!outcome.ok && outcome.error.isEmpty())
        std::abort();
    return 0;
}
