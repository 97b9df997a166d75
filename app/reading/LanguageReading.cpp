#include "app/reading/LanguageReading.h"

#include "app/reading/ReadingSession.h"
#include "app/menus/SwitchItem.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <array>

namespace
{
// "The voice kept for %1, %2, is no longer listed: %3 reads it." in the interface
// languages, in the order of the language list.
constexpr std::array<const char *, 7> kFallBackNote = {
    "La veu desada per a la llengua «%1», %2, ja no hi és: la llegeix %3.",
    "La voz guardada para la lengua «%1», %2, ya no está: la lee %3.",
    "«%1» hizkuntzarako gordetako ahotsa, %2, ez dago jada: %3 ahotsak irakurtzen du.",
    "A voz gardada para a lingua «%1», %2, xa non está: le %3.",
    "A voz guardada para a língua «%1», %2, já não existe: lê-a %3.",
    "The voice kept for the language \"%1\", %2, is no longer listed: %3 reads it.",
    "La voix enregistrée pour la langue « %1 », %2, n'existe plus : %3 la lit.",
};
// The same when no voice speaks the language any more: the chosen voice reads it.
constexpr std::array<const char *, 7> kNoVoiceNote = {
    "La veu desada per a la llengua «%1», %2, ja no hi és: la llegeix la veu triada.",
    "La voz guardada para la lengua «%1», %2, ya no está: la lee la voz elegida.",
    "«%1» hizkuntzarako gordetako ahotsa, %2, ez dago jada: aukeratutako ahotsak irakurtzen du.",
    "A voz gardada para a lingua «%1», %2, xa non está: le a voz escollida.",
    "A voz guardada para a língua «%1», %2, já não existe: lê-a a voz escolhida.",
    "The voice kept for the language \"%1\", %2, is no longer listed: the chosen voice reads it.",
    "La voix enregistrée pour la langue « %1 », %2, n'existe plus : la voix choisie la lit.",
};
// How much text around a reading's start is looked at: a few paragraphs before (what a
// short paragraph takes its language from) and some thousands of characters after.
constexpr int kContext = 1500;
constexpr int kAhead = 6000;
// How long after a reading's first stretch is told the rest is.
constexpr int kExtendAfterMs = 100;
} // namespace

LanguageReading::LanguageReading(const Parts &parts) : m_parts(parts)
{
    m_on = m_parts.settings.ReadYes(kSection, kKey, false);
    if (m_parts.edit)
        connect(m_parts.edit->document(), &QTextDocument::contentsChanged, this, [this] { m_stale = true; });
    connect(&m_parts.speech, &SpeechController::voiceListChanged, this, &LanguageReading::RefreshVoices);
    m_parts.session.SetVoiceAt([this](int position) { return VoiceAt(position); });
    m_loadingWatch.setInterval(100);
    connect(&m_loadingWatch, &QTimer::timeout, this, [this] {
        if (!DetectorReady())
            return;
        m_loadingWatch.stop();
        emit paragraphLanguagesChanged();
    });
    RefreshVoices();
    Attach();
}

LanguageReading::~LanguageReading() = default;

