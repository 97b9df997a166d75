#include "book/EpubBook.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QXmlStreamWriter>

#include <zip.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

const QString kXhtml = QStringLiteral("http://www.w3.org/1999/xhtml");
const QString kOps = QStringLiteral("http://www.idpf.org/2007/ops");
// The class readers give the sentence being heard; the style sheet lights it up.
const QString kActiveClass = QStringLiteral("-epub-media-overlay-active");

QString Numbered(const char *stem, int number, const char *extension)
{
    return QStringLiteral("%1-%2.%3")
        .arg(QLatin1String(stem))
        .arg(number, 3, 10, QLatin1Char('0'))
        .arg(QLatin1String(extension));
}

QString PageName(int number) { return Numbered("chapter", number, "xhtml"); }
QString OverlayName(int number) { return Numbered("chapter", number, "smil"); }
QString AudioName(int number) { return Numbered("chapter", number, "mp3"); }

bool IsXmlCharacter(char32_t c)
{
    if (c == 0x9 || c == 0xA || c == 0xD)
        return true;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    if (c >= 0xFDD0 && c <= 0xFDEF)
        return false;
    if ((c & 0xFFFE) == 0xFFFE)
        return false;
    return c <= 0x10FFFF;
}

// Writes one XML file of the book through `body`; false with the reason when the file
// cannot be written whole.
// Pages are written as they are (a line break or indent inside a paragraph would be
// part of its text); the other files indented, for whoever opens them.
enum class Layout { Indented, AsIs };

bool WriteXmlFile(const QString &path, const std::function<void(QXmlStreamWriter &)> &body, QString *error,
                  Layout layout = Layout::Indented)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(layout == Layout::Indented);
    xml.writeStartDocument();
    body(xml);
    xml.writeEndDocument();
    if (!file.flush() || xml.hasError() || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    return true;
}

void StartPage(QXmlStreamWriter &xml, const QString &title, const QString &language, const QString &styleHref)
{
    xml.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    xml.writeStartElement(QStringLiteral("html"));
    xml.writeDefaultNamespace(kXhtml);
    xml.writeNamespace(kOps, QStringLiteral("epub"));
    xml.writeAttribute(QStringLiteral("xml:lang"), language);
    xml.writeAttribute(QStringLiteral("lang"), language);
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeStartElement(QStringLiteral("meta"));
    xml.writeAttribute(QStringLiteral("charset"), QStringLiteral("utf-8"));
    xml.writeEndElement();
    xml.writeTextElement(QStringLiteral("title"), XmlSafeText(title));
    if (!styleHref.isEmpty()) {
        xml.writeStartElement(QStringLiteral("link"));
        xml.writeAttribute(QStringLiteral("rel"), QStringLiteral("stylesheet"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("text/css"));
        xml.writeAttribute(QStringLiteral("href"), styleHref);
        xml.writeEndElement();
    }
    xml.writeEndElement();  // head
    xml.writeStartElement(QStringLiteral("body"));
}

// A sentence's words, each in an element of its own ("s3w2", the second word of the
// third sentence), the blanks between them as they are.
void WriteWords(QXmlStreamWriter &xml, const QString &sentence, qsizetype number)
{
    qsizetype i = 0;
    int word = 0;
    while (i < sentence.size()) {
        const qsizetype start = i;
        while (i < sentence.size() && sentence.at(i).isSpace())
            ++i;
        if (i > start)
            xml.writeCharacters(XmlSafeText(sentence.mid(start, i - start)));
        const qsizetype wordStart = i;
        while (i < sentence.size() && !sentence.at(i).isSpace())
            ++i;
        const QString text = XmlSafeText(sentence.mid(wordStart, i - wordStart));
        if (text.isEmpty())
            continue;
        xml.writeStartElement(QStringLiteral("span"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("s%1w%2").arg(number).arg(++word));
        xml.writeCharacters(text);
        xml.writeEndElement();
    }
}

// A paragraph's text with each of its sentences in an element of its own.
void WriteSentences(QXmlStreamWriter &xml, const QString &text, const QList<BookSentence> &sentences,
                    qsizetype &next, int paragraph, EpubBook::Marking marking)
{
    qsizetype written = 0;
    for (; next < sentences.size() && sentences.at(next).paragraph == paragraph; ++next) {
        const BookSentence &sentence = sentences.at(next);
        if (sentence.start > written)
            xml.writeCharacters(XmlSafeText(text.mid(written, sentence.start - written)));
        xml.writeStartElement(QStringLiteral("span"));
        xml.writeAttribute(QStringLiteral("id"), QStringLiteral("s%1").arg(next + 1));
        const QString said = text.mid(sentence.start, sentence.end - sentence.start);
        if (marking == EpubBook::Marking::SentencesAndWords)
            WriteWords(xml, said, next + 1);
        else
            xml.writeCharacters(XmlSafeText(said));
        xml.writeEndElement();
        written = sentence.end;
    }
    if (written < text.size())
        xml.writeCharacters(XmlSafeText(text.mid(written)));
}

bool AddToZip(zip_t *archive, const QString &name, zip_source_t *source, bool store, QString *error)
{
    if (!source) {
        *error = QString::fromUtf8(zip_strerror(archive));
        return false;
    }
    const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source,
                                           ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(source);
        *error = QString::fromUtf8(zip_strerror(archive));
        return false;
    }
    if (store && zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0) != 0) {
        *error = QString::fromUtf8(zip_strerror(archive));
        return false;
    }
    return true;
}

