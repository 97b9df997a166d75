#include "app/view/ReadingView.h"

#include "app/view/SpacedLayout.h"
#include "app/view/ViewOverlay.h"
#include "app/view/ViewThemes.h"
#include "core/SettingsStore.h"
#include "core/Syllables.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPlainTextEdit>
#include <QWheelEvent>

#include <algorithm>

namespace
{
constexpr int kWideCaretWidth = 3;
constexpr qsizetype kLargestBorderCache = 50000;
} // namespace

ReadingView::ReadingView(QPlainTextEdit *edit, SettingsStore &settings, Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_edit(edit)
    , m_settings(settings)
    , m_hooks(std::move(hooks))
    , m_view(ViewSettings::Read(settings))
    , m_baseFont(edit->font())
    , m_lightPalette(edit->palette())
{
    if (m_view.focusLines > 0)
        m_lastFocusLines = m_view.focusLines;
    m_layout = SpacedLayout::Install(edit);
    m_overlay = new ViewOverlay(
        edit, m_view,
        [this] {
            const int heard = m_hooks.wordHeard ? m_hooks.wordHeard() : -1;
            return heard >= 0 || !m_edit ? heard : m_edit->textCursor().position();
        },
        [this](QStringView word) { return SyllableBorders(word); });
    edit->installEventFilter(this);
    edit->viewport()->installEventFilter(this);
    qApp->installEventFilter(this);
    ApplyFont();
    ApplyColours();
    ApplyCaret();
}

ReadingView::~ReadingView()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void ReadingView::SetFocusLines(int lines)
{
    lines = NearestFocusLines(lines);
    if (lines > 0)
        m_lastFocusLines = lines;
    if (lines == m_view.focusLines)
        return;
    m_view.focusLines = lines;
    Store(ViewKeys::kFocus, lines);
    Refresh();
}

void ReadingView::ToggleLineFocus()
{
    SetFocusLines(m_view.focusLines > 0 ? 0 : m_lastFocusLines);
}

void ReadingView::SetLineSpacing(int percent)
{
    SetSpacing(m_view.lineSpacing, ViewKeys::kLineSpacing, ViewMessage::LineSpacing,
               std::clamp(percent, ViewSettings::kMinLineSpacing, ViewSettings::kMaxLineSpacing));
}

void ReadingView::SetLetterSpacing(int percent)
{
    SetSpacing(m_view.letterSpacing, ViewKeys::kLetterSpacing, ViewMessage::LetterSpacing,
               std::clamp(percent, ViewSettings::kMinLetterSpacing, ViewSettings::kMaxLetterSpacing));
}

void ReadingView::SetWordSpacing(int percent)
{
    SetSpacing(m_view.wordSpacing, ViewKeys::kWordSpacing, ViewMessage::WordSpacing,
               std::clamp(percent, ViewSettings::kMinWordSpacing, ViewSettings::kMaxWordSpacing));
}

void ReadingView::SetSpacing(int &option, const QString &key, ViewMessage message, int percent)
{
    Tell(message, percent);
    if (percent == option)
        return;
    option = percent;
    Store(key, percent);
    ApplyFont();
    Refresh();
}

void ReadingView::ResetSpacing()
{
    SetLineSpacing(100);
    SetLetterSpacing(0);
    SetWordSpacing(0);
}

void ReadingView::SetTheme(ViewTheme theme)
{
    if (theme == m_view.theme)
        return;
    if (m_view.theme == ViewTheme::Light && m_edit)
        m_lightPalette = m_edit->palette();
    m_view.theme = theme;
    if (!WriteViewTheme(m_settings, theme) && m_hooks.status)
        m_hooks.status(m_settings.LastError());
    ApplyColours();
    Refresh();
}

void ReadingView::SetZoom(int percent)
{
    percent = NearestZoom(percent);
    Tell(ViewMessage::TextSize, percent);
    if (percent == m_view.zoom)
        return;
    m_view.zoom = percent;
    Store(ViewKeys::kZoom, percent);
    ApplyFont();
    Refresh();
}

void ReadingView::SetSyllables(bool on)
{
    if (SetSwitch(m_view.syllables, ViewKeys::kSyllables, on))
        Refresh();
}

void ReadingView::SetWideCaret(bool on)
{
    if (!SetSwitch(m_view.wideCaret, ViewKeys::kWideCaret, on))
        return;
    ApplyCaret();
    Refresh();
}

bool ReadingView::SetSwitch(bool &option, const QString &key, bool on)
{
    if (on == option)
        return false;
    option = on;
    if (!m_settings.WriteYes(ViewKeys::kSection, key, on) && m_hooks.status)
        m_hooks.status(m_settings.LastError());
    return true;
}

QList<qsizetype> ReadingView::SpokenSyllables(QStringView word)
{
    return m_view.syllables ? SyllableBorders(word) : QList<qsizetype>();
}

QList<qsizetype> ReadingView::SyllableBorders(QStringView word)
{
    const SyllableSplitter *splitter = Splitter();
    if (!splitter)
        return {};
    const QString key = word.toString();
    if (const auto found = m_borderCache.constFind(key); found != m_borderCache.constEnd())
        return *found;
    if (m_borderCache.size() > kLargestBorderCache)
        m_borderCache.clear();
    const QList<qsizetype> borders = splitter->Borders(word);
    m_borderCache.insert(key, borders);
    return borders;
}

const SyllableSplitter *ReadingView::Splitter()
{
    const QString language = m_hooks.voiceLanguage ? m_hooks.voiceLanguage() : QStringLiteral("ca");
    if (!m_splitter || language != m_splitterLanguage) {
        m_splitter = std::make_unique<SyllableSplitter>(language);
        // A voice of a language without patterns parts by the vowels of Catalan, the
        // language the program is written for, rather than not at all.
        if (!m_splitter->Usable())
            m_splitter = std::make_unique<SyllableSplitter>(QStringLiteral("ca"));
        m_splitterLanguage = language;
        m_borderCache.clear();
    }
    return m_splitter.get();
}

bool ReadingView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit && event->type() == QEvent::FontChange && !m_applying && m_edit->font() != m_appliedFont) {
        // A font chosen elsewhere (the font dialog, the stored font) is the new base.
        m_baseFont = m_edit->font();
        ApplyFont();
    } else if (m_edit && watched == m_edit->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / 120;
            if (steps != 0)
                SetZoom(m_view.zoom + steps * ViewSettings::kZoomStep);
            return true;
        }
    } else if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange
               && m_view.theme == ViewTheme::System) {
        ApplyColours();
    }
    return false;
}

