#include "app/window/MainWindow.h"

#include "app/documents/ConversionProgress.h"
#include "app/documents/RecoveryCopy.h"
#include "app/window/AboutBox.h"
#include "app/window/EditorWidget.h"
#include "app/captions/MainWindowCaptions.h"
#include "app/menus/MenuBarFocus.h"
#include "app/menus/MenuCheckItems.h"
#include "app/menus/ReaderMenuItems.h"
#include "app/window/TextCommands.h"
#include "app/menus/ToolBarKeys.h"
#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "windows/InterfaceLanguages.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileInfo>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QStatusBar>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

const char *const FormPrincipal::kBaseCaption = "Tolvanet Corvalida - lector i editor de textos que parla";

namespace {

// The top-level entries of the menu bar, in order. Performances and Pissarra a HTML5
// are items of the bar itself.
struct TopEntry
{
    const char *name;
    const char *caption;
    bool fullModeOnly;
};

const TopEntry kTopEntries[] = {
    {"MenuFitxer", "&Fitxer", false},
    {"MenuEdicio", "&Edició", false},
    {"MeBuscar", "Bu&scar", false},
    {"MenuOpcions", "&Opcions", false},
    {"MenuHTML", "&HTML", true},
    {"MenuSimbols", "Símbols", true},
    {"MenuUtils", "Útils", true},
    {"MenuMatematiques", "Matemàtiques", true},
    {"MenuJava", "Java", true},
    {"MenuPerformances", "Performances", true},
    {"MenuPissarraaHTML5", "Pissarra a HTML5", true},
    {"MenuAbout", "Parlant de...", false},
};

struct ToolButtonSpec
{
    QToolButton *MainToolBar::*slot;
    const char *name;
    const char *hint;
    QStyle::StandardPixmap icon;
    const char *label;
};

const ToolButtonSpec kToolButtons[] = {
    {&MainToolBar::lectura, "ButtonLectura", "Read all or selected text", QStyle::SP_MediaPlay, nullptr},
    {&MainToolBar::paraulaPerParaula, "SpeedButtonParaulaPerParaula", "Read word by word",
     QStyle::SP_MediaSeekForward, nullptr},
    {&MainToolBar::parar, "ButtonParar", "Stop", QStyle::SP_MediaStop, nullptr},
    {&MainToolBar::menu, "SpeedButtonMenu", "Menu options", QStyle::SP_FileDialogDetailedView, nullptr},
    {&MainToolBar::wav, "ButtonWAV", "wav file saved in records Dir", QStyle::SP_DriveFDIcon, "WAV"},
    {&MainToolBar::mp3, "ButtonMP3", "mp3 file saved in records Dir", QStyle::SP_DriveCDIcon, "MP3"},
};

// Separators the design names, by the item they stand before.
const std::pair<const char *, const char *> kNamedSeparators[] = {
    {"MenuExecutarUnNouTolvanet32DOS", "N11"},
    {"MenuFinestraDeVeu", "WindowCommandsSeparator"},
};

} // namespace

FormPrincipal::FormPrincipal(const AppPaths &paths, SettingsStore &settings, AboutBox *about,
                             UserQuestions *questions, QWidget *parent)
    : QMainWindow(parent)
    , m_paths(paths)
    , m_settings(settings)
    , m_about(about)
    , m_edit(new EditorWidget(this))
    , m_document(m_edit)
{
    setObjectName(QStringLiteral("FormPrincipal"));
    if (!questions) {
        m_ownQuestions = std::make_unique<WidgetQuestions>(this);
        m_ownQuestions->RememberFoldersIn(&m_settings);
        questions = m_ownQuestions.get();
    }
    m_questions = questions;
    m_documents = std::make_unique<DocumentCommands>(
        m_document, *m_questions, [this](const QString &name) { SetCaptionFileName(name); });
    m_documents->SetLoader([this](const QString &text) { m_document.Load(text); });
    m_documents->SetLanguage([this] { return property(kInterfaceLanguageProperty).toInt(); });
    m_documents->SetStatus([this](const QString &text) { ShowStatus(text); });
    m_documents->SetReadOnlyView([this](bool readOnly) { m_edit->setReadOnly(readOnly); });
    m_documents->SetConverter([this](const QString &fileName, const QByteArray &password) {
        std::optional<DocumentConversionResult> converted = ConvertWithProgress(this, fileName, 500, password);
        if (converted && converted->ok)
            ShowStatus(converted->origin);
        return converted;
    });
    m_finder = std::make_unique<FindReplace>(m_document, *m_questions, m_session, [this] {
        m_edit->setFocus();
        m_edit->ensureCursorVisible();
    });
    m_fontChoice.font = m_edit->font();
    resize(845, 480);
    setWindowTitle(BaseCaption());
    FormCreate();
}

