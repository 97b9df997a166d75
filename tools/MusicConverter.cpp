#include "tools/MusicConverter.h"

#include "tools/MusicXmlTemplates.h"

#include <QLatin1String>

namespace {

struct StepName
{
    QLatin1String name;
    QLatin1String step;
};

const StepName StepNames[] = {
    {QLatin1String("do"), QLatin1String("C")},  {QLatin1String("re"), QLatin1String("D")},
    {QLatin1String("mi"), QLatin1String("E")},  {QLatin1String("fa"), QLatin1String("F")},
    {QLatin1String("sol"), QLatin1String("G")}, {QLatin1String("la"), QLatin1String("A")},
    {QLatin1String("si"), QLatin1String("B")},
};

struct DurationKey
{
    QLatin1String key;
    QLatin1String count;
    QLatin1String type;
    bool dotted;
};

const DurationKey DurationKeys[] = {
    {QLatin1String("r"), QLatin1String("256"), QLatin1String("whole"), false},
    {QLatin1String("b."), QLatin1String("192"), QLatin1String("half"), true},
    {QLatin1String("b"), QLatin1String("128"), QLatin1String("half"), false},
    {QLatin1String("n."), QLatin1String("96"), QLatin1String("quarter"), true},
    {QLatin1String("n"), QLatin1String("64"), QLatin1String("quarter"), false},
    {QLatin1String("c."), QLatin1String("48"), QLatin1String("eighth"), true},
    {QLatin1String("c"), QLatin1String("32"), QLatin1String("eighth"), false},
    {QLatin1String("sc."), QLatin1String("24"), QLatin1String("16th"), true},
    {QLatin1String("sc"), QLatin1String("16"), QLatin1String("16th"), false},
    {QLatin1String("f."), QLatin1String("12"), QLatin1String("32nd"), true},
    {QLatin1String("f"), QLatin1String("8"), QLatin1String("32nd"), false},
    {QLatin1String("sf."), QLatin1String("6"), QLatin1String("64th"), true},
    {QLatin1String("sf"), QLatin1String("4"), QLatin1String("64th"), false},
};

const DurationKey UnknownDuration = {QLatin1String(""), QLatin1String(""), QLatin1String(""),
                                     false};

QLatin1String StepOf(QStringView notePart)
{
    for (const StepName &entry : StepNames)
        if (notePart == entry.name)
            return entry.step;
    return QLatin1String("");
}

const DurationKey &DurationOf(QStringView durationPart)
{
    for (const DurationKey &entry : DurationKeys)
        if (durationPart == entry.key)
            return entry;
    return UnknownDuration;
}

enum class Keyword {
    None,
    BeginMeasure,
    EndMeasure,
    BarLine,
    TieStart,
    TieStop,
    BeamBegin,
    BeamEnd,
};

// Whole-line, case-sensitive match, tried in the design's order.
Keyword KeywordOf(QStringView line)
{
    static const struct
    {
        QLatin1String text;
        Keyword keyword;
    } keywords[] = {
        {QLatin1String("begin compas"), Keyword::BeginMeasure},
        {QLatin1String("end compas"), Keyword::EndMeasure},
        {QLatin1String("compas"), Keyword::BarLine},
        {QLatin1String("co"), Keyword::BarLine},
        {QLatin1String("begin ligadura"), Keyword::TieStart},
        {QLatin1String("beguin ligadura"), Keyword::TieStart},
        {QLatin1String("bl"), Keyword::TieStart},
        {QLatin1String("end ligadura"), Keyword::TieStop},
        {QLatin1String("el"), Keyword::TieStop},
        {QLatin1String("begin beam"), Keyword::BeamBegin},
        {QLatin1String("beguin beam"), Keyword::BeamBegin},
        {QLatin1String("bb"), Keyword::BeamBegin},
        {QLatin1String("end beam"), Keyword::BeamEnd},
        {QLatin1String("eb"), Keyword::BeamEnd},
    };
    // Every keyword is short; a long line is a note line.
    if (line.size() > 15)
        return Keyword::None;
    for (const auto &entry : keywords)
        if (line == entry.text)
            return entry.keyword;
    return Keyword::None;
}

enum class BeamState { None, BeginPending, Inside, EndPending };

// An XML reader refuses a bare "&" or "<" in element text.
QString EscapedTitle(QStringView title)
{
    QString escaped;
    escaped.reserve(title.size());
    for (const QChar c : title) {
        if (c == QLatin1Char('&'))
            escaped += QLatin1String("&amp;");
        else if (c == QLatin1Char('<'))
            escaped += QLatin1String("&lt;");
        else if (c == QLatin1Char('>'))
            escaped += QLatin1String("&gt;");
        else
            escaped += c;
    }
    return escaped;
}

// Walks the lines of a text as the editor counts them.
class LineReader
{
public:
    explicit LineReader(QStringView text) : m_text(text) {}

