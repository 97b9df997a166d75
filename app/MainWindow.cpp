#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/DocumentPrinting.h"
#include "app/EditorWidget.h"
#include "app/FindDialogs.h"
#include "app/TextCommands.h"
#include "app/WaitWithEvents.h"

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
#include <QPageSetupDialog>
#include <QPrintDialog>
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
    const char *name;
    const char *hint;
    QStyle::StandardPixmap icon;
    const char *label;
};

const ToolButtonSpec kToolButtons[] = {
    {"ButtonLectura", "Read all or selected text", QStyle::SP_MediaPlay, nullptr},
    {"SpeedButtonParaulaPerParaula", "Read word by word", QStyle::SP_MediaSeekForward, nullptr},
    {"ButtonParar", "Stop", QStyle::SP_MediaStop, nullptr},
    {"SpeedButtonMenu", "Menu options", QStyle::SP_FileDialogDetailedView, nullptr},
    {"ButtonWAV", "wav file saved in records Dir", QStyle::SP_DriveFDIcon, "WAV"},
    {"ButtonMP3", "mp3 file saved in records Dir", QStyle::SP_DriveCDIcon, "MP3"},
};

} // namespace

FormPrincipal::FormPrincipal(const AppPaths &paths, AboutBox *about, UserQuestions *questions, QWidget *parent)
    : QMainWindow(parent)
    , m_paths(paths)
    , m_settings(paths.settingsFile)
    , m_exchange(paths.exchangeFile)
    , m_about(about)
    , m_edit(new EditorWidget(this))
    , m_document(m_edit)
{
    setObjectName(QStringLiteral("FormPrincipal"));
    if (!questions) {
        m_ownQuestions = std::make_unique<WidgetQuestions>(this);
        questions = m_ownQuestions.get();
    }
    m_questions = questions;
    m_documents = std::make_unique<DocumentCommands>(
        m_document, *m_questions, [this](const QString &name) { SetCaptionFileName(name); });
    m_documents->SetLoader([this](const QString &text) { m_document.Load(text); });
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
    layout->addWidget(m_toolBar);
    layout->addWidget(m_edit, 1);
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    RegisterWindowCommands();
    RegisterTextCommands(m_registry);
    BuildMenus();
    BuildFocusKey();
    m_toolBar->setVisible(!m_fullMenuMode);

    // The records folder, created once where audio export writes.
    QDir().mkpath(m_paths.recordsDir);
    m_edit->setFocus();
}

void FormPrincipal::BuildToolBar()
{
    // A tool bar of its own kind, so that screen readers announce it as one; it stays in
    // the window's layout above the editor, where the design puts it.
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setFixedHeight(56);
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setAccessibleName(QStringLiteral("Toolbar"));
    m_toolBar->setContentsMargins(0, 0, 0, 0);
    for (const ToolButtonSpec &spec : kToolButtons) {
        auto *button = new QToolButton(m_toolBar);
        button->setObjectName(QString::fromLatin1(spec.name));
        button->setFixedSize(50, 50);
        button->setIcon(style()->standardIcon(spec.icon));
        button->setIconSize(QSize(32, 32));
        button->setToolTip(QString::fromLatin1(spec.hint));
        // Buttons never take the focus from the editor: word-by-word reading stops when it loses it.
        button->setFocusPolicy(Qt::NoFocus);
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
        m_toolBar->addWidget(button);
    }
    auto *nameColumn = new QWidget(m_toolBar);
    nameColumn->setObjectName(QStringLiteral("SoundFileNamePanel"));
    auto *nameBox = new QVBoxLayout(nameColumn);
    nameBox->setContentsMargins(8, 0, 0, 0);
    nameBox->setSpacing(1);
    m_soundFileLabel = new QLabel(QStringLiteral("Sound file name:"), nameColumn);
    m_soundFileLabel->setObjectName(QStringLiteral("LabelSoundFileName"));
    m_nameField = new QLineEdit(QStringLiteral("Sintetitzat"), nameColumn);
    m_nameField->setObjectName(QStringLiteral("EditNomFitxer"));
    m_nameField->setToolTip(QStringLiteral("Soun file name. It was saved in records Dir"));
    m_nameField->setAccessibleName(m_soundFileLabel->text());
    m_nameField->setAccessibleDescription(QStringLiteral("Sound file name. It is saved in records Dir"));
    m_nameField->setFixedWidth(180);
    m_soundFileLabel->setBuddy(m_nameField);
    nameBox->addWidget(m_soundFileLabel);
    nameBox->addWidget(m_nameField);
    m_toolBar->addWidget(nameColumn);
    m_oneWordBox = new QCheckBox(QStringLiteral("Només una paraula"), m_toolBar);
    m_oneWordBox->setObjectName(QStringLiteral("CheckBoxNomesUnParaula"));
    m_oneWordBox->setAccessibleName(m_oneWordBox->text());
    m_toolBar->addWidget(m_oneWordBox);
}

