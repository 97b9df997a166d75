#include "app/find/FindReplace.h"

#include "core/EditorText.h"
#include "core/SessionState.h"
#include "core/UserQuestions.h"

namespace {

bool IsWordCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isMark();
}

// The first match at or after from; left is the character before from when the
// text before it is not in haystack (replace-all builds its result as it goes).
qsizetype FindMatch(const QString &haystack, qsizetype from, const QString &needle, SearchOptions options,
                    std::optional<QChar> left = std::nullopt)
{
    if (needle.isEmpty() || from < 0 || from > haystack.size())
        return -1;
    const Qt::CaseSensitivity sensitivity = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = haystack.indexOf(needle, from, sensitivity); at >= 0;
         at = haystack.indexOf(needle, at + 1, sensitivity)) {
        if (!options.wholeWord)
            return at;
        std::optional<QChar> before = at > from || !left ? (at > 0 ? std::optional<QChar>(haystack.at(at - 1))
                                                                    : std::nullopt)
                                                         : left;
        const qsizetype end = at + needle.size();
        const bool startsWord = !before || !IsWordCharacter(*before);
        const bool endsWord = end >= haystack.size() || !IsWordCharacter(haystack.at(end));
        if (startsWord && endsWord)
            return at;
    }
    return -1;
}

} // namespace

int SearchEdit(EditorText &editor, const QString &text)
{
    if (text.isEmpty())
        return -1;
    const int length = editor.Length();
    if (length == 0)
        return -1;
    const int start = editor.SelStart() + editor.SelLength();
    const qsizetype candidates = qsizetype(length) - start - text.size() + 1;
    if (candidates < 0 || start < 0 || start > length)
        return -1;
    const qsizetype at = editor.Text().indexOf(text, start, Qt::CaseSensitive);
    if (at < 0)
        return -1;
    editor.Select(int(at), int(text.size()));
    return int(at);
}

int EditorSearch(const EditorText &editor, const QString &text, SearchOptions options)
{
    const int start = editor.SelLength() == 0 ? editor.SelStart() : editor.SelStart() + 1;
    return int(FindMatch(editor.Text(), start, text, options));
}

FindReplace::FindReplace(EditorText &editor, UserQuestions &ask, SessionState &session,
                         std::function<void()> reveal)
    : m_editor(editor)
    , m_ask(ask)
    , m_session(session)
    , m_reveal(std::move(reveal))
{
}

bool FindReplace::FindAndSelect(const QString &text, SearchOptions options)
{
    const int at = EditorSearch(m_editor, text, options);
    if (at >= 0) {
        m_editor.Select(at, int(text.size()));
        if (m_reveal)
            m_reveal();
    }
    return at >= 0;
}

bool FindReplace::Find(const QString &text, SearchOptions options)
{
    const bool found = FindAndSelect(text, options);
    if (!found)
        m_ask.Message(QStringLiteral("No encuentro ") + text);
    m_session.findText = text;
    return found;
}

bool FindReplace::ReplaceFind(const QString &text, SearchOptions options)
{
    const bool found = FindAndSelect(text, options);
    m_session.findText = text;
    return found;
}

void FindReplace::Replace(const QString &findText, const QString &replaceText, SearchOptions options, bool all)
{
    if (!findText.isEmpty() && m_editor.SelectedText().compare(findText, Qt::CaseInsensitive) == 0)
        m_editor.ReplaceSelection(replaceText);
    if (all) {
        ReplaceAllFromCaret(findText, replaceText, options);
    } else if (!ReplaceFind(findText, options)) {
        m_ask.Message(QStringLiteral("No puc trobar \"") + findText + QStringLiteral("\"."));
    }
    m_session.replaceText = replaceText;
}

void FindReplace::ReplaceAllFromCaret(const QString &findText, const QString &replaceText, SearchOptions options)
{
    // The find-and-replace loop in one pass: each search starts after the previous
    // replacement, so the result and the final selection are the loop's.
    const QString text = m_editor.Text();
    const qsizetype start = m_editor.SelLength() == 0 ? m_editor.SelStart() : m_editor.SelStart() + 1;
    qsizetype at = FindMatch(text, start, findText, options);
    m_session.findText = findText;
    if (at < 0)
        return;
    QString result = text.left(start);
    qsizetype from = start;
    qsizetype caret = -1;
    while (at >= 0) {
        result += QStringView(text).mid(from, at - from);
        result += replaceText;
        caret = result.size();
        from = at + findText.size();
        const std::optional<QChar> left = result.isEmpty() ? std::nullopt : std::optional<QChar>(result.back());
        at = FindMatch(text, from, findText, options, left);
    }
    result += QStringView(text).mid(from);
    m_editor.SetText(result);
    m_editor.Select(int(caret), 0);
    if (m_reveal)
        m_reveal();
}
