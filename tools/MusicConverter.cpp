#include "tools/MusicConverter.h"

#include "tools/MusicXmlTemplates.h"
#include "tools/TextLines.h"

#include <QStringView>

namespace {

struct StepName
{
    QStringView name;
    QStringView step;
};

const StepName StepNames[] = {
    {u"do", u"C"},  {u"re", u"D"},
    {u"mi", u"E"},  {u"fa", u"F"},
    {u"sol", u"G"}, {u"la", u"A"},
    {u"si", u"B"},
};

struct DurationKey
{
    QStringView key;
    QStringView count;
    QStringView type;
    bool dotted;
};

const DurationKey DurationKeys[] = {
    {u"r", u"256", u"whole", false},
    {u"b.", u"192", u"half", true},
    {u"b", u"128", u"half", false},
    {u"n.", u"96", u"quarter", true},
    {u"n", u"64", u"quarter", false},
    {u"c.", u"48", u"eighth", true},
    {u"c", u"32", u"eighth", false},
    {u"sc.", u"24", u"16th", true},
    {u"sc", u"16", u"16th", false},
    {u"f.", u"12", u"32nd", true},
    {u"f", u"8", u"32nd", false},
    {u"sf.", u"6", u"64th", true},
    {u"sf", u"4", u"64th", false},
};

const DurationKey UnknownDuration = {u"", u"", u"",
                                     false};

QStringView StepOf(QStringView notePart)
{
    for (const StepName &entry : StepNames)
        if (notePart == entry.name)
            return entry.step;
    return u"";
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
        QStringView text;
        Keyword keyword;
    } keywords[] = {
        {u"begin compas", Keyword::BeginMeasure},
        {u"end compas", Keyword::EndMeasure},
        {u"compas", Keyword::BarLine},
        {u"co", Keyword::BarLine},
        {u"begin ligadura", Keyword::TieStart},
        {u"beguin ligadura", Keyword::TieStart},
        {u"bl", Keyword::TieStart},
        {u"end ligadura", Keyword::TieStop},
        {u"el", Keyword::TieStop},
        {u"begin beam", Keyword::BeamBegin},
        {u"beguin beam", Keyword::BeamBegin},
        {u"bb", Keyword::BeamBegin},
        {u"end beam", Keyword::BeamEnd},
        {u"eb", Keyword::BeamEnd},
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
            escaped += u"&amp;";
        else if (c == QLatin1Char('<'))
            escaped += u"&lt;";
        else if (c == QLatin1Char('>'))
            escaped += u"&gt;";
        else
            escaped += c;
    }
    return escaped;
}

class ScoreWriter
{
public:
    explicit ScoreWriter(QString &out) : m_out(out) {}

    void Measure(int number)
    {
        m_out += u"    <measure number=\"";
        m_out += QString::number(number);
        m_out += u"\">\n";
    }
    void EndMeasure() { m_out += u"    </measure>\n"; }

    void Note(QStringView step, int octave, const DurationKey &duration, QStringView tie,
              BeamState &beam, int beamGroup)
    {
        m_out += u"      <note>\n        <pitch>\n          <step>";
        m_out += step;
        m_out += u"</step>\n          <octave>";
        m_out += QChar(u'0' + octave);
        m_out += u"</octave>\n        </pitch>\n";
        Duration(duration, tie);
        switch (beam) {
        case BeamState::None:
            break;
        case BeamState::BeginPending:
            Beam(beamGroup, u"begin");
            beam = BeamState::Inside;
            break;
        case BeamState::Inside:
            Beam(beamGroup, u"continue");
            break;
        case BeamState::EndPending:
            Beam(beamGroup, u"end");
            beam = BeamState::None;
            break;
        }
        m_out += u"      </note>\n";
    }

