#include "app/reading/SpokenWordHighlight.h"

#include "app/reading/DocumentSentences.h"
#include "app/menus/SwitchItem.h"
#include "core/SettingsStore.h"

#include <QAction>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace {

const StoredSwitch kSwitch{QStringLiteral("LlibreriaLlegir"), QStringLiteral("RESSALTAR")};

double Luminance(const QColor &colour)
{
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

constexpr int kFrameWidth = 2;
// How much of the word's colour the sentence band takes.
constexpr double kBandShare = 0.22;

} // namespace

// Drawn over the viewport's text, so that the word stays marked inside the user's
// selection too (a selection paints over extra selections).
class SpokenWordHighlight::Frame : public QWidget
{
public:
    Frame(QPlainTextEdit *edit, const SpokenWordHighlight &owner)
        : QWidget(edit->viewport()), m_edit(edit), m_owner(owner)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        edit->viewport()->installEventFilter(this);
        setGeometry(edit->viewport()->rect());
        show();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && watched == parent())
            setGeometry(static_cast<QWidget *>(watched)->rect());
        return false;
    }

    // Scrolling the viewport moves its children along with the text.
    void moveEvent(QMoveEvent *) override
    {
        if (pos() != QPoint(0, 0))
            move(0, 0);
    }

    void paintEvent(QPaintEvent *) override
    {
        if (m_owner.m_shownLength <= 0 || !m_edit)
            return;
        QTextCursor start(m_edit->document());
        start.setPosition(m_owner.m_shownStart);
        QTextCursor end(m_edit->document());
        end.setPosition(qMin(m_owner.m_shownStart + m_owner.m_shownLength, m_edit->document()->characterCount() - 1));
        const QRect first = m_edit->cursorRect(start);
        const QRect last = m_edit->cursorRect(end);
        QPainter painter(this);
        QPen pen(ColoursFor(m_edit->palette()).background, kFrameWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // A word wrapped over two lines is framed on the first.
        const int right = first.top() == last.top() ? last.left() : width() - kFrameWidth;
        painter.drawRect(QRect(QPoint(first.left() - kFrameWidth, first.top()),
                               QPoint(right + kFrameWidth, first.bottom())));
    }

private:
    QPointer<QPlainTextEdit> m_edit;
    const SpokenWordHighlight &m_owner;
};

SpokenWordHighlight::Colours SpokenWordHighlight::ColoursFor(const QPalette &palette)
{
    if (Luminance(palette.color(QPalette::Base)) > 0.5)
        return {QColor(0x9a, 0x3d, 0x00), QColor(Qt::white)};
    return {QColor(0xff, 0xd5, 0x4f), QColor(Qt::black)};
}

QColor SpokenWordHighlight::BandColourFor(const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor word = ColoursFor(palette).background;
    const auto mix = [](double b, double w) { return b + (w - b) * kBandShare; };
    return QColor::fromRgbF(float(mix(base.redF(), word.redF())), float(mix(base.greenF(), word.greenF())),
                            float(mix(base.blueF(), word.blueF())));
}