const char kMimeType[] = "application/epub+zip";

const char kStyle[] = "body { line-height: 1.5; }\n"
                      ".-epub-media-overlay-active { background-color: #ffeb3b; color: #000000; }\n";

} // namespace

QString XmlSafeText(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(c, text.at(i + 1));
            if (IsXmlCharacter(code))
                safe += QStringView(text).mid(i, 2);
            ++i;
        } else if (IsXmlCharacter(c.unicode())) {
            safe += c;
        }
    }
    return safe;
}

QString ClockValue(qint64 ms)
{
    ms = qMax<qint64>(0, ms);
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000)
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

EpubBook::EpubBook(const QString &folder, const QString &title, const QString &language, const QString &narrator)
    : m_folder(folder), m_title(XmlSafeText(title).simplified()), m_language(language), m_narrator(narrator)
{
    if (m_title.isEmpty())
        m_title = QStringLiteral("-");
    QDir(m_folder).mkpath(QStringLiteral("OEBPS/text"));
    QDir(m_folder).mkpath(QStringLiteral("OEBPS/smil"));
    QDir(m_folder).mkpath(QStringLiteral("OEBPS/audio"));
}

QString EpubBook::AudioPath(int number) const
{
    return m_folder + QStringLiteral("/OEBPS/audio/") + AudioName(number);
}

