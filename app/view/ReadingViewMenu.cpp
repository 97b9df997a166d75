#include "app/view/ReadingViewMenu.h"

#include "app/view/ReadingView.h"
#include "app/menus/MenuCheckItems.h"

#include <QAction>
#include <QActionGroup>
#include <QFontDatabase>
#include <QMenu>

namespace
{
constexpr int kLineSpacingStep = 25;
constexpr int kLetterSpacingStep = 5;
constexpr int kWordSpacingStep = 25;
constexpr int kLargeFontPixels = 24;

struct MenuBuilder
{
    ReadingView &view;
    QMenu *menu;
    QWidget *window;

    QAction *Item(const char *name, const char *caption, std::function<void()> run,
                  const QList<QKeySequence> &keys = {})
    {
        auto *action = new QAction(QString::fromUtf8(caption), menu);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, &view, [run = std::move(run)] { run(); });
        menu->addAction(action);
        // Its keys work while the menu is closed.
        if (!keys.isEmpty())
            window->addAction(action);
        return action;
    }
    // A check item that shows `state` whenever the view changes.
    QAction *Check(const char *name, const char *caption, std::function<void()> run, std::function<bool()> state,
                   const QList<QKeySequence> &keys = {}, QActionGroup *group = nullptr)
    {
        QAction *action = Item(name, caption, std::move(run), keys);
        action->setCheckable(true);
        // A click may leave a mark the option does not have (a radio item ticked again).
        QObject::connect(action, &QAction::triggered, action, [action, state] { action->setChecked(state()); });
        action->setChecked(state());
        if (group)
            group->addAction(action);
        // A screen reader hears the new state of the mark, "not checked" too.
        QObject::connect(action, &QAction::toggled, action, [action] { AnnounceCheckMark(action); });
        QObject::connect(&view, &ReadingView::changed, action, [action, state] {
            if (action->isChecked() != state())
                action->setChecked(state());
        });
        return action;
    }
};

void AddFocusAndSpacing(MenuBuilder &add, ReadingView &view)
{
    const ViewSettings &now = view.Settings();
    add.Check("MenuVistaFocus", "&Focus de línia", [&view] { view.ToggleLineFocus(); },
              [&now] { return now.focusLines > 0; }, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)});
    auto *lines = new QActionGroup(add.menu);
    add.Check("MenuVistaFocus1", "Focus d'&una línia", [&view] { view.SetFocusLines(1); },
              [&now] { return now.focusLines == 1; }, {}, lines);
    add.Check("MenuVistaFocus3", "Focus de &tres línies", [&view] { view.SetFocusLines(3); },
              [&now] { return now.focusLines == 3; }, {}, lines);
    add.Check("MenuVistaFocus5", "Focus de cinc &línies", [&view] { view.SetFocusLines(5); },
              [&now] { return now.focusLines == 5; }, {}, lines);
    lines->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    // The seven spacing items have a menu of their own, so that every item of the view
    // keeps an access letter of its own in every language.
    auto *spacing = new QMenu(QStringLiteral("Es&paiat"), add.menu);
    spacing->setObjectName(QStringLiteral("MenuVistaEspaiat"));
    add.menu->addMenu(spacing);
    MenuBuilder in{view, spacing, add.window};
    in.Item("MenuVistaMesInterlineat", "Més &interlineat",
            [&view, &now] { view.SetLineSpacing(now.lineSpacing + kLineSpacingStep); });
    in.Item("MenuVistaMenysInterlineat", "Menys i&nterlineat",
            [&view, &now] { view.SetLineSpacing(now.lineSpacing - kLineSpacingStep); });
    in.Item("MenuVistaMesEspaiLletres", "Més espai entre ll&etres",
            [&view, &now] { view.SetLetterSpacing(now.letterSpacing + kLetterSpacingStep); });
    in.Item("MenuVistaMenysEspaiLletres", "Menys espai entre lle&tres",
            [&view, &now] { view.SetLetterSpacing(now.letterSpacing - kLetterSpacingStep); });
    in.Item("MenuVistaMesEspaiParaules", "Més espai entre &paraules",
            [&view, &now] { view.SetWordSpacing(now.wordSpacing + kWordSpacingStep); });
    in.Item("MenuVistaMenysEspaiParaules", "Menys espai entre pa&raules",
            [&view, &now] { view.SetWordSpacing(now.wordSpacing - kWordSpacingStep); });
    in.Item("MenuVistaEspaiatNormal", "Espaiat n&ormal", [&view] { view.ResetSpacing(); });
}