double SpokenWordHighlight::Contrast(const QColor &a, const QColor &b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

SpokenWordHighlight::SpokenWordHighlight(QPlainTextEdit *edit, SettingsStore &settings, QObject *parent)
    : QObject(parent), m_edit(edit), m_settings(settings)
{
    m_enabled = kSwitch.Read(m_settings);
    if (m_edit)
        m_frame = new Frame(m_edit, *this);
}

SpokenWordHighlight::~SpokenWordHighlight()
{
    delete m_frame;
}

void SpokenWordHighlight::BindMenuItem(QAction *item)
{
    m_item = item;
    BindSwitchItem(item, m_enabled, this, [this](bool on) { SetEnabled(on); });
}

void SpokenWordHighlight::SetEnabled(bool enabled)
{
    if (!kSwitch.Turn(m_item, m_enabled, enabled, m_settings))
        return;
    if (!enabled)
        Clear();
}

void SpokenWordHighlight::Follow(UtteranceId utterance, int documentStart, const QString &text)
{
    Clear();
    m_followed = utterance;
    m_anchor = documentStart;
    m_anchorText = text;
}

bool SpokenWordHighlight::Following(UtteranceId utterance) const
{
    return m_anchor >= 0 && utterance != 0 && utterance == m_followed;
}

void SpokenWordHighlight::WordHeardAt(UtteranceId utterance, int documentPosition, int length)
{
    if (Following(utterance))
        WordHeard(utterance, documentPosition - m_anchor, length);
}

void SpokenWordHighlight::WordHeard(UtteranceId utterance, int start, int length)
{
    if (!m_enabled || !Following(utterance))
        return;
    const QString &text = m_anchorText;
    // The blanks around a word are not part of it.
    int end = qMin(start + length, int(text.size()));
    start = qBound(0, start, end);
    while (start < end && text.at(start).isSpace())
        ++start;
    while (end > start && text.at(end - 1).isSpace())
        --end;
    Show(m_anchor + start, end - start);
}

void SpokenWordHighlight::ReadingEnded(UtteranceId utterance)
{
    if (Following(utterance)) {
        m_anchor = -1;
        m_followed = 0;
        m_anchorText.clear();
        Clear();
    }
}

void SpokenWordHighlight::Clear()
{
    Show(0, 0);
}

void SpokenWordHighlight::Show(int start, int length)
{
    if (!m_edit || (length <= 0 && m_shownLength <= 0))
        return;
    // The document may have changed under a long reading.
    const int size = m_edit->document()->characterCount() - 1;
    start = qBound(0, start, size);
    length = qBound(0, length, size - start);
    m_shownStart = start;
    m_shownLength = length;
    QList<QTextEdit::ExtraSelection> selections;
    if (length > 0) {
        PlaceBand(start, size);
        // The band goes first: the word is painted over it.
        QTextEdit::ExtraSelection band;
        band.cursor = QTextCursor(m_edit->document());
        band.cursor.setPosition(m_bandStart);
        band.cursor.setPosition(m_bandStart + m_bandLength, QTextCursor::KeepAnchor);
        band.format.setBackground(BandColourFor(m_edit->palette()));
        selections << band;
        QTextEdit::ExtraSelection word;
        word.cursor = QTextCursor(m_edit->document());
        word.cursor.setPosition(start);
        word.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        const Colours colours = ColoursFor(m_edit->palette());
        word.format.setBackground(colours.background);
        word.format.setForeground(colours.foreground);
        selections << word;
        ScrollIntoView(start);
    } else {
        m_bandStart = 0;
        m_bandLength = 0;
        m_bandRevision = -1;
    }
    // The editor has no other extra selections.
    m_edit->setExtraSelections(selections);
    // A word is painted now: word-by-word reading holds the thread while its word is
    // heard. A highlight taken away goes with the next frame: a jump or a stop takes it
    // away before the next reading is handed to the speech, and painting a long
    // paragraph would keep that reading waiting.
    if (length > 0)
        m_edit->viewport()->repaint();
    else
        m_edit->viewport()->update();
}

void SpokenWordHighlight::PlaceBand(int wordStart, int documentSize)
{
    const QTextDocument &document = *m_edit->document();
    if (m_bandRevision == document.revision() && wordStart >= m_bandStart
        && wordStart < m_bandStart + m_bandLength)
        return;
    const int start = DocumentSentences::StartAt(document, wordStart);
    const int end = qBound(start, DocumentSentences::EndAt(document, wordStart), documentSize);
    m_bandStart = start;
    m_bandLength = end - start;
    m_bandRevision = document.revision();
}

void SpokenWordHighlight::ScrollIntoView(int position)
{
    QTextCursor at(m_edit->document());
    at.setPosition(position);
    if (m_edit->viewport()->rect().contains(m_edit->cursorRect(at)))
        return;
    // The editor's scroll bar counts lines: the word's line goes to the middle.
    const int lineHeight = qMax(1, m_edit->fontMetrics().lineSpacing());
    const QTextLine within = at.block().layout()->lineForTextPosition(at.positionInBlock());
    const int line = at.block().firstLineNumber() + (within.isValid() ? within.lineNumber() : 0);
    m_edit->verticalScrollBar()->setValue(qMax(0, line - m_edit->viewport()->height() / lineHeight / 2));
}