void ReadingView::ApplyFont()
{
    if (!m_edit)
        return;
    QFont font = m_baseFont;
    const qreal scale = m_view.zoom / 100.0;
    if (m_baseFont.pixelSize() > 0)
        font.setPixelSize(qMax(1, qRound(m_baseFont.pixelSize() * scale)));
    else if (m_baseFont.pointSizeF() > 0)
        font.setPointSizeF(m_baseFont.pointSizeF() * scale);
    const QFontMetricsF metrics(font);
    font.setLetterSpacing(QFont::AbsoluteSpacing, metrics.averageCharWidth() * m_view.letterSpacing / 100.0);
    font.setWordSpacing(metrics.horizontalAdvance(QLatin1Char(' ')) * m_view.wordSpacing / 100.0);
    m_applying = true;
    m_appliedFont = font;
    m_edit->setFont(font);
    m_applying = false;
    m_layout->SetLineFactor(m_view.lineSpacing / 100.0);
}

void ReadingView::ApplyColours()
{
    if (!m_edit)
        return;
    const ThemeColours colours = ColoursOfTheme(m_view.theme, m_lightPalette, QApplication::palette());
    m_edit->setPalette(PaletteWithColours(m_view.theme == ViewTheme::Light ? m_lightPalette : m_edit->palette(),
                                          colours));
}

void ReadingView::ApplyCaret()
{
    if (m_edit)
        m_edit->setCursorWidth(m_view.wideCaret ? kWideCaretWidth : 1);
}

void ReadingView::Refresh()
{
    if (m_edit)
        m_edit->viewport()->update();
    if (m_overlay)
        m_overlay->update();
    emit changed();
}

void ReadingView::Store(const QString &key, int value)
{
    if (!WriteViewNumber(m_settings, key, value) && m_hooks.status)
        m_hooks.status(m_settings.LastError());
}

void ReadingView::Tell(ViewMessage message, int value)
{
    if (m_hooks.status)
        m_hooks.status(ViewMessageText(message, m_hooks.interfaceLanguage ? m_hooks.interfaceLanguage() : 0, value));
}
