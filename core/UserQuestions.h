#pragma once

#include <QString>
#include <QStringList>

#include <optional>

enum class SaveAnswer { Yes, No, Cancel };

// Every question the program puts to the user goes through here, so that tests
// and the command line answer them without a display.
class UserQuestions
{
public:
    virtual ~UserQuestions() = default;

    // A message box with an OK button.
    virtual void Message(const QString &text) = 0;
    // A confirmation box with Yes, No and Cancel; closing the box is Cancel.
    virtual SaveAnswer AskYesNoCancel(const QString &text) = 0;
    // A modal text query; nothing when cancelled.
    virtual std::optional<QString> AskText(const QString &title, const QString &prompt,
                                           const QString &initial) = 0;
    // A modal query whose field hides what is typed; nothing when cancelled.
    virtual std::optional<QString> AskPassword(const QString &title, const QString &prompt) = 0;
    // File dialogs; an empty name when cancelled. An empty title or filter means the
    // document dialogs' own.
    virtual QString AskOpenFileName(const QString &proposed, const QString &title = QString(),
                                    const QString &filter = QString()) = 0;
    virtual QString AskSaveFileName(const QString &proposed) = 0;
};
