#pragma once

#include "app/documents/DocumentCommands.h"
#include "app/find/FindReplace.h"
#include "app/window/EditorFont.h"
#include "app/window/PlainTextEditText.h"
#include "app/window/WidgetQuestions.h"
#include "core/AppPaths.h"
#include "core/Command.h"
#include "core/SessionState.h"

#include <QHash>
#include <QMainWindow>

#include <memory>

class AboutBox;
class EditorWidget;
class FindDialog;
class InterfaceLanguageModel;
class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPrinter;
class QToolBar;
class SettingsStore;
class QToolButton;
class ReplaceDialog;

// The stable ids of the window's own commands that the program's assembly attaches
// handlers to or enables; a misspelt id does not compile.
namespace WindowCommandId {
inline constexpr char kSpeechWindow[] = "speech-window";
inline constexpr char kWordByWord[] = "word-by-word";
inline constexpr char kSaveWav[] = "save-wav";
inline constexpr char kSaveMp3[] = "save-mp3";
inline constexpr char kSaveOpus[] = "save-opus";
inline constexpr char kLanguage[] = "language";
inline constexpr char kOneHandKeyboard[] = "one-hand-keyboard";
inline constexpr char kHighlightSpokenWord[] = "highlight-spoken-word";
inline constexpr char kSpellCheck[] = "spell-check";
inline constexpr char kCaretEcho[] = "caret-echo";
inline constexpr char kSaveEpub[] = "save-epub";
inline constexpr char kSaveM4b[] = "save-m4b";
inline constexpr char kFollowLanguage[] = "follow-language";
} // namespace WindowCommandId

// The controls of the window's toolbar, by their design names.
struct MainToolBar
{
    QToolBar *bar = nullptr;
    QToolButton *lectura = nullptr;           // ButtonLectura
    QToolButton *paraulaPerParaula = nullptr; // SpeedButtonParaulaPerParaula
    QToolButton *parar = nullptr;             // ButtonParar
    QToolButton *menu = nullptr;              // SpeedButtonMenu
    QToolButton *wav = nullptr;               // ButtonWAV
    QToolButton *mp3 = nullptr;               // ButtonMP3
    QLineEdit *nomFitxer = nullptr;           // EditNomFitxer
    QCheckBox *nomesUnaParaula = nullptr;     // CheckBoxNomesUnParaula
};

// The editor window `FormPrincipal`: it builds the toolbar, the editor and the menus
// and forwards each command; the state lives in the objects it owns.
class RecoveryCopy;
class FormPrincipal : public QMainWindow, private CommandHost
{
    Q_OBJECT
public:
    static const char *const kBaseCaption;

    // settings is the program's settings file, which the caller owns; questions may be
    // given by tests; the window asks with dialogs otherwise.
    FormPrincipal(const AppPaths &paths, SettingsStore &settings, AboutBox *about,
                  UserQuestions *questions = nullptr, QWidget *parent = nullptr);
    ~FormPrincipal() override;

    // Commands by stable id, as the menus, shortcuts and tolvanet-tool reach them.
    void RunCommandById(const QString &id);
    QAction *ActionFor(const QString &id) const { return m_actions.value(id); }
    // What one of the window's own commands does; the assembly gives the handlers of the
    // commands whose work lives outside the window (speech, export, language).
    void SetCommandHandler(const QString &id, std::function<void()> handler);

    bool FullMenuMode() const { return m_fullMenuMode; }
    QString BaseCaption() const;
    QString CurrentFileName() const { return m_documents->CurrentFileName(); }
    // The caption with the version label, as start-up composes it.
    void ComposeTitle(const QString &versionText);
    void ApplyStoredFont(QStringList *problems);
    // Makes `font` the editor's and keeps it, as choosing it in the font dialog does.
    void UseEditorFont(const QFont &font);
    bool LoadCommandLineFile(const QString &fileName);
    void ShowStatus(const QString &text);
    // From now on the window relabels itself in each language `language` applies.
    void FollowLanguage(const InterfaceLanguageModel &language);

    SessionState &Session() { return m_session; }
    EditorWidget *Edit() const { return m_edit; }
    EditorText &Document() { return m_document; }
    UserQuestions &Questions() { return *m_questions; }
    DocumentCommands &Documents() { return *m_documents; }
    const MainToolBar &ToolBar() const { return m_tools; }
    QMenu *MenuNamed(const QString &name) const { return m_menus.value(name); }

    // Prints the editor's lines in the editor's font.
    void PrintTo(QPrinter *printer);
    // Hook for the close handler's writes of the reading options and language.
    void SetCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }
    // Closes as the user's close does, but asks nothing: a modified document is kept as a
    // recovery copy, not saved (a logout or a kill will not wait for an answer). Open
    // dialogs end with the event loops (QCoreApplication::exit).
    void CloseWithoutQuestions();
    // Keeps a recovery copy of the modified document in folder from now on.
    void KeepRecoveryCopies(const QString &folder);
    RecoveryCopy *Recovery() const { return m_recovery.get(); }

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
    void BuildFocusKey();
    void SwitchSoundNameFocus();
    void RegisterWindowCommands();
    void SetCaptionFileName(const QString &fileName);
    void RefreshChecks();
    void MenuImprimirClick();
    void MenuConfigurarimpressoraClick();
    // The printer both dialogs set up, made the first time one opens.
    QPrinter *Printer();
    void MenuExecutarUnNouTolvanet32DOSClick();
    void MenuBuscarClick();
    void MenuRepetirClick();
    void MenuSubstituirClick();
    void MenuAboutClick();

    AppPaths m_paths;
    SettingsStore &m_settings;
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
    MainToolBar m_tools;
    QMetaObject::Connection m_focusWatch;
    EditorFontChoice m_fontChoice;
    bool m_fullMenuMode = false;
    bool m_closingWithoutQuestions = false;
    std::unique_ptr<RecoveryCopy> m_recovery;
    QString m_savedTitle;
    std::function<void()> m_closeHandler;
    std::unique_ptr<QPrinter> m_printer;
};