FormPrincipal::~FormPrincipal()
{
    // The widgets' own destruction moves the focus; this window is gone by then.
    disconnect(m_focusWatch);
}

void FormPrincipal::FollowLanguage(const InterfaceLanguageModel &language)
{
    connect(&language, &InterfaceLanguageModel::languageChanged, this,
            [this](int index) { RelabelMainWindow(index, this); });
}

QString FormPrincipal::BaseCaption() const
{
    return QString::fromUtf8(kBaseCaption);
}

void FormPrincipal::FormCreate()
{
    setAcceptDrops(true);
    connect(m_edit, &EditorWidget::fileDropped, this, [this](const QString &name) { m_documents->DropFile(name); });

    m_fullMenuMode = m_settings.ReadYes(QStringLiteral("Tolvanet32"), QStringLiteral("Tolvanet32"), false);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolBar();
    layout->addWidget(m_tools.bar);
    layout->addWidget(m_edit, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    RegisterWindowCommands();
    RegisterTextCommands(m_registry);
    BuildMenus();
    BuildFocusKey();
    ReturnFocusFromMenuBar(menuBar(), m_edit);
    m_tools.bar->setVisible(!m_fullMenuMode);

    // The records folder, created once where audio export writes.
    QDir().mkpath(m_paths.recordsDir);
    m_edit->setFocus();
}

void FormPrincipal::BuildToolBar()
{
    // A tool bar of its own kind, so that screen readers announce it as one; it stays in
    // the window's layout above the editor, where the design puts it.
    QToolBar *toolBar = new QToolBar(this);
    m_tools.bar = toolBar;
    toolBar->setObjectName(QStringLiteral("ToolBar"));
    toolBar->setFixedHeight(56);
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setAccessibleName(QStringLiteral("Toolbar"));
    toolBar->setContentsMargins(0, 0, 0, 0);
    for (const ToolButtonSpec &spec : kToolButtons) {
        auto *button = new QToolButton(toolBar);
        m_tools.*spec.slot = button;
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setFixedSize(50, 50);
        button->setIcon(style()->standardIcon(spec.icon));
        button->setIconSize(QSize(32, 32));
        button->setToolTip(QString::fromLatin1(spec.hint));
        if (spec.label) {
            button->setText(QString::fromLatin1(spec.label));
            button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            button->setIconSize(QSize(24, 24));
            // Announced as shown; the hint tells the rest.
            button->setAccessibleName(button->text());
            button->setAccessibleDescription(button->toolTip());
        } else {
            button->setAccessibleName(button->toolTip());
        }
        toolBar->addWidget(button);
    }
    auto *nameColumn = new QWidget(toolBar);
    nameColumn->setObjectName(QStringLiteral("SoundFileNamePanel"));
    auto *nameBox = new QVBoxLayout(nameColumn);
    nameBox->setContentsMargins(8, 0, 0, 0);
    nameBox->setSpacing(1);
    auto *soundFileLabel = new QLabel(QStringLiteral("Sound file name:"), nameColumn);
    soundFileLabel->setObjectName(QStringLiteral("LabelSoundFileName"));
    auto *nameField = new QLineEdit(QStringLiteral("Sintetitzat"), nameColumn);
    nameField->setObjectName(QStringLiteral("EditNomFitxer"));
    nameField->setToolTip(QStringLiteral("Soun file name. It was saved in records Dir"));
    nameField->setAccessibleName(soundFileLabel->text());
    nameField->setAccessibleDescription(QStringLiteral("Sound file name. It is saved in records Dir"));
    nameField->setFixedWidth(180);
    soundFileLabel->setBuddy(nameField);
    nameBox->addWidget(soundFileLabel);
    nameBox->addWidget(nameField);
    m_tools.nomFitxer = nameField;
    toolBar->addWidget(nameColumn);
    m_tools.nomesUnaParaula = new QCheckBox(QStringLiteral("Només una paraula"), toolBar);
    m_tools.nomesUnaParaula->setObjectName(QStringLiteral("CheckBoxNomesUnParaula"));
    m_tools.nomesUnaParaula->setAccessibleName(m_tools.nomesUnaParaula->text());
    toolBar->addWidget(m_tools.nomesUnaParaula);
    // A click never takes the focus from the editor (word-by-word reading stops when it
    // loses it), but the keyboard reaches every button.
    MakeToolButtonsReachable({m_tools.lectura, m_tools.paraulaPerParaula, m_tools.parar, m_tools.menu, m_tools.wav,
                              m_tools.mp3},
                             nameField, m_tools.nomesUnaParaula, m_edit);
}

void FormPrincipal::RegisterWindowCommands()
{
    using Kind = CommandMenu::Kind;
    DocumentCommands &docs = *m_documents;
    CommandMenu file(m_registry, "MenuFitxer", Kind::Window);
    file.Add({"new", "MenuNou", "Nou"}, [&docs] { docs.New(); });
    file.Add({"new-html", "MenuNouHTML", "Nou HTML"}, [&docs] { docs.NewHtml(); });
    file.Add({"open", "MenuObrir", "Obrir..."}, [&docs] { docs.Open(); });
    file.Add({"open-as-text", "MenuObrirComText", "Obrir com a text..."}, [&docs] { docs.OpenAsText(); });
    file.Add({"save", "MenuGuardar", "Guardar", {}, true}, [&docs] { docs.Save(); });
    file.Add({"save-as", "MenuGuardarCom", "Guardar com..."}, [&docs] { docs.SaveAs(); });
    file.Add({"print", "MenuImprimir", "Imprimir", {}, true}, [this] { MenuImprimirClick(); });
    file.Add({"printer-setup", "MenuConfigurarimpressora", "Configurar impressora..."},
             [this] { MenuConfigurarimpressoraClick(); });
    file.Add({"new-instance", "MenuExecutarUnNouTolvanet32DOS", "&Executar un nou Tolvanet32DOS...", {}, true},
             [this] { MenuExecutarUnNouTolvanet32DOSClick(); });
    file.Add({"exit", "MenuSortir", "Sortir", {}, true}, [this] { close(); });

    CommandMenu edit(m_registry, "MenuEdicio", Kind::Window);
    edit.Add({"font", "MenuCanviarLaFont", "Canviar la &font del text..."}, [this] { MenuCanviarLaFontClick(); });
    edit.Add({"copy", "MenuCopiar", "&Copiar", {}, true}, [this] { m_edit->copy(); });
    edit.Add({"cut", "MenuTallar", "&Tallar"}, [this] { m_edit->cut(); });
    edit.Add({"paste", "MenuEnganxar", "&Enganxar"}, [this] { m_edit->paste(); });
    edit.Add({"delete", "MenuEsborrar", "Es&borrar"}, [this] { m_edit->textCursor().removeSelectedText(); });
    edit.Add({"select-all", "MenuSeleccionarhotot", "&Seleccionar-ho tot", {}, true}, [this] { m_edit->selectAll(); });

    CommandMenu find(m_registry, "MeBuscar", Kind::Window);
    find.Add({"find", "MenuBuscar", "&Buscar", QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] { MenuBuscarClick(); });
    find.Add({"find-again", "MenuRepetir", "&Repetir", QKeySequence(Qt::Key_F3)}, [this] { MenuRepetirClick(); });
    find.Add({"replace", "MenuSubstituir", "&Substituir", {}, true}, [this] { MenuSubstituirClick(); });

    // The toolbar's windows and recordings, for the keyboard and for the full-menu mode
    // where the toolbar is hidden; the assembly gives their handlers. The one-hand
    // keyboard's check item is kept by the switch it is bound to.
    CommandMenu options(m_registry, "MenuOpcions", Kind::Window);
    using namespace WindowCommandId;
    options.Add({kOneHandKeyboard, "MenuTeclatAmbUnaMa", "Teclat amb una ma"}).checkable = true;
    options.Add({kHighlightSpokenWord, "MenuRessaltarParaula", "&Ressaltar la paraula que es llegeix"}).checkable = true;
    options.Add({kSpellCheck, "MenuRevisarOrtografia", "Revisar l'orto&grafia"}).checkable = true;
    options.Add({kCaretEcho, "MenuLlegirCursor", "Llegir en &moure el cursor"}).checkable = true;
    options.Add({kSpeechWindow, "MenuFinestraDeVeu", "&Veu i opcions de lectura...", {}, true});
    options.Add({kWordByWord, "MenuParaulaPerParaula", "Llegir &paraula per paraula"});
    AddReaderCommands(options);
    options.Add({kSaveWav, "MenuDesarWav", "Desar com a fitxer &WAV"});
    options.Add({kSaveMp3, "MenuDesarMp3", "Desar com a fitxer MP&3"});
    options.Add({kSaveOpus, "MenuDesarOpus", "Desar com a &Opus"});
    options.Add({kSaveEpub, "MenuDesarEpub", "Desar com a llibre amb veu (&EPUB)"});
    options.Add({kSaveM4b, "MenuDesarM4b", "Desar com a audiollibre (M4&B)"});
    options.Add({kLanguage, "MenuLlenguatge", "&Llenguatge..."});
    options.Add({kFollowLanguage, "MenuCanviDeLlengua", "Canv&iar de veu segons la llengua"}).checkable = true;

    CommandMenu(m_registry, "", Kind::Window).Add({"about", "MenuAbout", "Parlant de..."}, [this] { MenuAboutClick(); });
}

void FormPrincipal::SetCommandHandler(const QString &id, std::function<void()> handler)
{
    Command *command = m_registry.Find(id);
    Q_ASSERT(command);
    if (!command)
        return;
    command->run = nullptr;
    if (handler)
        command->run = [handler = std::move(handler)](CommandContext &) { handler(); };
}

void FormPrincipal::BuildMenus()
{
    QMenuBar *bar = menuBar();
    auto makeAction = [this](const Command &command, QWidget *owner) {
        auto *action = new QAction(command.caption, owner);
        action->setObjectName(command.name);
        action->setShortcut(command.shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        if (command.checked) {
            action->setCheckable(true);
            action->setChecked(command.checked(m_session));
        }
        if (command.checkable)
            action->setCheckable(true);
        // A screen reader hears the new state of a check mark, "not checked" too.
        connect(action, &QAction::toggled, this, [action] { AnnounceCheckMark(action); });
        const QString id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { RunCommandById(id); });
        // Shortcuts work while their menu is hidden, because the window holds every action.
        addAction(action);
        if (!id.isEmpty())
            m_actions.insert(id, action);
        return action;
    };

    for (const TopEntry &entry : kTopEntries) {
        const QString name = QString::fromLatin1(entry.name);
        const bool shown = m_fullMenuMode || !entry.fullModeOnly;
        const Command *itemOfBar = m_registry.FindByName(name);
        if (itemOfBar && itemOfBar->menu.isEmpty()) {
            QAction *action = makeAction(*itemOfBar, this);
            if (shown)
                bar->addAction(action);
            continue;
        }
        auto *menu = new QMenu(QString::fromUtf8(entry.caption), this);
        menu->setObjectName(name);
        m_menus.insert(name, menu);
        TickCheckItemsInPlace(menu);
        for (const Command *command : m_registry.InMenu(name)) {
            const bool fullOnly = command->name == QLatin1String("MenuNouHTML")
                || command->name == QLatin1String("MenuExecutarUnNouTolvanet32DOS");
            if (command->separatorBefore) {
                QAction *separator = menu->addSeparator();
                for (const auto &[before, separatorName] : kNamedSeparators)
                    if (command->name == QLatin1String(before))
                        separator->setObjectName(QLatin1String(separatorName));
                if (command->name == QLatin1String("MenuExecutarUnNouTolvanet32DOS"))
                    separator->setVisible(m_fullMenuMode);
            }
            QAction *action = makeAction(*command, menu);
            menu->addAction(action);
            if (fullOnly && !m_fullMenuMode) {
                // Hidden from the menu, still reachable by its id; the item is not shown.
                menu->removeAction(action);
            }
        }
        if (shown)
            bar->addMenu(menu);
    }
}

void FormPrincipal::BuildFocusKey()
{
    // F6 takes the focus from the editor to the sound-file name and back. In full-menu
    // mode the toolbar shows while the focus is on it.
    auto *focusKey = new QAction(this);
    focusKey->setObjectName(QStringLiteral("FocusKeyF6"));
    focusKey->setShortcut(QKeySequence(Qt::Key_F6));
    focusKey->setShortcutContext(Qt::WindowShortcut);
    addAction(focusKey);
    connect(focusKey, &QAction::triggered, this, &FormPrincipal::SwitchSoundNameFocus);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (m_fullMenuMode && now && now->window() == this && !m_tools.bar->isAncestorOf(now))
            m_tools.bar->hide();
    });
}

