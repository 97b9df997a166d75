#pragma once

#include "app/AppPaths.h"
#include "app/Command.h"
#include "app/DocumentCommands.h"
#include "app/EditorFont.h"
#include "app/FindReplace.h"
#include "app/PlainTextEditText.h"
#include "app/SessionState.h"
#include "app/SettingsStore.h"
#include "app/WidgetQuestions.h"

#include <QHash>
#include <QMainWindow>
#include <QToolBar>

#include <memory>

class AboutBox;
class EditorWidget;
class FindDialog;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPrinter;
class QToolButton;
class ReplaceDialog;

// The editor window `FormPrincipal`: it builds the toolbar, the editor and the menus
// and forwards each command; the state lives in the objects it owns.
class FormPrincipal : public QMainWindow, private CommandHost
{
    Q_OBJECT
public:
    static const char *const kBaseCaption;

    // questions may be given by tests; the window asks with dialogs otherwise.
    FormPrincipal(const AppPaths &paths, AboutBox *about, UserQuestions *questions = nullptr,
                  QWidget *parent = nullptr);
    ~FormPrincipal() override;

    // Commands by stable id, as the menus, shortcuts and tolvanet-tool reach them.
    const CommandRegistry &Commands() const { return m_registry; }
    void RunCommandById(const QString &id);
    QAction *ActionFor(const QString &id) const { return m_actions.value(id); }

    bool FullMenuMode() const { return m_fullMenuMode; }
    QString BaseCaption() const;
    QString CurrentFileName() const { return m_documents->CurrentFileName(); }
    // The caption with the version label, as start-up composes it.
    void ComposeTitle(const QString &versionText);
    void ApplyStoredFont(QStringList *problems);
    bool LoadCommandLineFile(const QString &fileName);
    void ShowStatus(const QString &text);

    SettingsStore &Settings() { return m_settings; }
    SettingsStore &ExchangeSettings() { return m_exchange; }
    const AppPaths &Paths() const { return m_paths; }
    SessionState &Session() { return m_session; }
    EditorWidget *Edit() const { return m_edit; }
    EditorText &Document() { return m_document; }
    UserQuestions &Questions() { return *m_questions; }
    DocumentCommands &Documents() { return *m_documents; }
    FindReplace &Finder() { return *m_finder; }
    QLineEdit *EditNomFitxer() const { return m_nameField; }
    QCheckBox *CheckBoxNomesUnParaula() const { return m_oneWordBox; }
    QToolButton *ToolButton(const QString &name) const;
    QWidget *ToolBar() const { return m_toolBar; }
    QAction *MenuTeclatAmbUnaMa() const { return m_oneHandAction; }
    // The window commands of "&Opcions" by name: "MenuFinestraDeVeu", "MenuParaulaPerParaula",
    // "MenuDesarWav", "MenuDesarMp3", "MenuDesarOpus" and "MenuLlenguatge".
    QAction *OptionsItem(const QString &name) const { return m_optionItems.value(name); }
    QMenu *MenuNamed(const QString &name) const { return m_menus.value(name); }

    // Prints the editor's lines in the editor's font.
    void PrintTo(QPrinter *printer);
    // Hook for the close handler's writes of the reading options and language.
    void SetCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

    // The "&Fitxer" commands, public so that tests drive them as the menu does.
    void MenuCanviarLaFontClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void ShowProgress(const QString &text) override;
    void SetBusy(bool busy) override;

    void FormCreate();
    void BuildToolBar();
    void BuildMenus();
    void BuildOptionsMenu(QMenu *menu);
    void BuildFocusKey();
    void SwitchSoundNameFocus();
    void RegisterWindowCommands();
    void SetCaptionFileName(const QString &fileName);
    void RefreshChecks();
    void MenuImprimirClick();
    void MenuConfigurarimpressoraClick();
    void MenuExecutarUnNouTolvanet32DOSClick();
    void MenuBuscarClick();
    void MenuRepetirClick();
    void MenuSubstituirClick();
    void MenuAboutClick();

    AppPaths m_paths;
    SettingsStore m_settings;
    SettingsStore m_exchange;
    AboutBox *m_about;
    EditorWidget *m_edit = nullptr;
    PlainTextEditText m_document;
    std::unique_ptr<WidgetQuestions> m_ownQuestions;
    UserQuestions *m_questions;
    SessionState m_session;
    std::unique_ptr<DocumentCommands> m_documents;
    std::unique_ptr<FindReplace> m_finder;
    FindDialog *m_findDialog = nullptr;
    ReplaceDialog *m_replaceDialog = nullptr;
    CommandRegistry m_registry;
    QHash<QString, QAction *> m_actions;
    QHash<QString, QMenu *> m_menus;
    QToolBar *m_toolBar = nullptr;
    QLineEdit *m_nameField = nullptr;
    QCheckBox *m_oneWordBox = nullptr;
    QLabel *m_soundFileLabel = nullptr;
    QAction *m_oneHandAction = nullptr;
    QHash<QString, QAction *> m_optionItems;
    QMetaObject::Connection m_focusWatch;
    EditorFontChoice m_fontChoice;
    bool m_fullMenuMode = false;
    QString m_savedTitle;
    std::function<void()> m_closeHandler;
    std::unique_ptr<QPrinter> m_printer;
};
