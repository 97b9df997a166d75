#include "tools/MusicConverter.h"

#include "tools/MusicXmlTemplates.h"
#include "tools/TextLines.h"

#include <QStringView>

#include <optional>
#include <utility>

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

namespace
{
// The head of the score with the tune's title and time; none when the text ends before
// its notes.
std::optional<QStringList> ScoreHead(TextLines &lines)
{
    QStringList head = FormXMLTextos::Instance().MemoXMLPartInicial;
    const QStringView title = lines.Next();
    head[FormXMLTextos::CreditWordsLine] =
        QLatin1String("    <credit-words font-size=\"24\" default-x=\"510\" default-y=\"1260\" "
                      "justify=\"center\" valign=\"top\">")
        + EscapedTitle(title) + QLatin1String("</credit-words>");
    head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>4</beats>");
    head[FormXMLTextos::BeatTypeLine] = QStringLiteral("          <beat-type>4</beat-type>");
    if (lines.AtEnd())
        return std::nullopt;
    const QStringView time = lines.Next();
    if (time == QLatin1String("2x4"))
        head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>2</beats>");
    else if (time == QLatin1String("3x4"))
        head[FormXMLTextos::BeatsLine] = QStringLiteral("          <beats>3</beats>");
    if (lines.AtEnd())
        return std::nullopt;
    return head;
}

// The text (when the score goes after it) and the head with the part list.
QString ScoreOpening(QStringView text, ScoreForm form, const QStringList &head)
{
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
            for (const QString &line : FormXMLTextos::Instance().PartList) {
                out += line;
                out += QLatin1Char('\n');
            }
        }
    }
    return out;
}

// What a line of the tune was.
enum class TuneLine { Keyword, Note, WrongNote, WrongMeasure, MarkedBefore };

// What goes from one line of the tune to the next.
struct Tune
{
    ScoreWriter &writer;
    const QString &markedEnding;
    const QString &measureMarkedEnding;
    int measure = 1;
    // The head opens measure 1 and the tail closes the last one: measures opened and
    // closed out of turn would make the score XML that no reader takes.
    bool measureOpen = true;
    int beamGroup = 0;
    BeamState beam = BeamState::None;
    bool tieStart = false;
    bool tieStop = false;

    TuneLine KeywordLine(Keyword keyword)
    {
        switch (keyword) {
        case Keyword::BeginMeasure:
            if (measureOpen)
                return TuneLine::WrongMeasure;
            writer.Measure(++measure);
            measureOpen = true;
            break;
        case Keyword::EndMeasure:
        case Keyword::BarLine:
            if (!measureOpen)
                return TuneLine::WrongMeasure;
            writer.EndMeasure();
            if (keyword == Keyword::BarLine)
                writer.Measure(++measure);
            else
                measureOpen = false;
            break;
        case Keyword::TieStart:
            tieStart = true;
            break;
        case Keyword::TieStop:
            tieStop = true;
            break;
        case Keyword::BeamBegin:
            ++beamGroup;
            beam = BeamState::BeginPending;
            break;
        case Keyword::BeamEnd:
            beam = BeamState::EndPending;
            break;
        case Keyword::None:
            return TuneLine::Note;
        }
        return TuneLine::Keyword;
    }

    TuneLine Line(QStringView line)
    {
        const TuneLine keyword = KeywordLine(KeywordOf(line));
        if (keyword != TuneLine::Note)
            return keyword;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        // A line marked by an earlier run holds a TAB too, but it is still wrong.
        if (line.endsWith(markedEnding) || line.endsWith(measureMarkedEnding))
            return TuneLine::MarkedBefore;
        if (tab < 0)
            return TuneLine::WrongNote;
        if (!measureOpen)
            return TuneLine::WrongMeasure;
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
            return TuneLine::WrongNote;
        const DurationKey &duration = DurationOf(line.mid(tab + 1));
        QStringView tie;
        if (std::exchange(tieStart, false))
            tie = u"        <tie type=\"start\"/>\n";
        else if (std::exchange(tieStop, false))
            tie = u"        <tie type=\"stop\"/>\n";
        if (notePart.isEmpty())
            writer.Rest(duration, tie);
        else
            writer.Note(StepOf(notePart), octave, duration, tie, beam, beamGroup);
        return TuneLine::Note;
    }
};
} // namespace

MusicConversion ConvertMusicText(QStringView text, ScoreForm form)
{
    MusicConversion result;
    TextLines lines(text);
    if (lines.AtEnd())
        return result;
    const std::optional<QStringList> head = ScoreHead(lines);
    if (!head)
        return result;
    QString out = ScoreOpening(text, form, *head);

    ScoreWriter writer(out);
    const QString markedEnding = QLatin1Char('\t') + WrongNoteMessage();
    const QString measureMarkedEnding = QLatin1Char('\t') + WrongMeasureMessage();
    Tune tune{writer, markedEnding, measureMarkedEnding};
    bool lastWasNote = false;
    for (int index = 2; !lines.AtEnd(); ++index) {
        const TuneLine read = tune.Line(lines.Next());
        lastWasNote = read == TuneLine::Note;
        if (read == TuneLine::Note || read == TuneLine::Keyword)
            continue;
        result.outcome = MusicConversion::Outcome::WrongLine;
        result.wrongLine = index;
        result.mark = read == TuneLine::WrongNote      ? markedEnding
                    : read == TuneLine::WrongMeasure ? measureMarkedEnding
                                                     : QString();
        return result;
    }

    // A tune that ends on a keyword writes nothing.
    if (!lastWasNote)
        return result;
    for (const QString &line : FormXMLTextos::Instance().MemoXMLPartFinal) {
        out += line;
        out += QLatin1Char('\n');
    }
    result.outcome = MusicConversion::Outcome::Score;
    result.score = std::move(out);
    return result;
}