    void Rest(const DurationKey &duration, QStringView tie)
    {
        m_out += u"      <note>\n        <rest/>\n";
        Duration(duration, tie);
        m_out += u"      </note>\n";
    }

private:
    // Duration, tie, voice, type and dot, in this order.
    void Duration(const DurationKey &duration, QStringView tie)
    {
        m_out += u"        <duration>";
        m_out += duration.count;
        m_out += u"</duration>\n";
        m_out += tie;
        m_out += u"        <voice>1</voice>\n        <type>";
        m_out += duration.type;
        m_out += u"</type>\n";
        if (duration.dotted)
            m_out += u"        <dot/>\n";
    }

    void Beam(int group, QStringView kind)
    {
        m_out += u"        <beam number=\"";
        m_out += QString::number(group);
        m_out += u"\">";
        m_out += kind;
        m_out += u"</beam>\n";
    }

    QString &m_out;
};

} // namespace

QString WrongNoteMessage()
{
    return QStringLiteral("Nota no correcta, cal escriure nota do,re,mi,fa,sol,la,si <TAB> "
                          "duració, r,b,n,c,sc,f,sf");
}

QString WrongMeasureMessage()
{
    return QStringLiteral("Compàs no correcte, cal tancar el compàs amb end compas abans de begin compas, "
                          "i obrir-lo amb begin compas abans de notes, end compas o compas");
}

QString NoteStep(QStringView notePart)
{
    return StepOf(notePart).toString();
}

NoteDuration MapDuration(QStringView durationPart)
{
    const DurationKey &key = DurationOf(durationPart);
    return {key.count.toString(), key.type.toString(), key.dotted};
}

MusicConversion ConvertMusicText(QStringView text, ScoreForm form)
{
    MusicConversion result;
    TextLines lines(text);
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
    const qsizetype scoreRoom = qMin<qsizetype>(text.size() * 32 + 4096, qsizetype(1) << 28);
    if (form == ScoreForm::TextAndScore) {
        out.reserve(text.size() + scoreRoom);
        out += text;
    } else {
        out.reserve(scoreRoom);
    }
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
    const QString measureMarkedEnding = QLatin1Char('\t') + WrongMeasureMessage();
    const auto wrongLine = [&](int line, const QString &mark) {
        result.outcome = MusicConversion::Outcome::WrongLine;
        result.wrongLine = line;
        result.mark = mark;
        return result;
    };
    int measure = 1;
    // The head opens measure 1 and the tail closes the last one: measures opened and
    // closed out of turn would make the score XML that no reader takes.
    bool measureOpen = true;
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
            if (measureOpen)
                return wrongLine(index, measureMarkedEnding);
            writer.Measure(++measure);
            measureOpen = true;
            continue;
        case Keyword::EndMeasure:
            if (!measureOpen)
                return wrongLine(index, measureMarkedEnding);
            writer.EndMeasure();
            measureOpen = false;
            continue;
        case Keyword::BarLine:
            if (!measureOpen)
                return wrongLine(index, measureMarkedEnding);
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
        const bool marked = line.endsWith(markedEnding) || line.endsWith(measureMarkedEnding);
        if (tab < 0 || marked)
            return wrongLine(index, marked ? QString() : markedEnding);
        if (!measureOpen)
            return wrongLine(index, measureMarkedEnding);

        QStringView notePart = line.left(tab);
        int octave = 4;
        if (!notePart.isEmpty()) {
            const QChar last = notePart.back();
            if (last >= QLatin1Char('0') && last <= QLatin1Char('9')) {
                octave = last.unicode() - '0' + 1;
                notePart.chop(1);
            }
        }
        // Octaves go from 0 to 9: the digit 9 would give 10.
        if (octave > 9)
            return wrongLine(index, markedEnding);
        const DurationKey &duration = DurationOf(line.mid(tab + 1));

        QStringView tie;
        if (tieStart) {
            tie = u"        <tie type=\"start\"/>\n";
            tieStart = false;
        } else if (tieStop) {
            tie = u"        <tie type=\"stop\"/>\n";
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
