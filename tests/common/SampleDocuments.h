#pragma once

// Documents of each kind, made by the test itself: a laid-out PDF drawn with Qt's PDF
// writer, and the ZIP containers of the office and e-book formats packed with libzip.

#include <QFile>
#include <QFont>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <zip.h>

#include <utility>
#include <vector>

namespace Samples {

// A line of text placed at (x, baseline y) in points, in the given size.
struct Placed
{
    double x;
    double y;
    QString text;
    int size = 10;
};
using PageLines = std::vector<Placed>;

inline bool WritePdf(const QString &path, const std::vector<PageLines> &pages)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0)
            writer.newPage();
        for (const Placed &line : pages[p]) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(line.size);
            painter.setFont(font);
            painter.drawText(QPointF(line.x, line.y), line.text);
        }
    }
    return painter.end();
}

// Lines one under another from a baseline, 14 points apart.
inline void Column(PageLines &page, double x, double y, std::initializer_list<const char *> lines)
{
    for (const char *line : lines) {
        page.push_back({x, y, QString::fromUtf8(line)});
        y += 14;
    }
}

// A worksheet of three pages: a running header and a page number on each, a heading,
// a word broken at a line end, and a page of two columns.
inline std::vector<PageLines> Worksheet()
{
    std::vector<PageLines> pages(3);
    for (int p = 0; p < 3; ++p) {
        pages[p].push_back({50, 40, QStringLiteral("Fitxa de treball · Ciències naturals")});
        pages[p].push_back({270, 810, QStringLiteral("Pàgina %1 de 3").arg(p + 1)});
    }
    pages[0].push_back({50, 100, QStringLiteral("Les plantes"), 18});
    Column(pages[0], 50, 140, {"Les plantes fan la fotosíntesi a les fulles i necessiten llum,",
                               "aigua i diòxid de carboni per a la seva vida. És un procés de contin-",
                               "uació que no s'atura mai mentre hi ha llum."});
    Column(pages[0], 50, 210, {"Segon paràgraf curt."});
    Column(pages[1], 50, 100, {"La columna esquerra comença", "aquí i continua a sota."});
    Column(pages[1], 50, 150, {"Un altre paràgraf a l'esquerra."});
    Column(pages[1], 320, 100, {"La columna dreta ve després", "de tota l'esquerra."});
    Column(pages[2], 50, 100, {"Final de la fitxa."});
    return pages;
}

inline const char *WorksheetText()
{
    return "Les plantes\n\n"
           "Les plantes fan la fotosíntesi a les fulles i necessiten llum, aigua i diòxid de carboni per a la "
           "seva vida. És un procés de continuació que no s'atura mai mentre hi ha llum.\n\n"
           "Segon paràgraf curt.\n\n"
           "La columna esquerra comença aquí i continua a sota.\n\n"
           "Un altre paràgraf a l'esquerra.\n\n"
           "La columna dreta ve després de tota l'esquerra.\n\n"
           "Final de la fitxa.\n";
}

// A ZIP container of the given entries, in order; the first is stored unpacked (as
// the e-book and OpenDocument formats want their "mimetype").
inline bool WriteZip(const QString &path, const std::vector<std::pair<const char *, QByteArray>> &entries)
{
    QFile::remove(path);
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (size_t i = 0; i < entries.size(); ++i) {
        zip_source_t *source = zip_source_buffer(archive, entries[i].second.constData(),
                                                 zip_uint64_t(entries[i].second.size()), 0);
        const zip_int64_t index = source ? zip_file_add(archive, entries[i].first, source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        if (i == 0)
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    return zip_close(archive) == 0;
}

inline QByteArray Docx()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>
<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Títol del document</w:t></w:r></w:p>
<w:p><w:r><w:t xml:space="preserve">Text amb una nota</w:t></w:r><w:r><w:footnoteReference w:id="2"/></w:r><w:r><w:t xml:space="preserve"> al peu, </w:t></w:r><w:r><w:t>partit</w:t></w:r><w:r><w:br/><w:t>en dues línies.</w:t></w:r></w:p>
<w:tbl><w:tr><w:tc><w:p><w:r><w:t>Nom</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>Edat</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>Anna</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>12</w:t></w:r></w:p></w:tc></w:tr></w:tbl>
<w:p><w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:delText>esborrat</w:delText></w:r><w:r><w:t>Darrer paràgraf.</w:t></w:r></w:p>
</w:body></w:document>)";
}

inline QByteArray DocxFootnotes()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<w:footnotes xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">
<w:footnote w:type="separator" w:id="0"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>
<w:footnote w:id="2"><w:p><w:r><w:footnoteRef/></w:r><w:r><w:t xml:space="preserve"> La nota diu això.</w:t></w:r></w:p></w:footnote>
</w:footnotes>)";
}