bool LanguageReading::DetectorReady() const
{
    return m_detector || (m_loading.valid() && m_loading.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
}

const LanguageDetector &LanguageReading::Detector()
{
    if (!m_detector)
        m_detector = m_loading.valid() ? m_loading.get() : std::make_unique<LanguageDetector>();
    return *m_detector;
}

void LanguageReading::BindMenuItem(QAction *item)
{
    m_item = item;
    BindSwitchItem(item, m_on, this, [this](bool on) { SetOn(on); });
}

void LanguageReading::SetOn(bool on)
{
    if (m_item && m_item->isChecked() != on)
        m_item->setChecked(on);
    if (on == m_on)
        return;
    m_on = on;
    // A read-only settings file leaves the switch as chosen for this run.
    m_parts.settings.WriteYes(kSection, kKey, on);
    Attach();
    emit paragraphLanguagesChanged();
}

void LanguageReading::Attach()
{
    // The dictionaries are read meanwhile, away from the window, so that the first reading
    // does not wait for them.
    if (m_on && !m_detector && !m_loading.valid()) {
        m_loading = std::async(std::launch::async, [] { return std::make_unique<LanguageDetector>(); });
        m_loadingWatch.start();
    }
    if (m_on)
        m_parts.session.SetLanguageCut([this](int from, int to) { return CutAt(from, to); });
    else
        m_parts.session.SetLanguageCut({});
}

void LanguageReading::RefreshVoices()
{
    m_voices.Refresh(LanguageVoices::CandidatesOf(m_parts.speech), m_parts.settings, m_parts.speech.VoicesSettled());
    const int language = m_parts.interfaceLanguage ? m_parts.interfaceLanguage() : 0;
    const size_t index = language >= 0 && language < int(kFallBackNote.size()) ? size_t(language) : 0;
    for (const LanguageVoices::FallBack &fallBack : m_voices.TakeFallBacks()) {
        const QString note = fallBack.used.isEmpty()
            ? QString::fromUtf8(kNoVoiceNote[index]).arg(fallBack.language, fallBack.stored)
            : QString::fromUtf8(kFallBackNote[index]).arg(fallBack.language, fallBack.stored, fallBack.used);
        if (m_parts.tell)
            m_parts.tell(note);
    }
    emit voicesChanged();
}

void LanguageReading::DetectAround(int position)
{
    if (m_stale) {
        m_text = m_parts.edit ? m_parts.edit->toPlainText() : QString();
        m_runs.clear();
        m_toldFrom = m_toldTo = 0;
        m_stale = false;
        m_extending = false;
    }
    const auto size = int(m_text.size());
    // Told already, with more text after the stretch than the stretch itself: nothing to add.
    const LanguageRun *told = nullptr;
    for (const LanguageRun &run : m_runs)
        if (run.start <= position && position < run.start + run.length)
            told = &run;
    if (told && (told->start + told->length < m_toldTo || m_toldTo >= size))
        return;
    // The rest is told once the reading has started: until then a stretch ends where the
    // told text does.
    if (told && m_extending)
        return;
    // Before the first word only the position's paragraph is told (with the ones before it
    // when it is too short to tell its own); the paragraphs after it follow once the
    // reading has started.
    const int paragraph = position <= 0 ? 0 : int(m_text.lastIndexOf(u'\n', position - 1)) + 1;
    int paragraphEnd = int(m_text.indexOf(u'\n', position));
    paragraphEnd = paragraphEnd < 0 ? size : paragraphEnd + 1;
    const bool first = !told;
    const bool ownLanguage = WordCount(QStringView(m_text).mid(paragraph, paragraphEnd - paragraph))
                             >= LanguageDetector::kFewestWords;
    const int before = qMax(0, position - kContext);
    const int from = first && ownLanguage ? paragraph : before == 0 ? 0 : int(m_text.lastIndexOf(u'\n', before)) + 1;
    int to = int(m_text.indexOf(u'\n', qMin(size, position + kAhead)));
    to = first ? paragraphEnd : to < 0 ? size : to + 1;
    m_runs = LanguageRuns(QStringView(m_text).mid(from, to - from), Detector());
    for (LanguageRun &run : m_runs)
        run.start += from;
    m_toldFrom = from;
    m_toldTo = to;
    if (first && to < size) {
        m_extending = true;
        // Once the first sound is on its way: the speech's own news come first.
        QTimer::singleShot(kExtendAfterMs, this, [this, position] {
            if (!m_extending)
                return;
            m_extending = false;
            DetectAround(position);
        });
    }
}

const LanguageRun *LanguageReading::RunAt(int position)
{
    if (!m_on)
        return nullptr;
    DetectAround(position);
    for (const LanguageRun &run : m_runs)
        if (run.start <= position && position < run.start + run.length)
            return &run;
    return nullptr;
}

int LanguageReading::CutAt(int from, int to)
{
    const LanguageRun *run = RunAt(from);
    return run ? std::min(to, run->start + run->length) : to;
}

QString LanguageReading::VoiceAt(int position)
{
    const LanguageRun *run = RunAt(position);
    return run && !run->language.isEmpty() ? m_voices.VoiceFor(run->language) : QString();
}

QList<ExportRun> LanguageReading::ExportRuns(const QString &text, const LanguageVoiceChoice &chosen)
{
    if (!m_on)
        return {};
    return ExportRuns(LanguageRuns(text, Detector()), chosen);
}

QList<ExportRun> LanguageReading::ExportRuns(const QList<LanguageRun> &languages, const LanguageVoiceChoice &chosen)
{
    return VoicedRuns(languages, chosen,
                      [this](const QString &language) { return m_voices.ExportVoiceFor(language, m_parts.speech); });
}

QList<LanguageRun> LanguageReading::Languages(const QString &text)
{
    return m_on ? LanguageRuns(text, Detector()) : QList<LanguageRun>();
}

QString LanguageReading::TellParagraph(const QString &text)
{
    if (WordCount(text) < LanguageDetector::kFewestWords)
        return {};
    if (const auto told = m_toldParagraphs.constFind(text); told != m_toldParagraphs.cend())
        return *told;
    // Kept for the paragraphs of a long document, and forgotten past that.
    if (m_toldParagraphs.size() > 20000)
        m_toldParagraphs.clear();
    const QString language = Detector().Detect(text);
    m_toldParagraphs.insert(text, language);
    return language;
}

QString LanguageReading::ParagraphLanguage(const QTextBlock &block)
{
    if (!m_on || !DetectorReady())
        return {};
    // As far as a reading looks for the language a short paragraph takes.
    constexpr int kNeighbours = 20;
    QTextBlock look = block;
    for (int i = 0; i < kNeighbours && look.isValid(); ++i, look = look.previous())
        if (const QString language = TellParagraph(look.text()); !language.isEmpty())
            return language;
    look = block.next();
    for (int i = 0; i < kNeighbours && look.isValid(); ++i, look = look.next())
        if (const QString language = TellParagraph(look.text()); !language.isEmpty())
            return language;
    return {};
}
