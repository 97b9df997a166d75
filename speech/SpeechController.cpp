#include "speech/SpeechController.h"

#include "core/SettingsStore.h"
#include "speech/ExceptionsDictionary.h"
#include "engines/SpeechEngines.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"

#include <QFileInfo>

#include <utility>

SpeechController::SpeechController(SpeechSettings settings, const SpeechEngineSet &engines,
                                   FormDiccionariExcepcions *dictionary, QObject *parent)
    : QObject(parent), m_settings(settings), m_engines(engines), m_dictionary(dictionary),
      m_recordings(engines.wave, engines.media, dictionary)
{
    for (VoiceEngine *engine : {m_engines.msp, m_engines.sapi, m_engines.upctv})
        ListenToEngine(engine);
}

SpeechController::~SpeechController()
{
    for (VoiceEngine *engine : {m_engines.msp, m_engines.sapi, m_engines.upctv}) {
        if (engine) {
            engine->SetWordListener(nullptr);
            engine->Close();
        }
    }
}

void SpeechController::ListenToEngine(VoiceEngine *engine)
{
    if (engine)
        engine->SetWordListener([this](const HeardWord &word) { WordHeardByEngine(word); });
}

void SpeechController::FollowReading(const Prepared &reading)
{
    // Engines that never tell of an end must not make the list grow for ever.
    constexpr int kMostFollowed = 64;
    if (m_readings.size() >= kMostFollowed)
        m_readings.removeFirst();
    m_readings.append({reading.id, reading.length, reading.replaced});
}

void SpeechController::WordHeardByEngine(const HeardWord &word)
{
    for (qsizetype i = 0; i < m_readings.size(); ++i) {
        Reading &reading = m_readings[i];
        if (reading.id != word.utterance)
            continue;
        if (word.textEnded) {
            const UtteranceId id = reading.id;
            m_readings.remove(i);
            emit readingEnded(id);
            return;
        }
        // The dictionary's replacement stands for the whole original text.
        const int start = reading.wholeText ? 0 : word.start;
        const int length = reading.wholeText ? reading.length : word.length;
        if (start == reading.lastStart && length == reading.lastLength)
            return;
        reading.lastStart = start;
        reading.lastLength = length;
        emit wordHeard(reading.id, start, length);
        return;
    }
}

bool SpeechController::Unfollow(UtteranceId id)
{
    return m_readings.removeIf([id](const Reading &followed) { return followed.id == id; }) > 0;
}

void SpeechController::EndReadings()
{
    const QList<Reading> readings = std::exchange(m_readings, {});
    for (const Reading &reading : readings)
        emit readingEnded(reading.id);
}

SpeechController::Prepared SpeechController::Queue(const QString &original, const QString &spoken,
                                                   const UtteranceQueued &queued)
{
    const Prepared reading{++m_lastUtterance, int(original.size()), spoken != original, spoken};
    if (queued)
        queued(reading.id);
    return reading;
}

bool SpeechController::Failed(UtteranceId id, SpeechFailure reason, const QString &message)
{
    emit speechFailed(id, reason, message);
    emit readingEnded(id);
    return false;
}

bool SpeechController::AutomationAvailable() const
{
    return m_engines.msp || m_engines.sapi;
}

void SpeechController::AddFamily(VoiceEngine *engine, VoiceFamily family)
{
    QStringList descriptions;
    const int total = engine ? engine->VoiceCount() : 0;
    // A family whose enumeration fails half-way keeps the voices listed so far, and
    // each voice keeps its index within the family.
    for (int i = 0; i < total; ++i) {
        const std::optional<QString> description = engine->VoiceDescription(i);
        if (!description)
            break;
        descriptions << *description;
    }
    m_list.SetFamily(family, descriptions);
}

void SpeechController::SetUp()
{
    // In list order; a family that cannot be opened stays out of the list.
    const std::pair<VoiceEngine *, VoiceFamily> families[] = {
        {m_engines.msp, VoiceFamily::Msp}, {m_engines.sapi, VoiceFamily::Sapi}, {m_engines.upctv, VoiceFamily::Upctv}};
    for (const auto &[engine, family] : families) {
        if (engine && engine->Open())
            AddFamily(engine, family);
    }
    if (m_engines.sapi)
        m_serviceVoicesToCome = false;
    ApplyStoredVoice();
    const QString rate = m_settings.RateText();
    m_rateLabel = rate;
    if (const std::optional<int> position = ToInteger(rate))
        SetRatePosition(*position);
    SetSpeechRate();
}

