#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include "speech/SpeechOperations.h"

class QAction;
class QPalette;
class QPlainTextEdit;
class QWidget;
class SettingsStore;

// Shows the word being heard in the editor, on a lighter band over the sentence that
// holds it. They are extra selections and a frame drawn over the text, never a
// selection: the caret, the user's selection, undo and the modified flag stay as they are.
class SpokenWordHighlight : public QObject
{
    Q_OBJECT
public:
    struct Colours
    {
        QColor background;
        QColor foreground;
    };
    // Colours that stand out from the palette's base and read well: a dark amber on a
    // light base, a bright yellow on a dark one.
    static Colours ColoursFor(const QPalette &palette);
    // The band behind the sentence: the word's colour faded into the base, under the
    // palette's own text colour.
    static QColor BandColourFor(const QPalette &palette);
    // The WCAG contrast ratio of two colours, 1..21.
    static double Contrast(const QColor &a, const QColor &b);

    // Reads the stored switch ("SI" unless exactly "NO").
    SpokenWordHighlight(QPlainTextEdit *edit, SettingsStore &settings, QObject *parent = nullptr);
    ~SpokenWordHighlight() override;

    // The checkable menu item that switches the highlight.
    void BindMenuItem(QAction *item);
    bool Enabled() const { return m_enabled; }
    // Stores the switch when it changes; off removes a highlight shown.
    void SetEnabled(bool enabled);

    // A reading of a text that starts at this document position is under way.
    void Follow(UtteranceId utterance, int documentStart, const QString &text);
    // The speech's news: a word of a reading heard, and a reading heard to its end or stopped.
    void WordHeard(UtteranceId utterance, int start, int length);
    // The same, with the word at its place in the document.
    void WordHeardAt(UtteranceId utterance, int documentPosition, int length);
    void ReadingEnded(UtteranceId utterance);
    void Clear();

    // The highlighted range of the document; length 0 when nothing is highlighted.
    int ShownStart() const { return m_shownStart; }
    int ShownLength() const { return m_shownLength; }
    // The sentence band; length 0 when none is shown.
    int BandStart() const { return m_bandStart; }
    int BandLength() const { return m_bandLength; }

private:
    class Frame;
    bool Following(UtteranceId utterance) const;
    void Show(int start, int length);
    void ScrollIntoView(int position);
    // The sentence around the word, looked up again only when the word leaves it.
    void PlaceBand(int wordStart, int documentSize);

    QPointer<QPlainTextEdit> m_edit;
    SettingsStore &m_settings;
    QPointer<QAction> m_item;
    QPointer<Frame> m_frame;
    bool m_enabled = true;
    int m_anchor = -1;
    UtteranceId m_followed = 0;
    QString m_anchorText;
    int m_shownStart = 0;
    int m_shownLength = 0;
    int m_bandStart = 0;
    int m_bandLength = 0;
    int m_bandRevision = -1;
};