void FormPrincipal::SwitchSoundNameFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && m_tools.bar->isAncestorOf(focus)) {
        m_edit->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    QWidget *target = m_tools.nomFitxer->isEnabled() ? static_cast<QWidget *>(m_tools.nomFitxer)
                                                     : m_tools.nomesUnaParaula;
    if (m_fullMenuMode)
        m_tools.bar->show();
    // The name is selected whole, so that typing replaces it.
    target->setFocus(Qt::ShortcutFocusReason);
}

void FormPrincipal::RunCommandById(const QString &id)
{
    const Command *command = m_registry.Find(id);
    if (!command)
        return;
    if (command->checked) {
        CommandContext context{m_document, *m_questions, m_session, *this};
        RunCommand(*command, context);
        RefreshChecks();
        return;
    }
    if (!command->textCommand) {
        CommandContext context{m_document, *m_questions, m_session, *this};
        RunCommand(*command, context);
        return;
    }
    // A text command is one edit: one undo step takes the whole run back.
    m_document.BeginCommand();
    CommandContext context{m_document, *m_questions, m_session, *this};
    RunCommand(*command, context);
    m_document.EndCommand();
    m_edit->ensureCursorVisible();
}

void FormPrincipal::RefreshChecks()
{
    for (const Command &command : m_registry.All())
        if (command.checked)
            if (QAction *action = m_actions.value(command.id))
                action->setChecked(command.checked(m_session));
}

