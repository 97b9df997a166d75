#include "core/documents/DocumentReaders.h"
#include "core/documents/MarkupText.h"
#include "core/documents/TextCleanup.h"
#include "core/documents/ZipArchive.h"

#include <QDir>
#include <QHash>
#include <QUrl>
#include <QXmlStreamReader>

namespace {

QString DamagedXml(const QString &entry, const QXmlStreamReader &reader)
{
    return QStringLiteral("%1 is damaged (line %2: %3)").arg(entry).arg(reader.lineNumber()).arg(reader.errorString());
}

// The notes of a word-processing document by their id, each read as one paragraph.
QHash<QString, QString> WordNotes(const QByteArray &xml, QStringView noteElement)
{
    QHash<QString, QString> notes;
    QXmlStreamReader reader(xml);
    QString id, text;
    bool inNote = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            if (reader.name() == noteElement) {
                inNote = reader.attributes().value(QStringLiteral("w:type")).isEmpty();
                id = reader.attributes().value(QStringLiteral("w:id")).toString();
                text.clear();
            } else if (inNote && reader.name() == u"t") {
                text += reader.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (inNote && (reader.name() == u"tab" || reader.name() == u"br" || reader.name() == u"p")) {
                text += QLatin1Char(' ');
            }
        } else if (reader.isEndElement() && reader.name() == noteElement && inNote) {
            notes.insert(id, text.simplified());
            inNote = false;
        }
    }
    return notes;
}

ReaderOutcome ReadDocx(ZipArchive &zip)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("DOCX");
    const std::optional<QByteArray> body = zip.Read(QStringLiteral("word/document.xml"));
    if (!body) {
        outcome.error = zip.Error();
        return outcome;
    }
    QHash<QString, QString> footnotes, endnotes;
    for (const auto &[entry, element, target] : {std::tuple{"word/footnotes.xml", u"footnote", &footnotes},
                                                 std::tuple{"word/endnotes.xml", u"endnote", &endnotes}}) {
        if (!zip.Contains(QString::fromLatin1(entry)))
            continue;
        const std::optional<QByteArray> xml = zip.Read(QString::fromLatin1(entry));
        if (!xml) {
            outcome.error = zip.Error();
            return outcome;
        }
        *target = WordNotes(*xml, element);
    }

    TextCollector collector;
    QList<std::pair<QString, QString>> notes; // number, text, in the order they are referred to
    QXmlStreamReader reader(*body);
    int skipDepth = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isStartElement()) {
            if (skipDepth > 0 || name == u"instrText" || name == u"delText" || name == u"Fallback") {
                ++skipDepth;
                continue;
            }
            if (name == u"p") {
                collector.Break();
            } else if (name == u"tr") {
                collector.StartRow();
            } else if (name == u"tc") {
                collector.StartCell();
            } else if (name == u"t") {
                collector.Text(reader.readElementText(QXmlStreamReader::IncludeChildElements));
            } else if (name == u"tab" || name == u"br" || name == u"cr") {
                collector.Text(QStringLiteral(" "));
            } else if (name == u"noBreakHyphen") {
                collector.Text(QStringLiteral("-"));
            } else if (name == u"footnoteReference" || name == u"endnoteReference") {
                const QString id = reader.attributes().value(QStringLiteral("w:id")).toString();
                const QString number = QString::number(notes.size() + 1);
                collector.Text(number);
                notes.append({number, (name == u"footnoteReference" ? footnotes : endnotes).value(id)});
            } else if (name == u"docPr") {
                const QString alt = reader.attributes().value(QStringLiteral("descr")).toString().simplified();
                if (!alt.isEmpty())
                    collector.Text(QStringLiteral(" [") + alt + QStringLiteral("] "));
            }
        } else if (reader.isEndElement()) {
            if (skipDepth > 0) {
                --skipDepth;
                continue;
            }
            if (name == u"p")
                collector.Break();
            else if (name == u"tc")
                collector.EndCell();
            else if (name == u"tr")
                collector.EndRow();
        }
    }
    if (reader.hasError()) {
        outcome.error = DamagedXml(QStringLiteral("word/document.xml"), reader);
        return outcome;
    }
    collector.Break();
    for (const auto &[number, text] : notes) {
        collector.StartNote();
        collector.Text(text);
        collector.EndNote(number);
    }
    outcome.text = TextCleanup::JoinParagraphs(collector.Paragraphs());
    outcome.ok = true;
    return outcome;
}

