#pragma once

// A strict reading of the SubRip and lyrics files an export writes: anything a player
// could misread is refused.

#include <QRegularExpression>
#include <QStringList>

namespace SubtitleFiles {

inline qint64 Milliseconds(const QRegularExpressionMatch &m, int first, bool hours)
{
    const qint64 h = hours ? m.captured(first++).toLongLong() : 0;
    const qint64 min = m.captured(first).toLongLong();
    const qint64 s = m.captured(first + 1).toLongLong();
    const QString part = m.captured(first + 2);
    if ((hours && min > 59) || s > 59)
        return -1;
    return ((h * 60 + min) * 60 + s) * 1000 + part.toLongLong() * (part.size() == 3 ? 1 : 10);
}

// Empty when both files read strictly and agree: UTF-8 with LF line ends; in the SubRip
// file that many cues numbered from 1, "HH:MM:SS,mmm --> HH:MM:SS,mmm", text lines, a
// blank line; in the lyrics file "[ti:]", "[re:]", "[length:mm:ss.xx]" and then a line
// per cue, "[mm:ss.xx]" and a "<mm:ss.xx>" tag before each word. The words shown are the
// given ones in order, the times rise and end within the sound. Else what is wrong.
inline QString Problem(const QByteArray &srt, const QByteArray &lrc, const QString &words, int cues, qint64 soundMs)
{
    static const QRegularExpression timing(QStringLiteral(
        "^(\\d{2}):(\\d{2}):(\\d{2}),(\\d{3}) --> (\\d{2}):(\\d{2}):(\\d{2}),(\\d{3})$"));
    static const QRegularExpression header(
        QStringLiteral("^\\[ti:[^\\]]*\\]\n\\[re:[^\\]]*\\]\n\\[length:(\\d{2,}):(\\d{2})\\.(\\d{2})\\]\n"));
    static const QRegularExpression line(QStringLiteral("^\\[(\\d{2,}):(\\d{2})\\.(\\d{2})\\](.+)$"));
    static const QRegularExpression word(QStringLiteral("<(\\d{2,}):(\\d{2})\\.(\\d{2})>([^<]+?)(?: (?=<)|$)"));
    const QString srtText = QString::fromUtf8(srt);
    const QString lrcText = QString::fromUtf8(lrc);
    if (srtText.toUtf8() != srt || lrcText.toUtf8() != lrc || srtText.contains(u'\r') || lrcText.contains(u'\r'))
        return QStringLiteral("not UTF-8 with LF line ends");
    const QStringList blocks = srtText.isEmpty() ? QStringList() : srtText.split(QStringLiteral("\n\n"));
    if (!srtText.isEmpty() && (blocks.size() != cues + 1 || !blocks.constLast().isEmpty()))
        return QStringLiteral("not %1 cues:\n").arg(cues) + srtText;
    QStringList shown;
    qint64 last = -1;
    for (int i = 0; i < cues; ++i) {
        const QStringList rows = blocks.at(i).split(u'\n');
        const QRegularExpressionMatch m = rows.size() >= 3 ? timing.match(rows.at(1)) : QRegularExpressionMatch();
        if (!m.hasMatch() || rows.at(0) != QString::number(i + 1))
            return QStringLiteral("cue %1 unreadable: ").arg(i + 1) + blocks.at(i);
        const qint64 start = Milliseconds(m, 1, true);
        const qint64 end = Milliseconds(m, 5, true);
        if (start < last || end <= start || end > soundMs)
            return QStringLiteral("cue %1 from %2 to %3 ms").arg(i + 1).arg(start).arg(end);
        last = end;
        for (const QString &row : rows.mid(2))
            if (row.trimmed().isEmpty() || row.contains(QLatin1String("-->")))
                return QStringLiteral("cue %1 has the line \"%2\"").arg(i + 1).arg(row);
        shown << rows.mid(2);
    }

    const QRegularExpressionMatch head = header.match(lrcText);
    if (!head.hasMatch())
        return QStringLiteral("no lyrics header");
    const qint64 length = Milliseconds(head, 1, false);
    const QStringList rows = lrcText.mid(head.capturedLength()).split(u'\n');
    if (rows.size() != cues + 1 || !rows.constLast().isEmpty() || length > soundMs)
        return QStringLiteral("not %1 lyrics lines of at most %2 ms:\n").arg(cues).arg(soundMs) + lrcText;
    QStringList sung;
    last = -1;
    for (const QString &row : rows.mid(0, cues)) {
        const QRegularExpressionMatch l = line.match(row);
        qsizetype consumed = 0;
        for (auto it = word.globalMatch(l.captured(4)); it.hasNext();) {
            const QRegularExpressionMatch w = it.next();
            const qint64 ms = Milliseconds(w, 1, false);
            if (w.capturedStart() != consumed || ms <= last || ms > length
                || (consumed == 0 && ms != Milliseconds(l, 1, false)))
                return QStringLiteral("lyrics line \"%1\"").arg(row);
            consumed = w.capturedEnd();
            last = ms;
            sung << w.captured(4);
        }
        if (!l.hasMatch() || consumed == 0 || consumed != l.captured(4).size())
            return QStringLiteral("lyrics line \"%1\"").arg(row);
    }
    const QString spaced = words.simplified();
    for (const QString &text : {shown.join(u' ').remove(QChar(0x2060)), sung.join(u' ')})
        if (text != spaced)
            return QStringLiteral("\"%1\" for \"%2\"").arg(text, spaced);
    return QString();
}

} // namespace SubtitleFiles
