#pragma once

#include "core/UserQuestions.h"

#include <QList>
#include <QStringList>

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
    std::optional<QString> AskPassword(const QString &title, const QString &prompt) override
    {
        passwordQueries << (title + QLatin1Char('|') + prompt);
        if (passwordAnswers.isEmpty())
            return std::nullopt;
        return passwordAnswers.takeFirst();
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
    QStringList passwordAnswers;
    QStringList openAnswers;
    QStringList saveNameAnswers;

    // What was asked.
    QStringList messages;
    QStringList confirmations;
    QStringList textQueries;
    QStringList passwordQueries;
    QStringList openProposals;
    QStringList openDialogs;
    QStringList saveProposals;
};