ReaderOutcome ReadOdt(ZipArchive &zip)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("ODT");
    const std::optional<QByteArray> content = zip.Read(QStringLiteral("content.xml"));
    if (!content) {
        outcome.error = zip.Error();
        return outcome;
    }
    TextCollector collector;
    QXmlStreamReader reader(*content);
    int skipDepth = 0;
    QStringList citations; // the number of each note being read, innermost last
    bool inBody = false;
    while (!reader.atEnd()) {
        reader.readNext();
        const QStringView name = reader.name();
        if (reader.isStartElement()) {
            if (!inBody) {
                inBody = name == u"text" && reader.namespaceUri().contains(u"office");
                continue;
            }
            if (skipDepth > 0 || name == u"tracked-changes" || name == u"annotation" || name == u"sequence-decls") {
                ++skipDepth;
                continue;
            }
            if (name == u"p" || name == u"h") {
                collector.Break();
            } else if (name == u"table-row") {
                collector.StartRow();
            } else if (name == u"table-cell") {
                collector.StartCell();
            } else if (name == u"s") {
                const int count = std::clamp(reader.attributes().value(QStringLiteral("text:c")).toInt(), 1, 100);
                collector.Text(QString(count, QLatin1Char(' ')));
            } else if (name == u"tab" || name == u"line-break") {
                collector.Text(QStringLiteral(" "));
            } else if (name == u"note-citation") {
                const QString number = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
                citations.append(number);
                collector.Text(number);
            } else if (name == u"note-body") {
                collector.StartNote();
            } else if (name == u"title" || name == u"desc") {
                const QString alt = reader.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
                if (!alt.isEmpty())
                    collector.Text(QStringLiteral(" [") + alt + QStringLiteral("] "));
            }
        } else if (reader.isEndElement()) {
            if (!inBody)
                continue;
            if (skipDepth > 0) {
                --skipDepth;
                continue;
            }
            if (name == u"p" || name == u"h")
                collector.Break();
            else if (name == u"table-cell")
                collector.EndCell();
            else if (name == u"table-row")
                collector.EndRow();
            else if (name == u"note-body")
                collector.EndNote(citations.isEmpty() ? QString() : citations.takeLast());
            else if (name == u"text" && reader.namespaceUri().contains(u"office"))
                inBody = false;
        } else if (reader.isCharacters() && inBody && skipDepth == 0) {
            collector.Text(reader.text().toString());
        }
    }
    if (reader.hasError()) {
        outcome.error = DamagedXml(QStringLiteral("content.xml"), reader);
        return outcome;
    }
    outcome.text = TextCleanup::JoinParagraphs(collector.Paragraphs());
    outcome.ok = true;
    return outcome;
}

// An e-book whose chapters are locked to a reader program cannot be read here; the
// obfuscation of embedded fonts alone is no lock.
bool HasDrm(ZipArchive &zip)
{
    if (zip.Contains(QStringLiteral("META-INF/rights.xml")))
        return true;
    if (!zip.Contains(QStringLiteral("META-INF/encryption.xml")))
        return false;
    const std::optional<QByteArray> xml = zip.Read(QStringLiteral("META-INF/encryption.xml"));
    if (!xml)
        return true;
    QXmlStreamReader reader(*xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"EncryptionMethod") {
            const QStringView algorithm = reader.attributes().value(QStringLiteral("Algorithm"));
            if (algorithm != u"http://www.idpf.org/2008/embedding" && algorithm != u"http://ns.adobe.com/pdf/enc#RC")
                return true;
        }
    }
    return false;
}