QToolButton *FormPrincipal::ToolButton(const QString &name) const
{
    return m_toolBar->findChild<QToolButton *>(name);
}

void FormPrincipal::RegisterWindowCommands()
{
    auto add = [this](const char *id, const char *name, const char *menu, const char *caption,
                      std::function<void()> run, QKeySequence shortcut = {}, bool separatorBefore = false) {
        Command command;
        command.id = QString::fromLatin1(id);
        command.name = QString::fromLatin1(name);
        command.menu = QString::fromLatin1(menu);
        command.caption = QString::fromUtf8(caption);
        command.shortcut = shortcut;
        command.separatorBefore = separatorBefore;
        command.textCommand = false;
        command.run = [run = std::move(run)](CommandContext &) { run(); };
        m_registry.Add(std::move(command));
    };
    DocumentCommands &docs = *m_documents;
    add("new", "MenuNou", "MenuFitxer", "Nou", [&docs] { docs.New(); });
    add("new-html", "MenuNouHTML", "MenuFitxer", "Nou HTML", [&docs] { docs.NewHtml(); });
    add("open", "MenuObrir", "MenuFitxer", "Obrir...", [&docs] { docs.Open(); });
    add("save", "MenuGuardar", "MenuFitxer", "Guardar", [&docs] { docs.Save(); }, {}, true);
    add("save-as", "MenuGuardarCom", "MenuFitxer", "Guardar com...", [&docs] { docs.SaveAs(); });
    add("print", "MenuImprimir", "MenuFitxer", "Imprimir", [this] { MenuImprimirClick(); }, {}, true);
    add("printer-setup", "MenuConfigurarimpressora", "MenuFitxer", "Configurar impressora...",
        [this] { MenuConfigurarimpressoraClick(); });
    add("new-instance", "MenuExecutarUnNouTolvanet32DOS", "MenuFitxer", "&Executar un nou Tolvanet32DOS...",
        [this] { MenuExecutarUnNouTolvanet32DOSClick(); }, {}, true);
    add("exit", "MenuSortir", "MenuFitxer", "Sortir", [this] { close(); }, {}, true);

    add("font", "MenuCanviarLaFont", "MenuEdicio", "Canviar la &font del text...",
        [this] { MenuCanviarLaFontClick(); });
    add("copy", "MenuCopiar", "MenuEdicio", "&Copiar", [this] { m_edit->copy(); }, {}, true);
    add("cut", "MenuTallar", "MenuEdicio", "&Tallar", [this] { m_edit->cut(); });
    add("paste", "MenuEnganxar", "MenuEdicio", "&Enganxar", [this] { m_edit->paste(); });
    add("delete", "MenuEsborrar", "MenuEdicio", "Es&borrar",
        [this] { m_edit->textCursor().removeSelectedText(); });
    add("select-all", "MenuSeleccionarhotot", "MenuEdicio", "&Seleccionar-ho tot",
        [this] { m_edit->selectAll(); }, {}, true);

    add("find", "MenuBuscar", "MeBuscar", "&Buscar", [this] { MenuBuscarClick(); }, QKeySequence(Qt::CTRL | Qt::Key_F));
    add("find-again", "MenuRepetir", "MeBuscar", "&Repetir", [this] { MenuRepetirClick(); }, QKeySequence(Qt::Key_F3));
    add("replace", "MenuSubstituir", "MeBuscar", "&Substituir", [this] { MenuSubstituirClick(); }, {}, true);

    add("about", "MenuAbout", "", "Parlant de...", [this] { MenuAboutClick(); });
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
        if (name == QLatin1String("MenuOpcions"))
            BuildOptionsMenu(menu);
        for (const Command *command : m_registry.InMenu(name)) {
            const bool fullOnly = command->name == QLatin1String("MenuNouHTML")
                || command->name == QLatin1String("MenuExecutarUnNouTolvanet32DOS");
            if (command->separatorBefore) {
                QAction *separator = menu->addSeparator();
                if (command->name == QLatin1String("MenuExecutarUnNouTolvanet32DOS")) {
                    separator->setObjectName(QStringLiteral("N11"));
                    separator->setVisible(m_fullMenuMode);
                }
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

void FormPrincipal::BuildOptionsMenu(QMenu *menu)
{
    // The one-hand keyboard's item; its handler is attached with the reading triggers.
    m_oneHandAction = menu->addAction(QStringLiteral("Teclat amb una ma"));
    m_oneHandAction->setObjectName(QStringLiteral("MenuTeclatAmbUnaMa"));
    m_oneHandAction->setCheckable(true);

    // The highlight of the word being heard; start-up attaches its handler.
    QAction *highlight = menu->addAction(QStringLiteral("&Ressaltar la paraula que es llegeix"));
    highlight->setObjectName(QStringLiteral("MenuRessaltarParaula"));
    highlight->setCheckable(true);
    m_optionItems.insert(highlight->objectName(), highlight);
    for (QAction *switchItem : {m_oneHandAction, highlight}) {
        // A screen reader hears the new state of the mark, "not checked" too.
        connect(switchItem, &QAction::toggled, this, [switchItem] {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(switchItem, changed);
            QAccessible::updateAccessibility(&event);
        });
    }

    // The toolbar's windows and recordings, for the keyboard and for the full-menu mode
    // where the toolbar is hidden; start-up attaches their handlers.
    menu->addSeparator()->setObjectName(QStringLiteral("WindowCommandsSeparator"));
    const std::pair<const char *, const char *> items[] = {
        {"MenuFinestraDeVeu", "&Veu i opcions de lectura..."},
        {"MenuParaulaPerParaula", "Llegir &paraula per paraula"},
        {"MenuDesarWav", "Desar com a fitxer &WAV"},
        {"MenuDesarMp3", "Desar com a fitxer MP&3"},
        {"MenuLlenguatge", "&Llenguatge..."},
    };
    for (const auto &[name, caption] : items) {
        QAction *action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QLatin1String(name));
        m_optionItems.insert(action->objectName(), action);
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
        if (m_fullMenuMode && now && now->window() == this && !m_toolBar->isAncestorOf(now))
            m_toolBar->hide();
    });
}

void FormPrincipal::SwitchSoundNameFocus()
{
    QWidget *focus = QApplication::focusWidget();
    if (focus && m_toolBar->isAncestorOf(focus)) {
        m_edit->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    QWidget *target = m_nameField->isEnabled() ? static_cast<QWidget *>(m_nameField) : m_oneWordBox;
    if (m_fullMenuMode)
        m_toolBar->show();
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
    m_fontChoice.font = font;
    m_edit->setFont(font);
    if (!WriteEditorFont(m_settings, m_fontChoice))
        m_questions->Message(m_settings.LastError());
}

void FormPrincipal::PrintTo(QPrinter *printer)
{
    // Each line of the editor is one printed line, in the font as the screen shows it.
    PrintDocumentText(m_document.Text(), m_edit->font(), m_edit->logicalDpiY(), printer);
}

void FormPrincipal::MenuImprimirClick()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(m_printer.get());
}

void FormPrincipal::MenuConfigurarimpressoraClick()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPageSetupDialog dialog(m_printer.get(), this);
    dialog.exec();
}

