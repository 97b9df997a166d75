#include "tools/ReplaceAll.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

int ReplaceAll(QString &text, QStringView search, QStringView replacement)
{
    if (search.isEmpty())
        return -1;
    const QStringView source(text);
    // The positions of the matches, found before anything changes; a search goes on at
    // the end of the previous match, which is where the caret stands in the new text.
    std::vector<qsizetype> matches;
    for (qsizetype at = source.indexOf(search); at >= 0;
         at = source.indexOf(search, at + search.size()))
        matches.push_back(at);
    if (matches.empty())
        return -1;

    const qsizetype delta = replacement.size() - search.size();
    QString result(text.size() + delta * qsizetype(matches.size()), Qt::Uninitialized);
    QChar *out = result.data();
    const QChar *in = source.data();
    qsizetype copied = 0;
    for (const qsizetype at : matches) {
        out = CopyCharacters(out, in + copied, at - copied);
        out = CopyCharacters(out, replacement.data(), replacement.size());
        copied = at + search.size();
    }
    const qsizetype caret = out - result.constData();
    CopyCharacters(out, in + copied, source.size() - copied);
    text = std::move(result);
    return int(caret);
}

namespace {

// The text goes through the rows a piece at a time, so that every row works on text that
// is still in the processor's cache instead of on the whole document.
constexpr qsizetype kPieceSize = 16 * 1024;

// One row of the cascade: replaces its search text in the pieces that reach it and hands
// on what this row can no longer change. The end of a piece that could begin a match is
// kept back until the next piece shows how it goes on.
class CascadeStage
{
public:
    explicit CascadeStage(const ReplacementRow &row)
        : m_search(row.search), m_replacement(row.replacement), m_anchor(RarestCharacter(row.search))
    {
    }

    // The text that is final for this row; it stays valid until the next call. last: no
    // piece follows.
    QStringView Pass(QStringView in, bool last)
    {
        const qsizetype m = m_search.size();
        m_lastEnd = -1;
        m_out.resize(0);
        bool copying = false;
        qsizetype pos = 0;
        if (!m_carry.isEmpty()) {
            copying = true;
            // Every match that begins in the kept-back text ends within m - 1 characters
            // of this piece.
            QString junction = m_carry;
            junction.append(in.left(m - 1));
            const qsizetype kept = m_carry.size();
            qsizetype start = 0;
            while (start < kept && !QStringView(junction).mid(start).startsWith(m_search))
                ++start;
            if (start < kept) {
                Emit(QStringView(m_carry).left(start));
                Replace();
                pos = start + m - kept;
                m_carry.clear();
            } else if (in.size() >= m - 1 || last) {
                Emit(m_carry);
                m_carry.clear();
            } else {
                // A piece too short to decide: keep back the part that could still match.
                const qsizetype cut = PartialMatchStart(junction, 0);
                Emit(QStringView(junction).left(cut));
                m_carry = junction.mid(cut);
                return m_out;
            }
        }
        for (qsizetype at = Find(in, pos); at >= 0; at = Find(in, pos)) {
            if (!copying) {
                m_out.reserve(in.size() + in.size() / 8 + m_replacement.size());
                copying = true;
            }
            Emit(in.mid(pos, at - pos));
            Replace();
            pos = at + m;
        }
        const qsizetype cut = last ? in.size() : PartialMatchStart(in, pos);
        m_carry = in.mid(cut).toString();
        if (!copying)
            return in.left(cut);
        Emit(in.mid(pos, cut - pos));
        return m_out;
    }

    bool Replaced() const { return m_replaced; }
    // Where the last replacement of the last call ends in its text, or -1.
    qsizetype LastReplacementEnd() const { return m_lastEnd; }

private:
    void Emit(QStringView part) { m_out.append(part); }
    void Replace()
    {
        m_out.append(m_replacement);
        m_lastEnd = m_out.size();
        m_replaced = true;
    }

    // Where in the search text the character least likely in a text stands: a letter that is
    // rarer in Catalan and Spanish than the others, or any sign, rather than a blank.
    static qsizetype RarestCharacter(QStringView search)
    {
        static const QStringView kCommonFirst = u" eaosnrildtcumpbgvhfqyjzxkw";
        auto commonness = [](QChar c) {
            const qsizetype rank = kCommonFirst.indexOf(c);
            return rank < 0 ? 0 : kCommonFirst.size() - rank;
        };
        qsizetype rarest = 0;
        for (qsizetype i = 1; i < search.size(); ++i)
            if (commonness(search[i]) < commonness(search[rarest]))
                rarest = i;
        return rarest;
    }