void SpeechController::ApplyStoredVoice()
{
    m_storedVoicePending = false;
    if (m_list.isEmpty() && !m_serviceVoicesToCome)
        return;
    using Outcome = StoredVoice::Resolved::Outcome;
    const int settled = m_serviceVoicesToCome ? MspCount() : m_list.size();
    const StoredVoice::Resolved stored = StoredVoice::Resolve(m_settings.Voice(), m_list.Texts(), settled);
    switch (stored.outcome) {
    case Outcome::Chosen:
        // The voice is the one chosen even when the settings file is read-only.
        if (stored.numberStale)
            m_settings.WriteVoiceNumber(stored.row);
        SetSelectedIndex(stored.row);
        SelectVoice();
        break;
    case Outcome::Pending:
        m_storedVoicePending = true;
        [[fallthrough]];
    case Outcome::NoneChosen: {
        // No voice was ever chosen (or it is not known yet): each engine keeps its default
        // voice, and the list shows the one that is heard, so that choosing it stores it.
        const int mspCount = MspCount();
        const int heard = m_engines.msp && mspCount > 0 ? m_engines.msp->DefaultVoice() : -1;
        SetSelectedIndex(heard >= 0 && heard < mspCount ? heard : 0);
        // A Catalan session is offered the most natural Catalan voice there is.
        const VoiceId ona{VoiceFamily::Upctv, VoiceCatalog::kUpctvOnaEntry};
        if (UpctvLoaded() && m_list.RowOf(ona) >= 0 && VoiceCatalog::SessionLanguage().startsWith(QLatin1String("ca"))
            && UpctvRenderingProblem(ona).isEmpty()) {
            SetSelectedIndex(m_list.RowOf(ona));
            SelectVoice();
        }
        break;
    }
    case Outcome::Unusable:
        break;
    }
}

void SpeechController::AddServiceVoices(VoiceEngine *engine)
{
    m_serviceVoicesToCome = false;
    bool grown = false;
    if (engine && !m_engines.sapi && SapiCount() == 0) {
        m_engines.sapi = engine;
        ListenToEngine(engine);
        AddFamily(engine, VoiceFamily::Sapi);
        grown = SapiCount() > 0;
    }
    // A voice chosen meanwhile keeps its entry, wherever it now stands.
    const bool wasPending = m_storedVoicePending;
    if (wasPending)
        ApplyStoredVoice();
    if (grown || wasPending)
        emit voiceListChanged();
}

void SpeechController::SetSelectedIndex(int index)
{
    // As a list box: an index outside the list selects nothing.
    m_voice = m_list.VoiceAt(index);
}

void SpeechController::SetRatePosition(int position)
{
    m_rate = qBound(-10, position, 10);
}

VoiceEngine *SpeechController::FamilyEngine(VoiceFamily family)
{
    VoiceEngine *engine = nullptr;
    switch (family) {
    case VoiceFamily::Msp:
        engine = m_engines.msp;
        break;
    case VoiceFamily::Sapi:
        engine = m_engines.sapi;
        break;
    case VoiceFamily::Upctv:
        engine = m_engines.upctv;
        break;
    }
    return engine ? engine : &m_silent;
}

void SpeechController::SelectVoice()
{
    // A voice chosen now is the one kept, whatever the stored one turns out to be.
    m_storedVoicePending = false;
    const VoiceId voice = m_voice;
    // A failed write (a read-only settings file) must not keep the voice from changing.
    m_settings.WriteRenderingVoice(voice);
    VoiceEngine *engine = FamilyEngine(voice.family);
    m_engineVoice.insert(int(voice.family), voice.index);
    if (!engine->SelectVoice(voice.index)) {
        // A voice that cannot speak says why when it has something to tell (what to install).
        const EngineFailure failure = engine->LastFailure();
        if (!failure.message.isEmpty())
            emit speechFailed(0, failure.reason, failure.message);
    }
    SetSpeechRate();
}

void SpeechController::SetSpeechRate()
{
    FamilyEngine(m_voice.family)->SetRate(m_rate);
    m_rateLabel = QString::number(m_rate);
}

