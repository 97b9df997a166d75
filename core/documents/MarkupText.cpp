#include "core/documents/MarkupText.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

#include <cctype>

QString &TextCollector::Current()
{
    if (!m_rows.isEmpty() && m_rows.last().inCell)
        return m_rows.last().cell;
    if (!m_notes.isEmpty())
        return m_notes.last();
    return m_current;
}

void TextCollector::Text(const QString &text)
{
    Current() += text;
}

void TextCollector::Break()
{
    if (!m_rows.isEmpty() && m_rows.last().inCell) {
        m_rows.last().cell += QLatin1Char(' ');
        return;
    }
    if (!m_notes.isEmpty()) {
        // A note of several paragraphs is read as one.
        m_notes.last() += QLatin1Char(' ');
        return;
    }
    if (!m_current.trimmed().isEmpty())
        m_paragraphs.append(m_current);
    m_current.clear();
}

void TextCollector::StartRow()
{
    if (m_rows.isEmpty() || m_rows.last().inCell) {
        // A row of a table inside a cell stays within that cell.
        if (!m_rows.isEmpty())
            m_rows.last().cell += QLatin1Char(' ');
        else
            Break();
    }
    m_rows.append(Row());
}

void TextCollector::EndRow()
{
    if (m_rows.isEmpty())
        return;
    Row row = m_rows.takeLast();
    if (row.inCell)
        row.cells.append(row.cell.simplified());
    row.cells.removeAll(QString());
    const QString line = row.cells.join(QStringLiteral(" · "));
    if (line.isEmpty())
        return;
    if (!m_rows.isEmpty() && m_rows.last().inCell) {
        m_rows.last().cell += QLatin1Char(' ') + line + QLatin1Char(' ');
    } else if (!m_notes.isEmpty()) {
        m_notes.last() += QLatin1Char(' ') + line + QLatin1Char(' ');
    } else {
        Break();
        m_paragraphs.append(line);
    }
}

void TextCollector::StartCell()
{
    if (m_rows.isEmpty())
        StartRow();
    Row &row = m_rows.last();
    if (row.inCell)
        row.cells.append(row.cell.simplified());
    row.cell.clear();
    row.inCell = true;
}

void TextCollector::EndCell()
{
    if (m_rows.isEmpty() || !m_rows.last().inCell)
        return;
    Row &row = m_rows.last();
    row.cells.append(row.cell.simplified());
    row.cell.clear();
    row.inCell = false;
}

void TextCollector::StartNote()
{
    m_notes.append(QString());
}

void TextCollector::EndNote(const QString &number)
{
    if (m_notes.isEmpty())
        return;
    const QString text = m_notes.takeLast().simplified();
    if (text.isEmpty())
        return;
    const QString mark = number.trimmed();
    m_finishedNotes.append(mark.isEmpty() || text.startsWith(mark) ? text : mark + QStringLiteral(". ") + text);
}

QStringList TextCollector::Paragraphs() const
{
    QStringList all = m_paragraphs;
    if (!m_current.trimmed().isEmpty())
        all.append(m_current);
    return all + m_finishedNotes;
}

