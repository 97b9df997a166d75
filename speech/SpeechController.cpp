#include "speech/SpeechController.h"

#include "core/SettingsStore.h"
#include "core/WaitWithEvents.h"
#include "platform/DesktopWindows.h"
#include "platform/SoundPlayers.h"
#include "speech/ExceptionsDictionary.h"
#include "speech/SpeakPreparation.h"
#include "engines/SpeechEngines.h"
#include "engines/VoiceCatalog.h"
#include "export/AudioExportProtocol.h"

#include <QFileInfo>

#include <utility>

const char *const SpeechController::kUpctvWindowTitle = "upcTV 1.0 - Lector de text en català i castellà";
const char *const SpeechController::kUpctvSynthesizerMissing =
    "La veu UPCTV - Dona - Català necessita festival: instal·leu festival festival-ca festvox-ca-ona-hts "
    "(sudo apt install festival festival-ca festvox-ca-ona-hts).";

SpeechController::SpeechController(SpeechSettings settings, const SpeechEngineSet &engines,
                                   FormDiccionariExcepcions *dictionary, QObject *parent)
    : QObject(parent), m_settings(settings), m_engines(engines), m_dictionary(dictionary)
{
    m_upctvTimer.setInterval(kUpctvTimerIntervalMs);
    connect(&m_upctvTimer, &QTimer::timeout, this, &SpeechController::UpctvWindowTimerTick);
    m_upctvWordTimer.setInterval(kUpctvWordPollMs);
    connect(&m_upctvWordTimer, &QTimer::timeout, this, &SpeechController::UpctvWordTick);
    ListenToEngine(m_engines.msp);
    ListenToEngine(m_engines.sapi);
}

SpeechController::~SpeechController()
{
    for (VoiceEngine *engine : {m_engines.msp, m_engines.sapi}) {
        if (engine)
            engine->SetWordListener(nullptr);
    }
    UnloadUpctv();
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
        const Reading reading = m_readings.at(i);
        if (reading.id != word.utterance)
            continue;
        if (word.textEnded) {
            m_readings.remove(i);
            emit readingEnded(reading.id);
        } else if (reading.wholeText) {
            // The dictionary's replacement stands for the whole original text.
            emit wordHeard(reading.id, 0, reading.length);
        } else {
            emit wordHeard(reading.id, word.start, word.length);
        }
        return;
    }
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