bool SpeechController::Speak(const Prepared &reading, bool wait)
{
    const UtteranceId id = reading.id;
    const QString &t = reading.text;
    // The dictionary's recordings come before any voice.
    if (DictionaryRecordings::IsRecording(t)) {
        if (const std::optional<SpeechFailure> failure = m_recordings.Play(t, wait))
            return Failed(id, *failure);
        return true;
    }
    VoiceEngine *engine = PrepareSpeakingEngine();
    FollowReading(reading);
    if (!wait) {
        if (engine->Speak(t, id))
            return true;
        Unfollow(id);
        return Failed(id, engine->LastFailure());
    }
    // An engine that queues speaks while this thread waits without handling events, so
    // its words' news would come too late: the one word that word-by-word reading gives is
    // shown before and for all of it. Its news that come later find the reading ended.
    emit wordHeard(id, 0, reading.length);
    m_readings.last().lastStart = 0;
    m_readings.last().lastLength = reading.length;
    const bool heard = engine->Speak(t, id) && engine->WaitUntilDone();
    const bool followed = Unfollow(id);
    if (!heard)
        return Failed(id, engine->LastFailure());
    if (followed)
        emit readingEnded(id);
    return true;
}

UtteranceId SpeechController::SpeakText(const QString &text, const UtteranceQueued &queued)
{
    const QString t = m_dictionary ? m_dictionary->ApplyExceptionsDictionary(text) : text;
    // Nothing to say changes nothing: a reading under way goes on.
    if (t.trimmed().isEmpty())
        return 0;
    const Prepared reading = Queue(text, t, queued);
    Speak(reading, false);
    return reading.id;
}

void SpeechController::WriteReading(bool reading)
{
    if (!reading && m_readingFlagKept)
        return;
    // A read-only settings file is told once; reading goes on. The store leaves a file
    // that already says so untouched.
    m_settings.WriteReading(reading);
}

void SpeechController::KeepReadingFlag(bool keep)
{
    if (m_readingFlagKept == keep)
        return;
    m_readingFlagKept = keep;
    if (!keep)
        WriteReading(false);
}

bool SpeechController::SpeakTextAndWait(const QString &text, const UtteranceQueued &queued)
{
    WriteReading(true);
    const QString t = m_dictionary ? m_dictionary->ApplyExceptionsDictionary(text) : text;
    bool spoken = true;
    if (!t.trimmed().isEmpty()) {
        spoken = Speak(Queue(text, t, queued), true);
    }
    WriteReading(false);
    return spoken;
}

void SpeechController::StopSpeech()
{
    m_recordings.Stop();
    // A part read in another voice may still be heard from its engine.
    m_familiesHeard.insert(int(m_voice.family));
    for (const int family : std::exchange(m_familiesHeard, {}))
        FamilyEngine(VoiceFamily(family))->Skip();
    EndReadings();
    // A stop ends a kept reading too.
    m_readingFlagKept = false;
    WriteReading(false);
}

std::optional<VoiceId> SpeechController::ListedVoice(const QString &name) const
{
    if (name.isEmpty())
        return std::nullopt;
    const int row = int(m_list.Texts().indexOf(name));
    if (row < 0)
        return std::nullopt;
    return m_list.VoiceAt(row);
}

VoiceEngine *SpeechController::PrepareSpeakingEngine()
{
    const VoiceId voice = SpeakingVoice();
    VoiceEngine *engine = FamilyEngine(voice.family);
    m_familiesHeard.insert(int(voice.family));
    const auto given = m_engineVoice.constFind(int(voice.family));
    const bool otherGiven = given != m_engineVoice.constEnd() && *given != voice.index;
    if (voice == m_voice && !otherGiven)
        return engine;
    if (given == m_engineVoice.constEnd() || otherGiven) {
        // No voice ever chosen is the engine's default one.
        const int index = voice.index >= 0 ? voice.index : engine->DefaultVoice();
        if (index >= 0)
            engine->SelectVoice(index);
        m_engineVoice.insert(int(voice.family), voice.index);
    }
    engine->SetRate(m_rate);
    return engine;
}

UtteranceId SpeechController::SpeakTextInVoice(const QString &text, const QString &voice, const UtteranceQueued &queued)
{
    m_partVoice = ListedVoice(voice);
    const UtteranceId id = SpeakText(text, queued);
    m_partVoice.reset();
    return id;
}

bool SpeechController::SpeakTextInVoiceAndWait(const QString &text, const QString &voice, const UtteranceQueued &queued)
{
    m_partVoice = ListedVoice(voice);
    const bool spoken = SpeakTextAndWait(text, queued);
    m_partVoice.reset();
    return spoken;
}
