#include "app/typing/OneHandKeyboard.h"

#include "app/typing/KeyCodes.h"
#include "core/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

namespace
{
const QString kTableSection = QStringLiteral("teclat amb una ma");
const QString kMenuSection = QStringLiteral("MENU");
const QString kSwitchKey = QStringLiteral("MenuTeclatAmbUnaMa.Checked");

// Keys that go with Alt (and F10, which the desktop also treats as a menu key) pass
// through unchanged, as the system keys they are.
bool IsSystemKey(const QKeyEvent &event)
{
    return event.modifiers().testFlag(Qt::AltModifier) || event.key() == Qt::Key_Alt
        || event.key() == Qt::Key_F10;
}
} // namespace

OneHandKeyboard::OneHandKeyboard(QPlainTextEdit *edit, SettingsStore &settings,
                                 ReadingOptions &options, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_settings(settings)
    , m_options(options)
{
}

OneHandKeyboard::~OneHandKeyboard()
{
    if (m_filterInstalled && qApp)
        qApp->removeEventFilter(this);
}

OneHandMap OneHandKeyboard::LoadOneHandMap(const SettingsStore &settings)
{
    OneHandMap map;
    const std::optional<int> count =
        ToInteger(settings.ReadString(kTableSection, QStringLiteral("numero"), QStringLiteral("0")));
    const int n = qBound(0, count.value_or(0), kMaxEntries);
    map.reserve(n);
    for (int i = 1; i <= n; ++i) {
        const QString number = QString::number(i);
        const QString key =
            settings.ReadString(kTableSection, QStringLiteral("x(") + number + u')', QString());
        const QString text =
            settings.ReadString(kTableSection, QStringLiteral("y(") + number + u')', QString());
        map.append({key.isEmpty() ? QChar() : key.at(0), text});
    }
    return map;
}

void OneHandKeyboard::Start()
{
    m_map = LoadOneHandMap(m_settings);
    SetOn(m_settings.ReadString(kMenuSection, kSwitchKey, QStringLiteral("false"))
          == QStringLiteral("true"));
    InstallFilter();
}

void OneHandKeyboard::InstallFilter()
{
    if (m_filterInstalled || !qApp)
        return;
    qApp->installEventFilter(this);
    m_filterInstalled = true;
}

void OneHandKeyboard::BindMenuItem(QAction *menuTeclatAmbUnaMa)
{
    m_menuItem = menuTeclatAmbUnaMa;
    if (!m_menuItem)
        return;
    m_menuItem->setCheckable(true);
    m_menuItem->setChecked(m_on);
    // A checkable action has already toggled its mark when it reports the trigger.
    connect(m_menuItem, &QAction::triggered, this, [this](bool checked) {
        SetOn(checked);
        ApplyToggled();
    });
}

void OneHandKeyboard::MenuTeclatAmbUnaMaClick()
{
    SetOn(!m_on);
    ApplyToggled();
}

void OneHandKeyboard::ApplyToggled()
{
    StoreSwitch();
    if (m_on && m_options.ReadWordOnSpace())
        m_options.Set(ReadingOption::WordOnSpace, false);
}

void OneHandKeyboard::TurnOneHandOff()
{
    if (!m_on)
        return;
    SetOn(false);
    StoreSwitch();
}

void OneHandKeyboard::SetOn(bool on)
{
    if (m_menuItem && m_menuItem->isChecked() != on)
        m_menuItem->setChecked(on);
    if (m_on == on)
        return;
    m_on = on;
    m_spaceState = ::SpaceState::Idle;
    emit oneHandChanged(on);
}

void OneHandKeyboard::StoreSwitch()
{
    if (!m_settings.WriteString(kMenuSection, kSwitchKey,
                                m_on ? QStringLiteral("true") : QStringLiteral("false")))
        emit settingsWriteFailed(m_settings.LastError());
}

bool OneHandKeyboard::eventFilter(QObject *watched, QEvent *event)
{
    Q_UNUSED(watched);
    if (!m_on)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (IsSystemKey(*key))
        return false;

    // Each decision below consumes the event, so the window and then the focus widget
    // never both act on one key.
    switch (type) {
    case QEvent::ShortcutOverride:
        // A key that will be consumed must not run a shortcut either.
        if (VirtualKeyOf(*key) != VirtualKey::Space && m_spaceState == ::SpaceState::Idle)
            return false;
        event->accept();
        return true;
    case QEvent::KeyPress:
        if (!KeyDown(key))
            return false;
        event->accept();
        return true;
    default:
        KeyUp(key);
        event->accept();
        return true;
    }
}

bool OneHandKeyboard::KeyDown(QKeyEvent *event)
{
    if (!event->text().isEmpty())
        m_pressedText.insert(event->key(), event->text());
    if (VirtualKeyOf(*event) == VirtualKey::Space) {
        m_spaceState = ::SpaceState::Held;
        return true;
    }
    return m_spaceState != ::SpaceState::Idle;
}

void OneHandKeyboard::KeyUp(QKeyEvent *event)
{
    // A held key repeats as release and press pairs: only the last release counts.
    if (event->isAutoRepeat())
        return;
    if (VirtualKeyOf(*event) == VirtualKey::Space) {
        if (m_spaceState != ::SpaceState::Used)
            ReplaceSelection(QStringLiteral(" "));
        m_spaceState = ::SpaceState::Idle;
        return;
    }
    if (m_spaceState == ::SpaceState::Idle)
        return;
    QString text = KeyToText(*event);
    if (text.isEmpty())
        text = m_pressedText.value(event->key());
    if (text.isEmpty())
        return;
    for (const OneHandEntry &entry : std::as_const(m_map)) {
        if (!entry.key.isNull() && text == QString(entry.key)) {
            ReplaceSelection(entry.text);
            m_spaceState = ::SpaceState::Used;
            return;
        }
    }
}

void OneHandKeyboard::ReplaceSelection(const QString &text)
{
    if (m_edit)
        m_edit->insertPlainText(text);
}
