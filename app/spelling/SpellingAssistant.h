#pragma once

#include "speech/SpeechOperations.h"
#include "spell/LanguageCheckers.h"
#include "spell/PersonalWordList.h"
#include "spell/SpellWords.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class ActivityGate;
class QAction;
class QMenu;
class QPlainTextEdit;
class QTextBlock;
class SettingsStore;
class SpellChecker;
class SpellHighlighter;
class SuggestionList;
class WavePlayer;

// Spelling in the editor: the misspelled words marked, the dictionary of the voice's
// language, the switch in "&Opcions", the tone after a misspelled word echoed,
// Ctrl+F12 (the word at the caret spelt, its suggestions one by one and shown under
// the word, Enter to take the one last heard until the caret leaves the word, Esc to leave) and the menu of a marked word (its suggestions, "Afegir al
// diccionari", "Ignorar"; also on the Menu key).
class SpellingAssistant : public QObject
{
    Q_OBJECT
public:
    // Suggestions are gone through with Ctrl+F12 pressed again within this time.
    static constexpr int kCycleMs = 2000;

    SpellingAssistant(QPlainTextEdit *edit, SettingsStore &settings, SpeechOperations &speech,
                      const QString &personalListFile, QObject *parent = nullptr);
    ~SpellingAssistant() override;

    // What the assistant asks of the program; each may be left unset.
    void SetVoiceLanguage(std::function<QString()> language) { m_voiceLanguage = std::move(language); }
    // The language of a paragraph, when each is checked in its own; empty for the voice's.
    void SetParagraphLanguage(std::function<QString(const QTextBlock &block)> language);
    void SetInterfaceLanguage(std::function<int()> language) { m_interfaceLanguage = std::move(language); }
    void SetStatus(std::function<void(const QString &)> status) { m_status = std::move(status); }
    void SetStopReading(std::function<void()> stop) { m_stopReading = std::move(stop); }
    void SetActivityGate(ActivityGate *gate) { m_gate = gate; }
    void SetTone(WavePlayer *player, const QString &fileName);
    // The "Revisar l'ortografia" check item; do not connect its toggled() yourself.
    void BindMenuItem(QAction *item);

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    // Opens the dictionary of the voice's language when it changed; tells the status
    // line when there is none.
    void FollowVoice();
    const SpellChecker *Checker() const { return m_checker.get(); }
    // The dictionary of a paragraph: its own language's, or the voice's; null without one.
    const SpellChecker *CheckerFor(const QTextBlock &block);
    // A word the marks would show: checking on, a dictionary, and the word unknown.
    bool IsMisspelled(const QString &word);

    // The words marked now, as places in the document (checked a moment after a change).
    QList<WordSpan> Marks() const;
    // The marked word at a place of the document; an empty span when the word there is right.
    WordSpan MisspelledAt(int position);
    // The menu of the marked word at a place of the document, or null; the caller shows it.
    std::unique_ptr<QMenu> MenuFor(int position);

public slots:
    // The paragraphs' languages may have changed (the switch turned, detection ready): the
    // marks are found again.
    void ParagraphLanguagesChanged();
    // A word was echoed as a reading of its own: the tone follows its end when it is misspelled.
    void WordEchoed(UtteranceId utterance, const QString &word);
    void ReadingEnded(UtteranceId utterance);
    // Ctrl+F12.
    void SpellCaretWord();
    // The menu of a marked word at a point of the editor's viewport; false when there is
    // none there (the right button keeps its other use).
    bool ShowMenuAt(const QPoint &viewportPoint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Say(const QString &text);
    void Replace(WordSpan span, QString expected, QString word);
    void AddToPersonalList(const QString &word);
    void Ignore(const QString &word);
    void EndCycle();
    // The caret went out of the word Ctrl+F12 spelt.
    void CaretMoved();
    int InterfaceLanguage() const;
    void Tell(const QString &text);

    QPointer<QPlainTextEdit> m_edit;
    SettingsStore &m_settings;
    SpeechOperations &m_speech;
    PersonalWordList m_personal;
    std::unique_ptr<SpellChecker> m_checker;
    LanguageCheckers m_otherLanguages;
    std::function<QString(const QTextBlock &block)> m_paragraphLanguage;
    QString m_checkerLanguage;
    bool m_triedLanguage = false;
    QPointer<SpellHighlighter> m_highlighter;
    QSet<QString> m_ignored;
    bool m_enabled = true;
    QPointer<QAction> m_item;

    std::function<QString()> m_voiceLanguage;
    std::function<int()> m_interfaceLanguage;
    std::function<void(const QString &)> m_status;
    std::function<void()> m_stopReading;
    ActivityGate *m_gate = nullptr;
    WavePlayer *m_tonePlayer = nullptr;
    QString m_toneFile;
    QSet<UtteranceId> m_toneAfter;

    // Ctrl+F12: the word, its suggestions and the one last spoken (-1: the spelling).
    struct Cycle
    {
        bool active = false;
        WordSpan span;
        QString word;
        QStringList suggestions;
        int spoken = -1;
        QElapsedTimer since;
    } m_cycle;
    QPointer<SuggestionList> m_shownList;
    bool m_replacing = false;
    int m_swallowRelease = 0;
};