    bool AtEnd() const { return m_position >= m_text.size(); }
    QStringView Next()
    {
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_position);
        if (end < 0)
            end = m_text.size();
        const QStringView line = m_text.mid(m_position, end - m_position);
        m_position = end + 1;
        return line;
    }

private:
    QStringView m_text;
    qsizetype m_position = 0;
};

class ScoreWriter
{
public:
    explicit ScoreWriter(QString &out) : m_out(out) {}

    void Measure(int number)
    {
        m_out += QLatin1String("    <measure number=\"");
        m_out += QString::number(number);
        m_out += QLatin1String("\">\n");
    }
    void EndMeasure() { m_out += QLatin1String("    </measure>\n"); }

    void Note(QLatin1String step, int octave, const DurationKey &duration, QLatin1String tie,
              BeamState &beam, int beamGroup)
    {
        m_out += QLatin1String("      <note>\n        <pitch>\n          <step>");
        m_out += step;
        m_out += QLatin1String("</step>\n          <octave>");
        if (octave >= 10)
            m_out += QString::number(octave);
        else
            m_out += QLatin1Char(char('0' + octave));
        m_out += QLatin1String("</octave>\n        </pitch>\n");
        Duration(duration, tie);
        switch (beam) {
        case BeamState::None:
            break;
        case BeamState::BeginPending:
            Beam(beamGroup, QLatin1String("begin"));
            beam = BeamState::Inside;
            break;
        case BeamState::Inside:
            Beam(beamGroup, QLatin1String("continue"));
            break;
        case BeamState::EndPending:
            Beam(beamGroup, QLatin1String("end"));
            beam = BeamState::None;
            break;
        }
        m_out += QLatin1String("      </note>\n");
    }

    void Rest(const DurationKey &duration, QLatin1String tie)
    {
        m_out += QLatin1String("      <note>\n        <rest/>\n");
        Duration(duration, tie);
        m_out += QLatin1String("      </note>\n");
    }

private:
    // Duration, tie, voice, type and dot, in this order.
    void Duration(const DurationKey &duration, QLatin1String tie)
    {
        m_out += QLatin1String("        <duration>");
        m_out += duration.count;
        m_out += QLatin1String("</duration>\n");
        m_out += tie;
        m_out += QLatin1String("        <voice>1</voice>\n        <type>");
        m_out += duration.type;
        m_out += QLatin1String("</type>\n");
        if (duration.dotted)
            m_out += QLatin1String("        <dot/>\n");
    }

    void Beam(int group, QLatin1String kind)
    {
        m_out += QLatin1String("        <beam number=\"");
        m_out += QString::number(group);
        m_out += QLatin1String("\">");
        m_out += kind;
        m_out += QLatin1String("</beam>\n");
    }

    QString &m_out;
};

} // namespace

QString WrongNoteMessage()
{
    return QStringLiteral("Nota no correcta, cal escriure nota do,re,mi,fa,sol,la,si <TAB> "
                          "duració, r,b,n,c,sc,f,sf");
}

QString NoteStep(QStringView notePart)
{
    return StepOf(notePart);
}

NoteDuration MapDuration(QStringView durationPart)
{
    const DurationKey &key = DurationOf(durationPart);
    return {key.count, key.type, key.dotted};
}