bool SpeechController::Failed(UtteranceId id, SpeechFailure reason)
{
    emit speechFailed(id, reason);
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
    AddFamily(m_engines.msp, VoiceFamily::Msp);
    AddFamily(m_engines.sapi, VoiceFamily::Sapi);
    // Before the library loads, because loading may open the library's own window.
    StartUpctvWindowTimer();
    if (LoadUpctv()) {
        QStringList entries;
        for (int e = 0; e < VoiceCatalog::kUpctvEntryCount; ++e)
            entries << VoiceCatalog::UpctvEntryText(e);
        m_list.SetFamily(VoiceFamily::Upctv, entries);
        m_upctvLoaded = true;
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
        const VoiceId ona{VoiceFamily::Upctv, 1};
        if (m_upctvLoaded && m_list.RowOf(ona) >= 0 && VoiceCatalog::SessionLanguage().startsWith(QLatin1String("ca"))
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

VoiceEngine *SpeechController::FamilyEngine(VoiceFamily family) const
{
    switch (family) {
    case VoiceFamily::Msp:
        return m_engines.msp;
    case VoiceFamily::Sapi:
        return m_engines.sapi;
    case VoiceFamily::Upctv:
        break;
    }
    return nullptr;
}

void SpeechController::SelectVoice()
{
    // A voice chosen now is the one kept, whatever the stored one turns out to be.
    m_storedVoicePending = false;
    const VoiceId voice = m_voice;
    switch (voice.family) {
    case VoiceFamily::Msp:
    case VoiceFamily::Sapi: {
        // A failed write (a read-only settings file) must not keep the voice from changing.
        m_settings.WriteRenderingVoice(voice.family, voice.index);
        if (VoiceEngine *engine = FamilyEngine(voice.family))
            engine->SelectVoice(voice.index);
        break;
    }
    case VoiceFamily::Upctv:
        if (m_upctvLoaded) {
            m_settings.WriteRenderingVoice(VoiceFamily::Upctv, std::nullopt);
            StartUpctvWindowTimer();
            if (voice.index != m_currentUpctvVoice && voice.index >= 0 && voice.index < VoiceCatalog::kUpctvEntryCount) {
                SelectUpctvVoice(voice.index);
                m_currentUpctvVoice = voice.index;
                if (m_engines.upctv && m_engines.upctv->SynthesizerMissing())
                    emit synthesizerMissing(QString::fromUtf8(kUpctvSynthesizerMissing));
            }
        }
        break;
    }
    SetSpeechRate();
}

void SpeechController::SetSpeechRate()
{
    const VoiceId voice = m_voice;
    if (voice.family == VoiceFamily::Upctv) {
        if (m_engines.upctv)
            m_engines.upctv->SetSpeed(VoiceCatalog::UpctvSpeed(m_rate));
    } else if (VoiceEngine *engine = FamilyEngine(voice.family)) {
        engine->SetRate(m_rate);
    }
    m_rateLabel = QString::number(m_rate);
}

bool SpeechController::LoadUpctv()
{
    if (!m_engines.upctv || !m_engines.upctv->Load())
        return false;
    m_engines.upctv->SetSpeed(100);
    return true;
}

void SpeechController::ReloadUpctv()
{
    if (!m_upctvLoaded || !m_engines.upctv)
        return;
    m_engines.upctv->Unload();
    if (m_engines.upctv->Load())
        m_engines.upctv->SetSpeed(100);
}

void SpeechController::UnloadUpctv()
{
    if (m_engines.upctv && m_engines.upctv->Loaded())
        m_engines.upctv->Unload();
}

void SpeechController::SelectUpctvVoice(int entry)
{
    if (!m_upctvLoaded || !m_engines.upctv)
        return;
    const VoiceCatalog::UpctvEntry &row = VoiceCatalog::kUpctvEntries[size_t(entry)];
    m_engines.upctv->Stop();
    ReloadUpctv();
    m_engines.upctv->SetLanguage(VoiceCatalog::UpctvLanguageCode(QString::fromUtf8(row.languageName)));
    m_engines.upctv->SetSpeaker(row.speaker);
}

void SpeechController::WaitWhileUpctvSpeaks(int pollMs)
{
    // A stop handled inside the wait makes the library idle; the next poll ends the loop.
    do {
        const std::optional<int> status = m_engines.upctv->Status(0);
        if (!status || *status == 0)
            break;
    } while (WaitWithEvents(pollMs) != WaitOutcome::Closing);
}

bool SpeechController::SpeakUpctv(const QString &text)
{
    if (!m_upctvLoaded || !m_engines.upctv)
        return false;
    m_engines.upctv->Stop();
    const bool read = m_engines.upctv->Read(SpeakPreparation::UpctvBytes(SpeakPreparation::UpctvText(text)));
    WaitWhileUpctvSpeaks(200);
    return read && m_engines.upctv->Heard();
}

QString SpeechController::SoundPath(const QString &text) const
{
    return SpeakPreparation::SoundFolder(m_dictionary ? m_dictionary->DictionaryFileName() : QString()) + text;
}

bool SpeechController::Speak(const Prepared &reading, bool wait)
{
    const UtteranceId id = reading.id;
    const QString &t = reading.text;
    const int length = reading.length;
    switch (SpeakPreparation::SoundFileKind(t)) {
    case SpeakPreparation::SoundFile::Wave:
        // The wave player is handed the name without an existence test.
        if (!m_engines.wave)
            return Failed(id, SpeechFailure::NotHeard);
        return m_engines.wave->Play(SoundPath(t), wait) || Failed(id, SpeechFailure::NotHeard);
    case SpeakPreparation::SoundFile::Mp3: {
        const QString path = SoundPath(t);
        if (!m_engines.media)
            return Failed(id, SpeechFailure::NotHeard);
        if (!QFileInfo::exists(path))
            return Failed(id, SpeechFailure::SoundFileMissing);
        m_engines.media->Close();
        return (m_engines.media->Open(path) && m_engines.media->Play(wait)) || Failed(id, SpeechFailure::NotHeard);
    }
    case SpeakPreparation::SoundFile::None:
        break;
    }
    const VoiceId voice = m_voice;
    if (voice.family == VoiceFamily::Upctv) {
        if (!m_upctvLoaded || !m_engines.upctv)
            return Failed(id, SpeechFailure::NoVoice);
        if (m_engines.upctv->SynthesizerMissing()) {
            emit synthesizerMissing(QString::fromUtf8(kUpctvSynthesizerMissing));
            return Failed(id, SpeechFailure::NoVoice);
        }
        // The whole text stands for its words until the library tells of one.
        emit wordHeard(id, 0, length);
        m_upctvPlaces.clear();
        if (!reading.replaced) {
            // One byte per character, and one for a character of two halves.
            for (int i = 0; i < t.size(); ++i) {
                m_upctvPlaces.append(i);
                if (t.at(i).unicode() == 0x0140 || t.at(i).unicode() == 0x013F)
                    m_upctvPlaces.append(i);
                if (t.at(i).isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate())
                    ++i;
            }
            m_upctvReading = id;
            m_upctvLastWord = -1;
            m_upctvWordTimer.start();
        }
        const bool spoken = SpeakUpctv(t);
        if (wait)
            WaitWhileUpctvSpeaks(100);
        m_upctvWordTimer.stop();
        m_upctvReading = 0;
        if (!spoken)
            return Failed(id, SpeechFailure::NotHeard);
        emit readingEnded(id);
        return true;
    }
    VoiceEngine *engine = FamilyEngine(voice.family);
    if (!engine)
        return Failed(id, SpeechFailure::NoVoice);
    if (!wait) {
        FollowReading(reading);
        if (engine->Speak(t, id))
            return true;
        m_readings.removeIf([id](const Reading &followed) { return followed.id == id; });
        return Failed(id, SpeechFailure::NotHeard);
    }
    // The thread waits without handling events, so the words' news would come too
    // late: the one word that word-by-word reading gives is shown before and for all of it.
    emit wordHeard(id, 0, length);
    if (!engine->Speak(t, id) || !engine->WaitUntilDone())
        return Failed(id, SpeechFailure::NotHeard);
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
    // A read-only settings file is told once; reading goes on.
    m_settings.WriteReading(reading);
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
    if (m_engines.media)
        m_engines.media->Close();
    if (m_engines.wave)
        m_engines.wave->Stop();
    const VoiceId voice = m_voice;
    if (voice.family == VoiceFamily::Upctv) {
        if (m_upctvLoaded && m_engines.upctv)
            m_engines.upctv->Stop();
    } else if (VoiceEngine *engine = FamilyEngine(voice.family)) {
        engine->Skip();
    }
    EndReadings();
    WriteReading(false);
}

void SpeechController::StartUpctvWindowTimer()
{
    m_upctvTimerTicks = 0;
    m_upctvTimer.start();
}

void SpeechController::UpctvWindowTimerTick()
{
    if (m_engines.desktop) {
        const QString window = m_engines.desktop->FindWindowByTitle(QString::fromUtf8(kUpctvWindowTitle));
        if (!window.isEmpty())
            m_engines.desktop->SendEnter(window);
    }
    ++m_upctvTimerTicks;
    if (m_upctvTimerTicks > kUpctvTimerLastTick)
        m_upctvTimer.stop();
}

void SpeechController::UpctvWordTick()
{
    if (!m_upctvReading || !m_engines.upctv)
        return;
    const std::optional<std::pair<int, int>> word = m_engines.upctv->HeardWord();
    if (!word || word->first == m_upctvLastWord || word->first >= m_upctvPlaces.size())
        return;
    m_upctvLastWord = word->first;
    const int start = m_upctvPlaces.at(word->first);
    const int last = m_upctvPlaces.at(qMin<int>(word->first + word->second, m_upctvPlaces.size()) - 1);
    emit wordHeard(m_upctvReading, start, last + 1 - start);
}