bool EpubBook::AddChapter(const BookChapter &chapter, const QList<BookSentence> &sentences, qint64 soundMs,
                          QString *error, Marking marking)
{
    const int number = Chapters() + 1;
    // A title of nothing but characters a page cannot hold is named by its number.
    QString title = XmlSafeText(chapter.title).simplified();
    if (title.isEmpty())
        title = QString::number(number);
    const bool paged = WriteXmlFile(
        m_folder + QStringLiteral("/OEBPS/text/") + PageName(number),
        [&](QXmlStreamWriter &xml) {
            StartPage(xml, title, m_language, QStringLiteral("../style.css"));
            xml.writeStartElement(QStringLiteral("section"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("chapter"));
            qsizetype next = 0;
            for (int p = 0; p < chapter.paragraphs.size(); ++p) {
                const BookParagraph &paragraph = chapter.paragraphs.at(p);
                xml.writeStartElement(paragraph.heading ? QStringLiteral("h1") : QStringLiteral("p"));
                // A paragraph in another language than the book's says so, for the reading
                // system's voice and hyphenation.
                if (!paragraph.language.isEmpty()
                    && paragraph.language.section(QLatin1Char('-'), 0, 0) != m_language.section(QLatin1Char('-'), 0, 0)) {
                    xml.writeAttribute(QStringLiteral("xml:lang"), paragraph.language);
                    xml.writeAttribute(QStringLiteral("lang"), paragraph.language);
                }
                WriteSentences(xml, paragraph.text, sentences, next, p, marking);
                xml.writeEndElement();
            }
            xml.writeEndElement();  // section
            xml.writeEndElement();  // body
            xml.writeEndElement();  // html
        },
        error, Layout::AsIs);
    if (!paged)
        return false;
    const bool overlaid = WriteXmlFile(
        m_folder + QStringLiteral("/OEBPS/smil/") + OverlayName(number),
        [&](QXmlStreamWriter &xml) {
            const QString page = QStringLiteral("../text/") + PageName(number);
            const QString audio = QStringLiteral("../audio/") + AudioName(number);
            xml.writeStartElement(QStringLiteral("smil"));
            xml.writeDefaultNamespace(QStringLiteral("http://www.w3.org/ns/SMIL"));
            xml.writeNamespace(kOps, QStringLiteral("epub"));
            xml.writeAttribute(QStringLiteral("version"), QStringLiteral("3.0"));
            xml.writeStartElement(QStringLiteral("body"));
            xml.writeStartElement(QStringLiteral("seq"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("seq1"));
            xml.writeAttribute(kOps, QStringLiteral("textref"), page + QStringLiteral("#chapter"));
            // A sentence that lasts no time (the voice said nothing of it) has no clip: its
            // neighbours are heard around it.
            for (qsizetype i = 0; i < sentences.size(); ++i) {
                const BookSentence &sentence = sentences.at(i);
                if (sentence.endMs <= sentence.beginMs)
                    continue;
                xml.writeStartElement(QStringLiteral("par"));
                xml.writeAttribute(QStringLiteral("id"), QStringLiteral("p%1").arg(i + 1));
                xml.writeEmptyElement(QStringLiteral("text"));
                xml.writeAttribute(QStringLiteral("src"), page + QStringLiteral("#s%1").arg(i + 1));
                xml.writeEmptyElement(QStringLiteral("audio"));
                xml.writeAttribute(QStringLiteral("src"), audio);
                xml.writeAttribute(QStringLiteral("clipBegin"), ClockValue(sentence.beginMs));
                xml.writeAttribute(QStringLiteral("clipEnd"), ClockValue(sentence.endMs));
                xml.writeEndElement();  // par
            }
            xml.writeEndElement();  // seq
            xml.writeEndElement();  // body
            xml.writeEndElement();  // smil
        },
        error);
    if (!overlaid)
        return false;
    m_chapters.append({title, soundMs});
    return true;
}

bool EpubBook::WriteNavigation(QString *error) const
{
    return WriteXmlFile(
        m_folder + QStringLiteral("/OEBPS/nav.xhtml"),
        [&](QXmlStreamWriter &xml) {
            StartPage(xml, m_title, m_language, QString());
            xml.writeStartElement(QStringLiteral("nav"));
            xml.writeAttribute(kOps, QStringLiteral("type"), QStringLiteral("toc"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("toc"));
            xml.writeTextElement(QStringLiteral("h1"), XmlSafeText(m_title));
            xml.writeStartElement(QStringLiteral("ol"));
            for (int i = 0; i < m_chapters.size(); ++i) {
                xml.writeStartElement(QStringLiteral("li"));
                xml.writeStartElement(QStringLiteral("a"));
                xml.writeAttribute(QStringLiteral("href"), QStringLiteral("text/") + PageName(i + 1));
                xml.writeCharacters(XmlSafeText(m_chapters.at(i).title));
                xml.writeEndElement();
                xml.writeEndElement();
            }
            xml.writeEndElement();  // ol
            xml.writeEndElement();  // nav
            xml.writeEndElement();  // body
            xml.writeEndElement();  // html
        },
        error);
}

bool EpubBook::WritePackage(QString *error) const
{
    qint64 totalMs = 0;
    for (const Written &chapter : m_chapters)
        totalMs += chapter.soundMs;
    const QString opf = QStringLiteral("http://www.idpf.org/2007/opf");
    return WriteXmlFile(
        m_folder + QStringLiteral("/OEBPS/content.opf"),
        [&](QXmlStreamWriter &xml) {
            const auto meta = [&xml](const QString &property, const QString &value, const QString &refines = {}) {
                xml.writeStartElement(QStringLiteral("meta"));
                xml.writeAttribute(QStringLiteral("property"), property);
                if (!refines.isEmpty())
                    xml.writeAttribute(QStringLiteral("refines"), refines);
                xml.writeCharacters(value);
                xml.writeEndElement();
            };
            const auto item = [&xml](const QString &id, const QString &href, const QString &type,
                                     const QString &overlay = {}, const QString &properties = {}) {
                xml.writeEmptyElement(QStringLiteral("item"));
                xml.writeAttribute(QStringLiteral("id"), id);
                xml.writeAttribute(QStringLiteral("href"), href);
                xml.writeAttribute(QStringLiteral("media-type"), type);
                if (!overlay.isEmpty())
                    xml.writeAttribute(QStringLiteral("media-overlay"), overlay);
                if (!properties.isEmpty())
                    xml.writeAttribute(QStringLiteral("properties"), properties);
            };
            xml.writeStartElement(QStringLiteral("package"));
            xml.writeDefaultNamespace(opf);
            xml.writeAttribute(QStringLiteral("version"), QStringLiteral("3.0"));
            xml.writeAttribute(QStringLiteral("unique-identifier"), QStringLiteral("book-id"));
            xml.writeAttribute(QStringLiteral("xml:lang"), m_language);
            xml.writeStartElement(QStringLiteral("metadata"));
            xml.writeNamespace(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
            xml.writeStartElement(QStringLiteral("dc:identifier"));
            xml.writeAttribute(QStringLiteral("id"), QStringLiteral("book-id"));
            xml.writeCharacters(QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces));
            xml.writeEndElement();
            xml.writeTextElement(QStringLiteral("dc:title"), XmlSafeText(m_title));
            xml.writeTextElement(QStringLiteral("dc:language"), m_language);
            if (!m_narrator.isEmpty()) {
                xml.writeTextElement(QStringLiteral("dc:contributor"), XmlSafeText(m_narrator));
                meta(QStringLiteral("media:narrator"), XmlSafeText(m_narrator));
            }
            meta(QStringLiteral("dcterms:modified"),
                 QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddThh:mm:ssZ")));
            meta(QStringLiteral("media:active-class"), kActiveClass);
            meta(QStringLiteral("media:duration"), ClockValue(totalMs));
            for (int i = 0; i < m_chapters.size(); ++i)
                meta(QStringLiteral("media:duration"), ClockValue(m_chapters.at(i).soundMs),
                     QStringLiteral("#overlay-%1").arg(i + 1));
            xml.writeEndElement();  // metadata
            xml.writeStartElement(QStringLiteral("manifest"));
            item(QStringLiteral("nav"), QStringLiteral("nav.xhtml"), QStringLiteral("application/xhtml+xml"), {},
                 QStringLiteral("nav"));
            item(QStringLiteral("style"), QStringLiteral("style.css"), QStringLiteral("text/css"));
            for (int i = 1; i <= m_chapters.size(); ++i) {
                item(QStringLiteral("page-%1").arg(i), QStringLiteral("text/") + PageName(i),
                     QStringLiteral("application/xhtml+xml"), QStringLiteral("overlay-%1").arg(i));
                item(QStringLiteral("overlay-%1").arg(i), QStringLiteral("smil/") + OverlayName(i),
                     QStringLiteral("application/smil+xml"));
                item(QStringLiteral("audio-%1").arg(i), QStringLiteral("audio/") + AudioName(i),
                     QStringLiteral("audio/mpeg"));
            }
            xml.writeEndElement();  // manifest
            xml.writeStartElement(QStringLiteral("spine"));
            for (int i = 1; i <= m_chapters.size(); ++i) {
                xml.writeEmptyElement(QStringLiteral("itemref"));
                xml.writeAttribute(QStringLiteral("idref"), QStringLiteral("page-%1").arg(i));
            }
            xml.writeEndElement();  // spine
            xml.writeEndElement();  // package
        },
        error);
}

bool EpubBook::Pack(const QString &epubPath, QString *error) const
{
    if (!WriteNavigation(error) || !WritePackage(error))
        return false;
    const bool contained = WriteXmlFile(
        m_folder + QStringLiteral("/container.xml"),
        [](QXmlStreamWriter &xml) {
            xml.writeStartElement(QStringLiteral("container"));
            xml.writeDefaultNamespace(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:container"));
            xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
            xml.writeStartElement(QStringLiteral("rootfiles"));
            xml.writeEmptyElement(QStringLiteral("rootfile"));
            xml.writeAttribute(QStringLiteral("full-path"), QStringLiteral("OEBPS/content.opf"));
            xml.writeAttribute(QStringLiteral("media-type"), QStringLiteral("application/oebps-package+xml"));
            xml.writeEndElement();
            xml.writeEndElement();
        },
        error);
    if (!contained)
        return false;

    // Packed under a hidden name beside the book and renamed over it once whole.
    const QFileInfo target(epubPath);
    const QString part = target.path() + QStringLiteral("/.") + target.fileName()
                         + QStringLiteral(".part-%1").arg(QCoreApplication::applicationPid());
    QFile::remove(part);
    int status = 0;
    zip_t *archive = zip_open(QFile::encodeName(part).constData(), ZIP_CREATE | ZIP_TRUNCATE, &status);
    if (!archive) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, status);
        *error = QStringLiteral("%1: %2").arg(part, QString::fromUtf8(zip_error_strerror(&zipError)));
        zip_error_fini(&zipError);
        return false;
    }
    // The media type comes first and unpacked, so that it can be read at a fixed place.
    bool added = AddToZip(archive, QStringLiteral("mimetype"),
                          zip_source_buffer(archive, kMimeType, sizeof kMimeType - 1, 0), true, error)
                 && AddToZip(archive, QStringLiteral("OEBPS/style.css"),
                             zip_source_buffer(archive, kStyle, sizeof kStyle - 1, 0), false, error);
    const auto addFile = [&](const QString &path, const QString &name, bool store) {
        added = added
                && AddToZip(archive, name, zip_source_file(archive, QFile::encodeName(path).constData(), 0, -1), store,
                            error);
    };
    addFile(m_folder + QStringLiteral("/container.xml"), QStringLiteral("META-INF/container.xml"), false);
    addFile(m_folder + QStringLiteral("/OEBPS/content.opf"), QStringLiteral("OEBPS/content.opf"), false);
    addFile(m_folder + QStringLiteral("/OEBPS/nav.xhtml"), QStringLiteral("OEBPS/nav.xhtml"), false);
    for (int i = 1; i <= m_chapters.size(); ++i) {
        addFile(m_folder + QStringLiteral("/OEBPS/text/") + PageName(i), QStringLiteral("OEBPS/text/") + PageName(i),
                false);
        addFile(m_folder + QStringLiteral("/OEBPS/smil/") + OverlayName(i),
                QStringLiteral("OEBPS/smil/") + OverlayName(i), false);
        // MP3 packs no smaller: stored, it is packed in the time it takes to copy.
        addFile(AudioPath(i), QStringLiteral("OEBPS/audio/") + AudioName(i), true);
    }
    if (!added) {
        zip_discard(archive);
        QFile::remove(part);
        return false;
    }
    if (zip_close(archive) != 0) {
        *error = QStringLiteral("%1: %2").arg(epubPath, QString::fromUtf8(zip_strerror(archive)));
        zip_discard(archive);
        QFile::remove(part);
        return false;
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(epubPath).constData()) != 0) {
        *error = QStringLiteral("%1: %2").arg(epubPath, QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(part);
        return false;
    }
    return true;
}