inline const char *OfficeText()
{
    return "Títol del document\n\n"
           "Text amb una nota1 al peu, partit en dues línies.\n\n"
           "Nom · Edat\n\n"
           "Anna · 12\n\n"
           "Darrer paràgraf.\n\n"
           "1. La nota diu això.\n";
}

inline bool WriteDocx(const QString &path)
{
    return WriteZip(path, {{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                           {"word/document.xml", Docx()},
                           {"word/footnotes.xml", DocxFootnotes()}});
}

inline bool WriteOdt(const QString &path)
{
    const QByteArray content = R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0">
<office:automatic-styles/><office:body><office:text><text:sequence-decls><text:sequence-decl text:name="Illustration"/></text:sequence-decls>
<text:h text:outline-level="1">Títol del document</text:h>
<text:p>Text amb una nota<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation><text:note-body><text:p>La nota diu això.</text:p></text:note-body></text:note> al peu,<text:s/>partit<text:line-break/>en dues línies.</text:p>
<table:table><table:table-row><table:table-cell><text:p>Nom</text:p></table:table-cell><table:table-cell><text:p>Edat</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>Anna</text:p></table:table-cell><table:table-cell><text:p>12</text:p></table:table-cell></table:table-row></table:table>
<text:p>Darrer paràgraf.</text:p>
</office:text></office:body></office:document-content>)";
    return WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", content}});
}

inline QByteArray Chapter(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\">"
           "<head><title>capítol</title><style>p { margin: 0 }</style></head><body>"
        + body + "</body></html>";
}

// A book of three chapters whose table of contents names only the first and the last;
// the second has a picture and a footnote. With drm, its chapters are locked.
inline bool WriteEpub(const QString &path, bool drm = false)
{
    std::vector<std::pair<const char *, QByteArray>> entries = {
        {"mimetype", "application/epub+zip"},
        {"META-INF/container.xml",
         R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">)"
         R"(<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/></rootfiles></container>)"},
        {"OEBPS/content.opf",
         R"(<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0"><metadata/><manifest>)"
         R"(<item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>)"
         R"(<item id="c1" href="text/cap1.xhtml" media-type="application/xhtml+xml"/>)"
         R"(<item id="c2" href="text/cap%202.xhtml" media-type="application/xhtml+xml"/>)"
         R"(<item id="c3" href="text/cap3.xhtml" media-type="application/xhtml+xml"/>)"
         R"(</manifest><spine><itemref idref="c1"/><itemref idref="c2"/><itemref idref="c3"/></spine></package>)"},
        {"OEBPS/nav.xhtml", Chapter(R"(<nav epub:type="toc"><ol><li><a href="text/cap1.xhtml">U</a></li><li><a href="text/cap3.xhtml">Tres</a></li></ol></nav>)")},
        {"OEBPS/text/cap1.xhtml", Chapter("<h1>Capítol u</h1><p>El viatge comen&ccedil;a&nbsp;aqu&iacute;.</p>")},
        {"OEBPS/text/cap 2.xhtml",
         Chapter(R"(<h1>Capítol dos</h1><p>Mireu el mapa<a epub:type="noteref" href="#n1">1</a>: <img src="mapa.png" alt="Un mapa de Catalunya"/></p>)"
                 R"(<table><tr><th>Ciutat</th><th>Habitants</th></tr><tr><td>Vic</td><td>47 000</td></tr></table>)"
                 R"(<aside epub:type="footnote" id="n1"><p>1. El mapa és de 1900.</p></aside><script>var x = 1;</script>)")},
        {"OEBPS/text/cap3.xhtml", Chapter("<h1>Capítol tres</h1><p>I s'acaba.</p>")},
    };
    if (drm)
        entries.push_back({"META-INF/encryption.xml",
                           R"(<encryption xmlns="urn:oasis:names:tc:opendocument:xmlns:container" xmlns:enc="http://www.w3.org/2001/04/xmlenc#">)"
                           R"(<enc:EncryptedData><enc:EncryptionMethod Algorithm="http://www.w3.org/2001/04/xmlenc#aes128-cbc"/>)"
                           R"(<enc:CipherData><enc:CipherReference URI="OEBPS/text/cap1.xhtml"/></enc:CipherData></enc:EncryptedData></encryption>)"});
    return WriteZip(path, entries);
}

inline const char *EpubText()
{
    return "Capítol u\n\n"
           "El viatge comença aquí.\n\n"
           "Capítol dos\n\n"
           "Mireu el mapa1: [Un mapa de Catalunya]\n\n"
           "Ciutat · Habitants\n\n"
           "Vic · 47 000\n\n"
           "Capítol tres\n\n"
           "I s'acaba.\n\n"
           "1. El mapa és de 1900.\n";
}

} // namespace Samples
