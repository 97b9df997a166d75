#pragma once

// Strict readers of the SubRip and lyrics files an export writes: anything a player
// could misread is refused.

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>

namespace SubtitleFiles {

struct Cue
{
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString text;  // its lines joined by blanks
};

struct LyricWord
{
    qint64 ms = 0;
    QString text;
};

struct Lyrics
{
    QString title;
    qint64 lengthMs = 0;
    QList<QList<LyricWord>> lines;
};

inline qint64 Milliseconds(const QRegularExpressionMatch &m, int first, bool hours)
{
    qint64 h = hours ? m.captured(first++).toLongLong() : 0;
    const qint64 min = m.captured(first++).toLongLong();
    const qint64 s = m.captured(first++).toLongLong();
    const QString fraction = m.captured(first);
    if (min > 59 && hours)
        return -1;
    if (s > 59)
        return -1;
    const qint64 part = fraction.size() == 3 ? fraction.toLongLong() : fraction.toLongLong() * 10;
    return ((h * 60 + min) * 60 + s) * 1000 + part;
}

// Numbered cues from 1, "HH:MM:SS,mmm --> HH:MM:SS,mmm" with start before end, at least
// one text line, a blank line after each; LF line ends, UTF-8.
inline std::optional<QList<Cue>> ReadSrt(const QByteArray &bytes)
{
    static const QRegularExpression timing(QStringLiteral(
        "^(\\d{2}):(\\d{2}):(\\d{2}),(\\d{3}) --> (\\d{2}):(\\d{2}):(\\d{2}),(\\d{3})$"));
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes || text.contains(QLatin1Char('\r')))
        return std::nullopt;
    if (text.isEmpty())
        return QList<Cue>{};
    if (!text.endsWith(QLatin1String("\n\n")))
        return std::nullopt;
    QList<Cue> cues;
    for (const QString &block : text.chopped(2).split(QStringLiteral("\n\n"))) {
        const QStringList lines = block.split(QLatin1Char('\n'));
        if (lines.size() < 3 || lines.at(0) != QString::number(cues.size() + 1))
            return std::nullopt;
        const QRegularExpressionMatch m = timing.match(lines.at(1));
        if (!m.hasMatch())
            return std::nullopt;
        Cue cue{Milliseconds(m, 1, true), Milliseconds(m, 5, true), lines.mid(2).join(QLatin1Char(' '))};
        if (cue.startMs < 0 || cue.endMs <= cue.startMs)
            return std::nullopt;
        for (const QString &line : lines.mid(2))
            if (line.trimmed().isEmpty() || line.contains(QLatin1String("-->")))
                return std::nullopt;
        cues << cue;
    }
    return cues;
}

// "[ti:...]", "[re:...]", "[length:mm:ss.xx]" first, then lines "[mm:ss.xx]" followed
// by words each with its own "<mm:ss.xx>" tag, the first at the line's time.
inline std::optional<Lyrics> ReadLrc(const QByteArray &bytes)
{
    static const QRegularExpression header(QStringLiteral("^\\[(ti|re|length):([^\\]]*)\\]$"));
    static const QRegularExpression clock(QStringLiteral("^(\\d{2,}):(\\d{2})\\.(\\d{2})$"));
    static const QRegularExpression line(QStringLiteral("^\\[(\\d{2,}):(\\d{2})\\.(\\d{2})\\](.+)$"));
    static const QRegularExpression word(QStringLiteral("<(\\d{2,}):(\\d{2})\\.(\\d{2})>([^<]+?)(?: (?=<)|$)"));
    const QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes || text.contains(QLatin1Char('\r')) || !text.endsWith(QLatin1Char('\n')))
        return std::nullopt;
    Lyrics lyrics;
    QStringList tags;
    for (const QString &row : text.chopped(1).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch h = header.match(row);
        if (h.hasMatch() && lyrics.lines.isEmpty()) {
            tags << h.captured(1);
            if (h.captured(1) == QLatin1String("ti"))
                lyrics.title = h.captured(2);
            if (h.captured(1) == QLatin1String("length")) {
                const QRegularExpressionMatch c = clock.match(h.captured(2));
                if (!c.hasMatch())
                    return std::nullopt;
                lyrics.lengthMs = Milliseconds(c, 1, false);
            }
            continue;
        }
        const QRegularExpressionMatch l = line.match(row);
        if (!l.hasMatch())
            return std::nullopt;
        QList<LyricWord> words;
        qsizetype consumed = 0;
        const QString body = l.captured(4);
        for (auto it = word.globalMatch(body); it.hasNext();) {
            const QRegularExpressionMatch w = it.next();
            if (w.capturedStart() != consumed)
                return std::nullopt;
            consumed = w.capturedEnd();
            words.append({Milliseconds(w, 1, false), w.captured(4)});
        }
        if (words.isEmpty() || consumed != body.size() || words.constFirst().ms != Milliseconds(l, 1, false))
            return std::nullopt;
        lyrics.lines << words;
    }
    if (tags != QStringList{QStringLiteral("ti"), QStringLiteral("re"), QStringLiteral("length")})
        return std::nullopt;
    return lyrics;
}

} // namespace SubtitleFiles