void AddThemes(MenuBuilder &add, ReadingView &view)
{
    const ViewSettings &now = view.Settings();
    auto *themes = new QActionGroup(add.menu);
    const struct
    {
        const char *name;
        const char *caption;
        ViewTheme theme;
    } items[] = {
        {"MenuVistaTemaClar", "Colors &clars", ViewTheme::Light},
        {"MenuVistaTemaCrema", "Colors c&rema", ViewTheme::Cream},
        {"MenuVistaTemaFosc", "Colors f&oscos", ViewTheme::Dark},
        {"MenuVistaTemaAltContrast", "&Alt contrast", ViewTheme::HighContrast},
        {"MenuVistaTemaSistema", "Colors del &sistema", ViewTheme::System},
    };
    for (const auto &item : items) {
        const ViewTheme theme = item.theme;
        add.Check(item.name, item.caption, [&view, theme] { view.SetTheme(theme); },
                  [&now, theme] { return now.theme == theme; }, {}, themes);
    }
}
} // namespace

QString DyslexiaFontFamily()
{
    return QStringLiteral("OpenDyslexic");
}

bool DyslexiaFontInstalled()
{
    return QFontDatabase::families().contains(DyslexiaFontFamily());
}

QMenu *AddReadingViewMenu(ReadingView &view, QMenu *options, QWidget *window,
                          std::function<void(const QFont &)> useFont)
{
    auto *menu = new QMenu(QStringLiteral("Vista de lectura"), options);
    menu->setObjectName(QStringLiteral("MenuVistaLectura"));
    TickCheckItemsInPlace(menu);
    MenuBuilder add{view, menu, window};
    AddFocusAndSpacing(add, view);
    menu->addSeparator();
    AddThemes(add, view);
    menu->addSeparator();
    add.Item("MenuVistaLletraGran", "Lletra &gran sense serifes", [useFont] {
        QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        font.setPixelSize(kLargeFontPixels);
        useFont(font);
    });
    // Without the font installed the item says what to install, and choosing it changes nothing.
    QAction *dyslexia = add.Item("MenuVistaLletraOpenDyslexic", "Lletra OpenD&yslexic", [useFont] {
        if (!DyslexiaFontInstalled())
            return;
        QFont font(DyslexiaFontFamily());
        font.setPixelSize(kLargeFontPixels);
        useFont(font);
    });
    dyslexia->setEnabled(true);
    menu->addSeparator();
    add.Item("MenuVistaAmpliar", "A&mpliar el text", [&view] { view.ZoomIn(); },
             {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    add.Item("MenuVistaReduir", "Re&duir el text", [&view] { view.ZoomOut(); }, {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    add.Item("MenuVistaMidaNormal", "Mida original del te&xt", [&view] { view.SetZoom(100); },
             {QKeySequence(Qt::CTRL | Qt::Key_0)});
    menu->addSeparator();
    const ViewSettings &now = view.Settings();
    add.Check("MenuVistaSillabes", "Paraules en síl·la&bes", [&view, &now] { view.SetSyllables(!now.syllables); },
              [&now] { return now.syllables; }, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    add.Check("MenuVistaCursorAmple", "Cursor ampl&e", [&view, &now] { view.SetWideCaret(!now.wideCaret); },
              [&now] { return now.wideCaret; });
    options->addSeparator();
    options->addMenu(menu);
    return menu;
}
