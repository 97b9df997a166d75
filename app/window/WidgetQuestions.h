#pragma once

#include "core/UserQuestions.h"

class QWidget;
class SettingsStore;

// The questions as the window asks them: message boxes and dialogs.
class WidgetQuestions : public UserQuestions
{
public:
    explicit WidgetQuestions(QWidget *parent);

    void Message(const QString &text) override;
    SaveAnswer AskYesNoCancel(const QString &text) override;
    std::optional<QString> AskText(const QString &title, const QString &prompt,
                                   const QString &initial) override;
    std::optional<QString> AskPassword(const QString &title, const QString &prompt) override;
    QString AskOpenFileName(const QString &proposed, const QString &title,
                            const QString &filter) override;
    QString AskSaveFileName(const QString &proposed) override;

    // The file dialogs start in the folder of the proposed name; with none (or a bare
    // name) in the last folder a dialog chose, kept in `settings`, else in the user's
    // documents folder.
    void RememberFoldersIn(SettingsStore *settings) { m_folders = settings; }

    // The document dialogs' filter.
    static QString DocumentFilter();
    // The open dialog's: every document the editor opens, then each kind on its own.
    static QString OpenFilter();

private:
    QString StartPlace(const QString &proposed) const;
    void Remember(const QString &chosen);

    QWidget *m_parent;
    SettingsStore *m_folders = nullptr;
};