    // The first match in text at or after from: the rare character is looked for with the
    // fast search of one character, and the whole search text compared where it stands.
    qsizetype Find(QStringView text, qsizetype from) const
    {
        const qsizetype m = m_search.size();
        const QChar anchor = m_search[m_anchor];
        const qsizetype lastStart = text.size() - m;
        for (qsizetype start = from; start <= lastStart;) {
            const qsizetype at = text.indexOf(anchor, start + m_anchor);
            if (at < 0 || at - m_anchor > lastStart)
                return -1;
            start = at - m_anchor;
            const QChar *candidate = text.data() + start;
            qsizetype same = 0;
            while (same < m && candidate[same] == m_search[same])
                ++same;
            if (same == m)
                return start;
            ++start;
        }
        return -1;
    }

    // The first position at or after from where the rest of text could still grow into a
    // match; text.size() when none can.
    qsizetype PartialMatchStart(QStringView text, qsizetype from) const
    {
        qsizetype cut = std::max(from, text.size() - (m_search.size() - 1));
        while (cut < text.size() && !m_search.startsWith(text.mid(cut)))
            ++cut;
        return cut;
    }

    QStringView m_search;
    QStringView m_replacement;
    qsizetype m_anchor = 0;
    QString m_carry;
    QString m_out;
    bool m_replaced = false;
    qsizetype m_lastEnd = -1;
};

// Pieces handed from the first half of the rows to the second, at most a few at a time.
class PieceQueue
{
public:
    void Push(QString piece, bool last)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_pieces.size() < kDepth; });
        m_pieces.push_back({std::move(piece), last});
        m_ready.notify_one();
    }

    std::pair<QString, bool> Pop()
    {
        std::unique_lock lock(m_mutex);
        m_ready.wait(lock, [this] { return !m_pieces.empty(); });
        auto piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_room.notify_one();
        return piece;
    }

private:
    static constexpr size_t kDepth = 8;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<std::pair<QString, bool>> m_pieces;
};

QStringView PassThrough(std::span<CascadeStage> stages, QStringView piece, bool last)
{
    for (CascadeStage &stage : stages)
        piece = stage.Pass(piece, last);
    return piece;
}

// Long tables on long texts: the first half of the rows runs on a second processor, a few
// pieces ahead of the second half. Every row still sees the same pieces in the same order.
constexpr qsizetype kPipelineMinimum = 1 << 20;
constexpr size_t kPipelineMinimumRows = 8;

} // namespace

TextConversion ApplyReplacementRows(const QString &text, std::span<const ReplacementRow> rows,
                                    qsizetype pieceSize)
{
    // Each row sees exactly what the rows before it made of the text, piece after piece,
    // so the result is that of running the rows one after another over the whole text.
    std::vector<CascadeStage> stages;
    for (const ReplacementRow &row : rows)
        if (!row.search.isEmpty())
            stages.emplace_back(row);
    if (stages.empty())
        return {text, 0, 0};
    // The caret follows the last row only; a last row that finds nothing leaves it at 0.
    const bool lastRowSearches = !rows.back().search.isEmpty();
    pieceSize = std::max<qsizetype>(pieceSize, 1);

    QString result;
    result.reserve(text.size() + text.size() / 8);
    qsizetype caret = -1;
    auto collect = [&](QStringView piece) {
        if (lastRowSearches && stages.back().LastReplacementEnd() >= 0)
            caret = result.size() + stages.back().LastReplacementEnd();
        result.append(piece);
    };
    const bool pipelined = text.size() >= kPipelineMinimum && stages.size() >= kPipelineMinimumRows
                           && std::thread::hardware_concurrency() > 1;
    if (pipelined) {
        const std::span<CascadeStage> all(stages);
        const std::span<CascadeStage> first = all.first(all.size() / 2);
        const std::span<CascadeStage> second = all.subspan(all.size() / 2);
        PieceQueue queue;
        std::jthread ahead([&] {
            for (qsizetype at = 0;; at += pieceSize) {
                const bool last = at + pieceSize >= text.size();
                const QStringView piece = QStringView(text).mid(at, std::min(pieceSize, text.size() - at));
                queue.Push(PassThrough(first, piece, last).toString(), last);
                if (last)
                    break;
            }
        });
        for (bool last = false; !last;) {
            auto [piece, isLast] = queue.Pop();
            last = isLast;
            collect(PassThrough(second, piece, last));
        }
    } else {
        for (qsizetype at = 0;; at += pieceSize) {
            const bool last = at + pieceSize >= text.size();
            collect(PassThrough(stages, QStringView(text).mid(at, std::min(pieceSize, text.size() - at)), last));
            if (last)
                break;
        }
    }
    const bool replaced = std::any_of(stages.begin(), stages.end(),
                                      [](const CascadeStage &stage) { return stage.Replaced(); });
    if (!replaced)
        return {text, 0, 0};
    return {std::move(result), int(std::max<qsizetype>(caret, 0)), 0};
}

TextConversion ApplyReplacementRows(const QString &text, std::span<const ReplacementRow> rows)
{
    return ApplyReplacementRows(text, rows, kPieceSize);
}
