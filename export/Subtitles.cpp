#include "export/Subtitles.h"

#include "core/Sentences.h"

#include <algorithm>

namespace {

using Kind = VoiceCatalog::SpokenMark::Kind;

// The lyrics' time tags count hundredths: word times at least this far apart stay apart.
constexpr qint64 kLeastStepMs = 10;
constexpr int kLineLength = 42;

struct Token
{
    qsizetype start = 0;
    qsizetype end = 0;
    std::optional<qint64> ms;
    bool startsSentence = false;
};

// The runs of the text between blanks.
QList<Token> Tokens(const QString &text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && text.at(i).isSpace())
            ++i;
        const qsizetype start = i;
        while (i < text.size() && !text.at(i).isSpace())
            ++i;
        if (i > start)
            tokens.append({start, i, std::nullopt, false});
    }
    return tokens;
}

// A word mark times the token it falls in (or the one before, in a blank: espeak-ng
// points at the blank after a word it says in several parts); the first mark of a token
// wins. The voice's own sentence marks are passed over: the cues follow the sentences
// the editor reads and jumps by, which an abbreviation's full stop does not end.
void TimeTokens(QList<Token> &tokens, const WordTimes &times)
{
    for (const VoiceCatalog::SpokenMark &mark : times.marks) {
        if (mark.kind != Kind::Word)
            continue;
        const auto after = std::upper_bound(tokens.begin(), tokens.end(), mark.position,
                                            [](qsizetype position, const Token &t) { return position < t.start; });
        if (after == tokens.begin())
            continue;
        Token &token = *(after - 1);
        if (!token.ms)
            token.ms = mark.ms;
    }
}

// The tokens that begin a sentence of the document.
void MarkSentenceStarts(QList<Token> &tokens, const QString &document)
{
    const QList<int> starts = Sentences::Starts(document);
    auto start = starts.begin();
    for (Token &token : tokens) {
        while (start != starts.end() && *start < token.start)
            ++start;
        token.startsSentence = start != starts.end() && *start < token.end;
    }
}

QString Clock(qint64 ms, QChar fractionMark)
{
    return QStringLiteral("%1:%2:%3%4%5")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(fractionMark)
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

QString LyricsClock(qint64 ms)
{
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 10 % 100, 2, 10, QLatin1Char('0'));
}

// A cue's text in lines of about kLineLength characters, broken between words.
QString CueText(const QList<TimedWord> &words)
{
    QString text;
    qsizetype lineLength = 0;
    for (const TimedWord &word : words) {
        if (lineLength > 0 && lineLength + 1 + word.text.size() > kLineLength) {
            text += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            text += QLatin1Char(' ');
            ++lineLength;
        }
        text += word.text;
        lineLength += word.text.size();
    }
    // A line holding "-->" would be read as the timing of a new cue: a word joiner,
    // unseen, keeps it apart.
    text.replace(QLatin1String("-->"), QStringLiteral("--\u2060>"));
    return text;
}

} // namespace

std::optional<SubtitleChoice> ParseSubtitleChoice(const QString &list)
{
    SubtitleChoice choice;
    for (const QString &item : list.split(QLatin1Char(','))) {
        const QString name = item.trimmed().toLower();
        if (name == QLatin1String("srt"))
            choice.srt = true;
        else if (name == QLatin1String("lrc"))
            choice.lrc = true;
        else
            return std::nullopt;
    }
    return choice;
}

QList<TimedRun> TimeRuns(const QString &document, const QString &spoken, const WordTimes &times)
{
    QList<Token> tokens = Tokens(document);
    if (spoken == document) {
        TimeTokens(tokens, times);
    } else {
        // The dictionary replaced the text: its spoken words time the document's in turn.
        QList<Token> spokenTokens = Tokens(spoken);
        TimeTokens(spokenTokens, times);
        QList<qint64> spokenTimes;
        for (const Token &token : std::as_const(spokenTokens))
            if (token.ms)
                spokenTimes << *token.ms;
        for (qsizetype i = 0; i < tokens.size() && !spokenTimes.isEmpty(); ++i)
            tokens[i].ms = spokenTimes.at(qMin(i, spokenTimes.size() - 1));
    }
    QList<TimedRun> runs;
    runs.reserve(tokens.size());
    for (const Token &token : std::as_const(tokens))
        runs.append({token.start, token.end, token.ms});
    return runs;
}

QList<TimedSentence> TimeSentences(const QString &document, const QString &spoken, const WordTimes &times)
{
    QList<Token> tokens;
    for (const TimedRun &run : TimeRuns(document, spoken, times))
        tokens.append({run.start, run.end, run.ms, false});
    MarkSentenceStarts(tokens, document);

    QList<TimedSentence> sentences;
    QString waiting;  // untimed tokens that go before the next timed word
    bool sentenceWaiting = true;
    qint64 lastMs = -kLeastStepMs;
    for (const Token &token : std::as_const(tokens)) {
        const QString text = document.mid(token.start, token.end - token.start);
        sentenceWaiting = sentenceWaiting || token.startsSentence;
        if (!token.ms) {
            if (sentenceWaiting || sentences.isEmpty())
                waiting += text + QLatin1Char(' ');
            else
                sentences.last().words.last().text += QLatin1Char(' ') + text;
            continue;
        }
        lastMs = qMax(*token.ms, lastMs + kLeastStepMs);
        if (sentenceWaiting || sentences.isEmpty()) {
            sentences.append({{}, lastMs, 0});
            sentenceWaiting = false;
        }
        sentences.last().words.append({waiting + text, lastMs});
        waiting.clear();
    }
    if (!waiting.isEmpty() && !sentences.isEmpty())
        sentences.last().words.last().text += QLatin1Char(' ') + waiting.trimmed();

    // Each sentence lasts until the next begins, the last one until the sound ends.
    const qint64 soundMs = qMax(times.soundMs, lastMs + kLeastStepMs);
    for (qsizetype i = 0; i < sentences.size(); ++i)
        sentences[i].endMs = i + 1 < sentences.size() ? sentences.at(i + 1).startMs : soundMs;
    return sentences;
}

QByteArray SrtFileContents(const QList<TimedSentence> &sentences)
{
    QString srt;
    int number = 0;
    for (const TimedSentence &sentence : sentences) {
        srt += QString::number(++number) + QLatin1Char('\n');
        srt += Clock(sentence.startMs, QLatin1Char(',')) + QStringLiteral(" --> ")
               + Clock(sentence.endMs, QLatin1Char(',')) + QLatin1Char('\n');
        srt += CueText(sentence.words) + QStringLiteral("\n\n");
    }
    return srt.toUtf8();
}

QByteArray LrcFileContents(const QList<TimedSentence> &sentences, const QString &title, qint64 soundMs)
{
    QString cleanTitle = title;
    cleanTitle.replace(QLatin1Char(']'), QLatin1Char(')'));
    QString lrc = QStringLiteral("[ti:%1]\n[re:Tolvanet Corvalida]\n[length:%2]\n")
                      .arg(cleanTitle, LyricsClock(soundMs));
    for (const TimedSentence &sentence : sentences) {
        lrc += QLatin1Char('[') + LyricsClock(sentence.startMs) + QLatin1Char(']');
        for (qsizetype i = 0; i < sentence.words.size(); ++i) {
            const TimedWord &word = sentence.words.at(i);
            if (i > 0)
                lrc += QLatin1Char(' ');
            lrc += QLatin1Char('<') + LyricsClock(word.ms) + QLatin1Char('>') + word.text;
        }
        lrc += QLatin1Char('\n');
    }
    return lrc.toUtf8();
}
