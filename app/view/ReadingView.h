#pragma once

#include "app/view/ViewCaptions.h"
#include "app/view/ViewSettings.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPalette>
#include <QPointer>

#include <functional>
#include <memory>

class QPlainTextEdit;
class SettingsStore;
class SpacedLayout;
class SyllableSplitter;
class ViewOverlay;

// The reading view of the editor: line focus, spacing, colours, zoom, syllables and a wide
// caret, applied at once and kept in the settings file. The document is never touched:
// the caret, the selection, the line shown and the undo history stay as they are.
class ReadingView : public QObject
{
    Q_OBJECT
public:
    struct Hooks
    {
        // The language of the voice, whose rules part the syllables ("ca", "es-419"...).
        std::function<QString()> voiceLanguage;
        // The document position of the word being heard; -1 when nothing is read.
        std::function<int()> wordHeard;
        // Tells a change in the status line.
        std::function<void(const QString &)> status;
        // The interface language's index, for the status texts.
        std::function<int()> interfaceLanguage;
    };

    ReadingView(QPlainTextEdit *edit, SettingsStore &settings, Hooks hooks, QObject *parent = nullptr);
    ~ReadingView() override;

    const ViewSettings &Settings() const { return m_view; }

    void SetFocusLines(int lines);
    // Line focus off, or back to the number of lines it had (three the first time).
    void ToggleLineFocus();
    void SetLineSpacing(int percent);
    void SetLetterSpacing(int percent);
    void SetWordSpacing(int percent);
    void ResetSpacing();
    void SetTheme(ViewTheme theme);
    void SetZoom(int percent);
    void ZoomIn() { SetZoom(m_view.zoom + ViewSettings::kZoomStep); }
    void ZoomOut() { SetZoom(m_view.zoom - ViewSettings::kZoomStep); }
    void SetSyllables(bool on);
    void SetWideCaret(bool on);

    // Where the syllables of a word read word by word start after its first, in the voice's
    // language; none while syllables are off or the language has no patterns.
    QList<qsizetype> SpokenSyllables(QStringView word);
    // The same for drawing, whatever the switch says; remembered per word.
    QList<qsizetype> SyllableBorders(QStringView word);

signals:
    // An option changed: the menu shows it.
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Sets one of the spacings to an allowed value and tells it.
    void SetSpacing(int &option, const QString &key, ViewMessage message, int percent);
    // Sets and keeps a switch; false when it was so already.
    bool SetSwitch(bool &option, const QString &key, bool on);
    void ApplyFont();
    void ApplyColours();
    void ApplyCaret();
    void Refresh();
    void Store(const QString &key, int value);
    void Tell(ViewMessage message, int value);
    const SyllableSplitter *Splitter();

    QPointer<QPlainTextEdit> m_edit;
    SettingsStore &m_settings;
    Hooks m_hooks;
    ViewSettings m_view;
    int m_lastFocusLines = 3;
    QFont m_baseFont;
    QFont m_appliedFont;
    QPalette m_lightPalette;
    bool m_applying = false;
    SpacedLayout *m_layout = nullptr;
    QPointer<ViewOverlay> m_overlay;
    std::unique_ptr<SyllableSplitter> m_splitter;
    QString m_splitterLanguage;
    QHash<QString, QList<qsizetype>> m_borderCache;
};
