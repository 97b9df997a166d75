#pragma once

#include <QString>

#include <functional>

class EditorText;
class UserQuestions;
struct SessionState;

struct SearchOptions
{
    bool matchCase = false;
    bool wholeWord = false;
};

// Forward, case-sensitive search from the end of the selection over the whole text:
// selects the match and gives its position, or -1 leaving the selection unchanged.
int SearchEdit(EditorText &editor, const QString &text);

// The editor search of the find dialogs: from the selection start (plus one when text
// is selected), with the dialog's options; the match position or -1.
int EditorSearch(const EditorText &editor, const QString &text, SearchOptions options);

// The "Bu&scar" commands: find, repeat, and the replace dialog's buttons.
class FindReplace
{
public:
    // reveal gives the editor the focus and scrolls the selection into view.
    FindReplace(EditorText &editor, UserQuestions &ask, SessionState &session,
                std::function<void()> reveal = {});

    // The find dialog's find-next (and F3): "No encuentro " when nothing is found.
    bool Find(const QString &text, SearchOptions options);
    // The replace dialog's find-next: silent when nothing is found.
    bool ReplaceFind(const QString &text, SearchOptions options);
    // The replace dialog's replace and replace-all buttons.
    void Replace(const QString &findText, const QString &replaceText, SearchOptions options, bool all);

private:
    bool FindAndSelect(const QString &text, SearchOptions options);
    void ReplaceAllFromCaret(const QString &findText, const QString &replaceText, SearchOptions options);

    EditorText &m_editor;
    UserQuestions &m_ask;
    SessionState &m_session;
    std::function<void()> m_reveal;
};