ReaderOutcome ReadEpub(ZipArchive &zip, const ConversionControl &control)
{
    ReaderOutcome outcome;
    outcome.kindName = QStringLiteral("EPUB");
    if (HasDrm(zip)) {
        outcome.problem = DocumentProblem::Drm;
        outcome.error = QStringLiteral("the e-book is locked by DRM (copy protection) and only its seller's reader can open it");
        return outcome;
    }
    const std::optional<QByteArray> container = zip.Read(QStringLiteral("META-INF/container.xml"));
    if (!container) {
        outcome.error = zip.Error();
        return outcome;
    }
    QString packagePath;
    for (QXmlStreamReader reader(*container); !reader.atEnd() && packagePath.isEmpty();) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"rootfile")
            packagePath = reader.attributes().value(QStringLiteral("full-path")).toString();
    }
    const std::optional<QByteArray> package = packagePath.isEmpty() ? std::nullopt : zip.Read(packagePath);
    if (!package) {
        outcome.error = packagePath.isEmpty() ? QStringLiteral("the e-book names no package file") : zip.Error();
        return outcome;
    }
    QHash<QString, QString> manifest;
    QStringList spine;
    QXmlStreamReader reader(*package);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == u"item")
            manifest.insert(attributes.value(QStringLiteral("id")).toString(), attributes.value(QStringLiteral("href")).toString());
        else if (reader.name() == u"itemref")
            spine.append(attributes.value(QStringLiteral("idref")).toString());
    }
    if (reader.hasError() || spine.isEmpty()) {
        outcome.error = reader.hasError() ? DamagedXml(packagePath, reader) : QStringLiteral("the e-book has no chapters");
        return outcome;
    }
    const QString folder = packagePath.contains(QLatin1Char('/')) ? packagePath.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') : QString();
    TextCollector collector;
    for (qsizetype i = 0; i < spine.size(); ++i) {
        if (control.cancelled && control.cancelled()) {
            outcome.cancelled = true;
            return outcome;
        }
        const QString href = QUrl::fromPercentEncoding(manifest.value(spine[i]).section(QLatin1Char('#'), 0, 0).toUtf8());
        const QString entry = QDir::cleanPath(folder + href);
        const std::optional<QByteArray> chapter = href.isEmpty() ? std::nullopt : zip.Read(entry);
        if (!chapter) {
            outcome.error = href.isEmpty() ? QStringLiteral("chapter %1 is not in the package").arg(spine[i]) : zip.Error();
            return outcome;
        }
        const MarkupOutcome read = ReadXhtml(*chapter, collector);
        if (!read.ok) {
            outcome.error = QStringLiteral("%1: %2").arg(entry, read.error);
            return outcome;
        }
        if (control.progress)
            control.progress(int(i + 1), int(spine.size()));
    }
    outcome.text = TextCleanup::JoinParagraphs(collector.Paragraphs());
    outcome.ok = true;
    return outcome;
}

} // namespace

ReaderOutcome ReadPackageText(const QString &fileName, const ConversionControl &control)
{
    ZipArchive zip(fileName);
    ReaderOutcome outcome;
    if (!zip.IsOpen()) {
        outcome.error = zip.Error();
        return outcome;
    }
    QByteArray mimetype;
    if (zip.Contains(QStringLiteral("mimetype"))) {
        const std::optional<QByteArray> read = zip.Read(QStringLiteral("mimetype"));
        if (!read) {
            outcome.error = zip.Error();
            return outcome;
        }
        mimetype = read->trimmed();
    }
    if (mimetype == "application/epub+zip")
        return ReadEpub(zip, control);
    if (mimetype == "application/vnd.oasis.opendocument.text")
        return ReadOdt(zip);
    if (zip.Contains(QStringLiteral("word/document.xml")))
        return ReadDocx(zip);
    outcome.problem = DocumentProblem::NotADocument;
    outcome.error = QStringLiteral("it is a ZIP archive, not a document this program reads (DOCX, ODT or EPUB)");
    return outcome;
}