void FormPrincipal::ShowProgress(const QString &text)
{
    if (text.isEmpty()) {
        if (!m_savedTitle.isEmpty())
            setWindowTitle(m_savedTitle);
        m_savedTitle.clear();
        return;
    }
    if (m_savedTitle.isEmpty())
        m_savedTitle = windowTitle();
    setWindowTitle(text);
}

void FormPrincipal::SetBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void FormPrincipal::ComposeTitle(const QString &versionText)
{
    setWindowTitle(BaseCaption() + QStringLiteral(" - ") + versionText);
}

void FormPrincipal::SetCaptionFileName(const QString &fileName)
{
    if (fileName.isEmpty()) {
        setWindowTitle(BaseCaption());
        return;
    }
    setWindowTitle(BaseCaption() + QStringLiteral(" - ") + fileName);
}

void FormPrincipal::ShowStatus(const QString &text)
{
    statusBar()->showMessage(text);
}

void FormPrincipal::ApplyStoredFont(QStringList *problems)
{
    EditorFontChoice choice{m_edit->font(), m_edit->palette().color(QPalette::Text)};
    if (!ReadEditorFont(m_settings, choice, problems))
        return;
    m_edit->setFont(choice.font);
    QPalette palette = m_edit->palette();
    const EditorColors colors = ReadableEditorColors(
        choice.color, {palette.color(QPalette::Text), palette.color(QPalette::Base)});
    palette.setColor(QPalette::Text, colors.text);
    palette.setColor(QPalette::Base, colors.base);
    m_edit->setPalette(palette);
    m_fontChoice = choice;
}

