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
    // File dialogs; an empty name when cancelled. An empty title or filter means the
    // document dialogs' own.
    virtual QString AskOpenFileName(const QString &proposed, const QString &title = QString(),
                                    const QString &filter = QString()) = 0;
    virtual QString AskSaveFileName(const QString &proposed) = 0;
};

// Answers given in advance, for tests; it records what was asked.
class ScriptedQuestions : public UserQuestions
{
public:
    void Message(const QString &text) override { messages << text; }
    SaveAnswer AskYesNoCancel(const QString &text) override
    {
        confirmations << text;
        return saveAnswers.isEmpty() ? SaveAnswer::Cancel : saveAnswers.takeFirst();
    }
    std::optional<QString> AskText(const QString &title, const QString &prompt,
                                   const QString &initial) override
    {
        textQueries << (title + QLatin1Char('|') + prompt + QLatin1Char('|') + initial);
        if (textAnswers.isEmpty())
            return std::nullopt;
        return textAnswers.takeFirst();
    }
    QString AskOpenFileName(const QString &proposed, const QString &title = QString(),
                            const QString &filter = QString()) override
    {
        openProposals << proposed;
        openDialogs << (title + QLatin1Char('|') + filter);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString AskSaveFileName(const QString &proposed) override
    {
        saveProposals << proposed;
        return saveNameAnswers.isEmpty() ? QString() : saveNameAnswers.takeFirst();
    }

    // Answers, taken in order; when they run out the question is cancelled.
    QList<SaveAnswer> saveAnswers;
    QList<std::optional<QString>> textAnswers;
    QStringList openAnswers;
    QStringList saveNameAnswers;

    // What was asked.
    QStringList messages;
    QStringList confirmations;
    QStringList textQueries;
    QStringList openProposals;
    QStringList openDialogs;
    QStringList saveProposals;
};