MusicConversion ConvertMusicText(QStringView text)
{
    MusicConversion result;
    LineReader lines(text);
    if (lines.AtEnd())
        return result;

    const FormXMLTextos &templates = FormXMLTextos::Instance();
    QStringList head = templates.MemoXMLPartInicial;
    const QStringView title = lines.Next();
    head[FormXMLTextos::CreditWordsLine] =
        QLatin1String("    <credit-words font-size=\"24\" default-x=\"510\" default-y=\"1260\" "
                      "justify=\"center\" valign=\"top\">")
        + EscapedTitle(title) + QLatin1String("</credit-words>");
    head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>4</beats>");
    head[FormXMLTextos::BeatTypeLine] = QStringLiteral("          <beat-type>4</beat-type>");
    if (lines.AtEnd())
        return result;
    const QStringView time = lines.Next();
    if (time == QLatin1String("2x4"))
        head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>2</beats>");
    else if (time == QLatin1String("3x4"))
        head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>3</beats>");
    if (lines.AtEnd())
        return result;

    QString out;
    // Notes take about thirty times the room of their lines.
    out.reserve(qMin<qsizetype>(text.size() * 32 + 4096, qsizetype(1) << 28));
    out += QLatin1Char('\n');
    for (int i = 0; i < head.size(); ++i) {
        out += head.at(i);
        out += QLatin1Char('\n');
        if (i == FormXMLTextos::CreditEndLine) {
            for (const QString &line : templates.PartList) {
                out += line;
                out += QLatin1Char('\n');
            }
        }
    }

    ScoreWriter writer(out);
    const QString markedEnding = QLatin1Char('\t') + WrongNoteMessage();
    int measure = 1;
    int beamGroup = 0;
    BeamState beam = BeamState::None;
    bool tieStart = false;
    bool tieStop = false;
    bool lastWasNote = false;
    int index = 2;
    for (; !lines.AtEnd(); ++index) {
        const QStringView line = lines.Next();
        lastWasNote = false;
        switch (KeywordOf(line)) {
        case Keyword::BeginMeasure:
            writer.Measure(++measure);
            continue;
        case Keyword::EndMeasure:
            writer.EndMeasure();
            continue;
        case Keyword::BarLine:
            writer.EndMeasure();
            writer.Measure(++measure);
            continue;
        case Keyword::TieStart:
            tieStart = true;
            continue;
        case Keyword::TieStop:
            tieStop = true;
            continue;
        case Keyword::BeamBegin:
            ++beamGroup;
            beam = BeamState::BeginPending;
            continue;
        case Keyword::BeamEnd:
            beam = BeamState::EndPending;
            continue;
        case Keyword::None:
            break;
        }

        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        // A line marked by an earlier run holds a TAB too, but it is still wrong.
        const bool marked = line.endsWith(markedEnding);
        if (tab < 0 || marked) {
            result.outcome = MusicConversion::Outcome::WrongLine;
            result.wrongLine = index;
            if (!marked)
                result.mark = markedEnding;
            return result;
        }

        QStringView notePart = line.left(tab);
        int octave = 4;
        if (!notePart.isEmpty()) {
            const QChar last = notePart.back();
            if (last >= QLatin1Char('0') && last <= QLatin1Char('9')) {
                octave = last.unicode() - '0' + 1;
                notePart.chop(1);
            }
        }
        const DurationKey &duration = DurationOf(line.mid(tab + 1));

        QLatin1String tie("");
        if (tieStart) {
            tie = QLatin1String("        <tie type=\"start\"/>\n");
            tieStart = false;
        } else if (tieStop) {
            tie = QLatin1String("        <tie type=\"stop\"/>\n");
            tieStop = false;
        }

        if (notePart.isEmpty()) {
            writer.Rest(duration, tie);
        } else {
            writer.Note(StepOf(notePart), octave, duration, tie, beam, beamGroup);
        }
        lastWasNote = true;
    }

    // A tune that ends on a keyword writes nothing.
    if (!lastWasNote)
        return result;
    for (const QString &line : templates.MemoXMLPartFinal) {
        out += line;
        out += QLatin1Char('\n');
    }
    result.outcome = MusicConversion::Outcome::Score;
    result.score = std::move(out);
    return result;
}