void FormPrincipal::MenuExecutarUnNouTolvanet32DOSClick()
{
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {});
}

void FormPrincipal::MenuBuscarClick()
{
    if (!m_findDialog) {
        m_findDialog = new FindDialog(this);
        connect(m_findDialog, &FindDialog::findNext, this,
                [this] { m_finder->Find(m_findDialog->FindText(), m_findDialog->Options()); });
    }
    m_findDialog->SetFindText(m_session.findText);
    m_findDialog->show();
    m_findDialog->raise();
    m_findDialog->activateWindow();
}

void FormPrincipal::MenuRepetirClick()
{
    if (!m_findDialog) {
        MenuBuscarClick();
        return;
    }
    m_finder->Find(m_findDialog->FindText(), m_findDialog->Options());
}

void FormPrincipal::MenuSubstituirClick()
{
    if (!m_replaceDialog) {
        m_replaceDialog = new ReplaceDialog(this);
        auto replace = [this](bool all) {
            m_document.BeginCommand();
            m_finder->Replace(m_replaceDialog->FindText(), m_replaceDialog->ReplaceText(),
                              m_replaceDialog->Options(), all);
            m_document.EndCommand();
        };
        connect(m_replaceDialog, &ReplaceDialog::findNext, this,
                [this] { m_finder->ReplaceFind(m_replaceDialog->FindText(), m_replaceDialog->Options()); });
        connect(m_replaceDialog, &ReplaceDialog::replace, this, [replace] { replace(false); });
        connect(m_replaceDialog, &ReplaceDialog::replaceAll, this, [replace] { replace(true); });
    }
    m_replaceDialog->SetFindText(m_session.findText);
    m_replaceDialog->SetReplaceText(m_session.replaceText);
    m_replaceDialog->show();
    m_replaceDialog->raise();
    m_replaceDialog->activateWindow();
}

void FormPrincipal::MenuAboutClick()
{
    if (m_about)
        m_about->exec();
}

void FormPrincipal::closeEvent(QCloseEvent *event)
{
    if (!m_documents->CloseQuery()) {
        event->ignore();
        return;
    }
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
