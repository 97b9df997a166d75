#pragma once

#include "core/ReadingOptions.h"

#include <QChar>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QAction;
class QKeyEvent;
class QPlainTextEdit;
class SettingsStore;

// One entry of the one-hand table: the key character (none when null) and its text.
struct OneHandEntry
{
    QChar key;
    QString text;
    bool operator==(const OneHandEntry &) const = default;
};
using OneHandMap = QList<OneHandEntry>;

// The state of the space bar while the one-hand keyboard is on.
enum class SpaceState
{
    Idle, // space bar up
    Held, // space bar down, no mapped key used yet
    Used, // space bar down and a mapped key was used
};

// The one-hand keyboard: with the space bar held, other keys type the texts of the
// "teclat amb una ma" table into the editor. Its filter sees every key event of the
// application before it is dispatched; the menu item "Teclat amb una ma" switches it.
class OneHandKeyboard : public QObject, public OneHandSwitch
{
    Q_OBJECT
public:
    static constexpr int kMaxEntries = 200;

    OneHandKeyboard(QPlainTextEdit *edit, SettingsStore &settings, ReadingOptions &options,
                    QObject *parent = nullptr);
    ~OneHandKeyboard() override;

    // The table in section "teclat amb una ma": "numero" entries, keys "x(i)" and "y(i)";
    // at most the first 200, none when "numero" is not a number.
    static OneHandMap LoadOneHandMap(const SettingsStore &settings);

    // Loads the table and the stored switch ("MENU"/"MenuTeclatAmbUnaMa.Checked" exactly
    // "true"), then installs the filter on the application.
    void Start();
    void InstallFilter();

    // The menu item shows the switch; triggering it runs MenuTeclatAmbUnaMaClick.
    void BindMenuItem(QAction *menuTeclatAmbUnaMa);
    // Toggles the switch, stores it at once and, when it turns on, clears word-on-space.
    void MenuTeclatAmbUnaMaClick();

    bool OneHandOn() const override { return m_on; }
    void TurnOneHandOff() override;

    const OneHandMap &Map() const { return m_map; }
    void SetMap(const OneHandMap &map) { m_map = map; }
    ::SpaceState SpaceState() const { return m_spaceState; }
    void SetSpaceState(::SpaceState state) { m_spaceState = state; }

signals:
    void oneHandChanged(bool on);
    // A settings write failed; the text is the message to show ("Unable to write to ...").
    void settingsWriteFailed(const QString &message);

protected:
    // OneHandFilter.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetOn(bool on);
    void StoreSwitch();
    void ApplyToggled();
    bool KeyDown(QKeyEvent *event);
    void KeyUp(QKeyEvent *event);
    void ReplaceSelection(const QString &text);

    QPointer<QPlainTextEdit> m_edit;
    SettingsStore &m_settings;
    ReadingOptions &m_options;
    QPointer<QAction> m_menuItem;
    OneHandMap m_map;
    bool m_on = false;
    bool m_filterInstalled = false;
    ::SpaceState m_spaceState = ::SpaceState::Idle;
    // The text of each key as it went down, for key releases that carry none.
    QHash<int, QString> m_pressedText;
};