bool FormPrincipal::LoadCommandLineFile(const QString &fileName)
{
    return m_documents->LoadCommandLineFile(fileName);
}

void FormPrincipal::MenuCanviarLaFontClick()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, m_fontChoice.font, this, QStringLiteral("Font"));
    if (!ok)
        return;
    UseEditorFont(font);
}

void FormPrincipal::UseEditorFont(const QFont &font)
{
    m_fontChoice.font = font;
    m_edit->setFont(font);
    if (!WriteEditorFont(m_settings, m_fontChoice))
        m_questions->Message(m_settings.LastError());
}

void FormPrincipal::MenuExecutarUnNouTolvanet32DOSClick()
{
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void FormPrincipal::MenuAboutClick()
{
    if (m_about)
        m_about->exec();
}

void FormPrincipal::CloseWithoutQuestions()
{
    m_closingWithoutQuestions = true;
    close();
}

void FormPrincipal::KeepRecoveryCopies(const QString &folder)
{
    m_recovery = std::make_unique<RecoveryCopy>(folder, *m_edit->document(),
                                                [this] { return m_documents->CurrentFileName(); });
}

void FormPrincipal::closeEvent(QCloseEvent *event)
{
    if (!m_closingWithoutQuestions && !m_documents->CloseQuery()) {
        event->ignore();
        return;
    }
    // Saved or given up: no copy is needed. Closed without questions: the text must survive.
    if (m_recovery && m_closingWithoutQuestions)
        m_recovery->WriteNow();
    else if (m_recovery)
        m_recovery->Remove();
    if (m_closeHandler)
        m_closeHandler();
    AppLifetime::Instance().BeginClosing();
    event->accept();
}

void FormPrincipal::dragEnterEvent(QDragEnterEvent *event)
{
    if (!FirstDroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void FormPrincipal::dropEvent(QDropEvent *event)
{
    const QString fileName = FirstDroppedFile(event->mimeData());
    if (fileName.isEmpty())
        return;
    event->acceptProposedAction();
    m_documents->DropFile(fileName);
}
