#pragma once

#include "export/AudioExportRuns.h"
#include "speech/LanguageVoices.h"
#include "spell/LanguageDetector.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QHash>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

class QAction;
class QPlainTextEdit;
class QTextBlock;
class ReadingSession;
class SettingsStore;
class SpeechController;

// The voice that follows the language of the text: while the "&Opcions" switch is on,
// readings are cut where the language changes and each stretch is read by its language's
// voice. The languages are told once per version of the document, when a reading first
// needs them; a language no listed voice speaks is read by the chosen voice.
class LanguageReading : public QObject
{
    Q_OBJECT
public:
    struct Parts
    {
        QPlainTextEdit *edit;
        SettingsStore &settings;
        SpeechController &speech;
        ReadingSession &session;
        // Shows a line in the status bar.
        std::function<void(const QString &)> tell;
        // The interface language in use, an index of the language list.
        std::function<int()> interfaceLanguage;
    };
    explicit LanguageReading(const Parts &parts);
    ~LanguageReading() override;

    static inline const QString kSection = QStringLiteral("LlibreriaLlegir");
    static inline const QString kKey = QStringLiteral("CANVI DE LLENGUA");

    void BindMenuItem(QAction *item);
    bool On() const { return m_on; }
    void SetOn(bool on);

    // The voices of the languages, as the speech window lists them.
    LanguageVoices &Voices() { return m_voices; }
    // The list of voices changed: the choices are looked at again.
    void RefreshVoices();

    // The language stretch that holds the position, as far as the text around it tells;
    // none while the switch is off.
    const LanguageRun *RunAt(int position);
    // The dictionaries are read (they take seconds) while the switch is on: true once they are.
    bool DetectorReady() const;
    // Where the stretch from `from` ends, at most `to`.
    int CutAt(int from, int to);
    // The voice of the text at the position; empty for the chosen voice.
    QString VoiceAt(int position);
    // The stretches of the text an export records each with its language's voice, the
    // chosen voice reading what no listed voice speaks; empty while the switch is off and
    // for one voice throughout.
    QList<ExportRun> ExportRuns(const QString &text, const LanguageVoiceChoice &chosen);
    // The same, for a text's stretches of each language already told.
    QList<ExportRun> ExportRuns(const QList<LanguageRun> &languages, const LanguageVoiceChoice &chosen);
    // A text's stretches of each language while the voice follows the language; none otherwise.
    QList<LanguageRun> Languages(const QString &text);
    // The language of a paragraph of the editor, a short one taking that of the nearest
    // long one before it (after it at the start); empty while the switch is off, while
    // the dictionaries are still read, and when it cannot be told.
    QString ParagraphLanguage(const QTextBlock &block);

signals:
    // The languages' voices were looked at again.
    void voicesChanged();
    // What ParagraphLanguage answers may have changed: the switch turned, or the
    // dictionaries became ready.
    void paragraphLanguagesChanged();

private:
    void Attach();
    const LanguageDetector &Detector();
    // Tells the languages of the text around the position: only what a reading from
    // there needs, so that a long document is not read through before the first word.
    void DetectAround(int position);
    // The language a paragraph's own words tell; empty for too few words.
    QString TellParagraph(const QString &text);

    Parts m_parts;
    QPointer<QAction> m_item;
    bool m_on = false;
    std::unique_ptr<LanguageDetector> m_detector;
    std::future<std::unique_ptr<LanguageDetector>> m_loading;
    LanguageVoices m_voices;
    // The text as last read, and the stretches told of a part of it.
    QString m_text;
    QList<LanguageRun> m_runs;
    int m_toldFrom = 0;
    int m_toldTo = 0;
    bool m_stale = true;
    // Only the first stretch of a reading is told so far; the rest comes next.
    bool m_extending = false;
    // The paragraphs told for the spelling, by their text: a paragraph is asked again at
    // every key typed in it or its neighbours.
    QHash<QString, QString> m_toldParagraphs;
    // Looks at the dictionaries being read until they are ready.
    QTimer m_loadingWatch;
};