QByteArray NumberHtmlEntities(const QByteArray &markup)
{
    static const QHash<QByteArray, int> kEntities = {
        {"nbsp", 0xA0}, {"shy", 0xAD}, {"iexcl", 0xA1}, {"iquest", 0xBF}, {"laquo", 0xAB}, {"raquo", 0xBB},
        {"copy", 0xA9}, {"reg", 0xAE}, {"deg", 0xB0}, {"middot", 0xB7}, {"ordf", 0xAA}, {"ordm", 0xBA},
        {"agrave", 0xE0}, {"aacute", 0xE1}, {"egrave", 0xE8}, {"eacute", 0xE9}, {"iacute", 0xED},
        {"iuml", 0xEF}, {"ograve", 0xF2}, {"oacute", 0xF3}, {"uacute", 0xFA}, {"uuml", 0xFC},
        {"ccedil", 0xE7}, {"ntilde", 0xF1}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Egrave", 0xC8},
        {"Eacute", 0xC9}, {"Iacute", 0xCD}, {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Uacute", 0xDA},
        {"Ccedil", 0xC7}, {"Ntilde", 0xD1}, {"ndash", 0x2013}, {"mdash", 0x2014}, {"lsquo", 0x2018},
        {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D}, {"hellip", 0x2026}, {"bull", 0x2022},
        {"euro", 0x20AC}, {"trade", 0x2122}, {"times", 0xD7}, {"divide", 0xF7}, {"acirc", 0xE2},
        {"ecirc", 0xEA}, {"ocirc", 0xF4}, {"auml", 0xE4}, {"ouml", 0xF6}, {"szlig", 0xDF},
    };
    static const QSet<QByteArray> kXml = {"amp", "lt", "gt", "quot", "apos"};
    QByteArray out;
    out.reserve(markup.size());
    for (qsizetype i = 0; i < markup.size(); ++i) {
        const char c = markup.at(i);
        if (c != '&') {
            out += c;
            continue;
        }
        qsizetype end = i + 1;
        while (end < markup.size() && end - i <= 10 && std::isalnum(static_cast<unsigned char>(markup.at(end))))
            ++end;
        const QByteArray name = markup.mid(i + 1, end - i - 1);
        const bool named = end < markup.size() && markup.at(end) == ';' && !name.isEmpty();
        if (named && kXml.contains(name)) {
            out += '&';
        } else if (named && kEntities.contains(name)) {
            out += "&#" + QByteArray::number(kEntities.value(name)) + ';';
            i = end;
        } else if (i + 1 < markup.size() && markup.at(i + 1) == '#') {
            out += '&';
        } else {
            out += "&amp;"; // a bare ampersand or a name XML cannot resolve is kept as text
        }
    }
    return out;
}

namespace {

bool IsBlock(QStringView name)
{
    static const QSet<QString> kBlocks = {
        "p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "li", "blockquote", "pre", "section",
        "article", "header", "footer", "nav", "aside", "dl", "dt", "dd", "figure", "figcaption", "caption",
        "address", "main", "body", "hr", "center", "table", "tbody", "thead", "tfoot",
    };
    return kBlocks.contains(name.toString());
}

bool IsSkipped(QStringView name)
{
    return name == u"script" || name == u"style" || name == u"head" || name == u"noscript"
        || name == u"template" || name == u"svg" || name == u"math";
}

bool IsNote(const QXmlStreamAttributes &attributes)
{
    const QString type = attributes.value(QStringLiteral("http://www.idpf.org/2007/ops"), QStringLiteral("type")).toString();
    const QString role = attributes.value(QStringLiteral("role")).toString();
    return type.contains(QLatin1String("footnote")) || type.contains(QLatin1String("endnote"))
        || type.contains(QLatin1String("rearnote")) || role == QLatin1String("doc-footnote")
        || role == QLatin1String("doc-endnote") || role == QLatin1String("doc-endnotes")
        // AbiWord's notes, gathered in a list at the end.
        || attributes.value(QStringLiteral("class")) == u"footnote_anchor"
        || attributes.value(QStringLiteral("class")) == u"endnote_anchor";
}

} // namespace

namespace {

// The text of an XHTML page as it is walked, element by element: how each open element
// ends (a note, a list, a row) and what is left out.
class XhtmlWalk
{
public:
    explicit XhtmlWalk(TextCollector &collector) : collector(collector) {}

    void Start(QStringView name, const QXmlStreamAttributes &attributes)
    {
        if (skipDepth > 0 || IsSkipped(name) || attributes.value(QStringLiteral("role")) == u"doc-backlink") {
            ++skipDepth;
            roles.append(Role::Skipped);
            return;
        }
        Role role = IsBlock(name) ? Role::Block : Role::Plain;
        if (name == u"tr") {
            collector.StartRow();
            role = Role::Row;
        } else if (name == u"td" || name == u"th") {
            collector.StartCell();
            role = Role::Cell;
        } else if (IsNote(attributes)) {
            collector.Break();
            if (name == u"li" && !listCounters.isEmpty()) {
                // A note that is an item of a list: numbered as the list counts.
                collector.StartNote();
                role = Role::ListedNote;
            } else if (attributes.value(QStringLiteral("role")) == u"doc-endnotes") {
                ++noteListDepth;
                role = Role::NoteList;
            } else {
                collector.StartNote();
                role = Role::Note;
            }
        } else if (name == u"li" && noteListDepth > 0 && !collector.InNote()) {
            collector.StartNote();
            role = Role::Note;
        } else if (name == u"ol") {
            collector.Break();
            listCounters.append(0);
            role = Role::OrderedList;
        } else if (name == u"img" || name == u"image") {
            const QString alt = attributes.value(QStringLiteral("alt")).toString().simplified();
            if (!alt.isEmpty())
                collector.Text(QStringLiteral(" [") + alt + QStringLiteral("] "));
        } else if (name == u"br") {
            collector.Text(QStringLiteral(" "));
        } else if (role == Role::Block) {
            collector.Break();
            if (name == u"li" && !listCounters.isEmpty())
                collector.Text(QString::number(++listCounters.last()) + QStringLiteral(". "));
        }
        roles.append(role);
    }

    void End()
    {
        const Role role = roles.isEmpty() ? Role::Plain : roles.takeLast();
        switch (role) {
        case Role::Skipped:
            --skipDepth;
            break;
        case Role::Row:
            collector.EndRow();
            break;
        case Role::Cell:
            collector.EndCell();
            break;
        case Role::Note:
            collector.EndNote(noteListDepth > 0 && !listCounters.isEmpty()
                                  ? QString::number(++listCounters.last()) : QString());
            break;
        case Role::ListedNote:
            collector.EndNote(listCounters.isEmpty() ? QString() : QString::number(++listCounters.last()));
            break;
        case Role::NoteList:
            --noteListDepth;
            break;
        case Role::OrderedList:
            if (!listCounters.isEmpty())
                listCounters.removeLast();
            collector.Break();
            break;
        case Role::Block:
            collector.Break();
            break;
        case Role::Plain:
            break;
        }
    }

    void Characters(QStringView text)
    {
        if (skipDepth == 0)
            collector.Text(text.toString());
    }

private:
    // Per open element: how it ends.
    enum class Role { Plain, Block, Note, ListedNote, NoteList, Row, Cell, OrderedList, Skipped };
    TextCollector &collector;
    int skipDepth = 0;
    QList<Role> roles;
    QList<int> listCounters;
    int noteListDepth = 0;
};

} // namespace

MarkupOutcome ReadXhtml(const QByteArray &xhtml, TextCollector &collector)
{
    MarkupOutcome outcome;
    QXmlStreamReader reader(NumberHtmlEntities(xhtml));
    XhtmlWalk walk(collector);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            walk.Start(reader.name(), reader.attributes());
        else if (reader.isEndElement())
            walk.End();
        else if (reader.isCharacters())
            walk.Characters(reader.text());
    }
    if (reader.hasError() && reader.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
        outcome.error = QStringLiteral("damaged markup at line %1: %2")
                            .arg(reader.lineNumber())
                            .arg(reader.errorString());
        return outcome;
    }
    collector.Break();
    outcome.ok = true;
    return outcome;
}
