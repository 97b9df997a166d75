#include "engines/UpctvEngine.h"

#include "core/WaitWithEvents.h"
#include "engines/SynthesizerMissingText.h"
#include "engines/VoiceCatalog.h"
#include "platform/DesktopWindows.h"

#include <utility>

const char *const UpctvEngine::kWindowTitle = "upcTV 1.0 - Lector de text en català i castellà";

UpctvEngine::UpctvEngine(UpctvLibrary *library, DesktopWindows *desktop, LibraryText libraryText)
    : m_library(library), m_desktop(desktop), m_libraryText(std::move(libraryText))
{
    m_windowTimer.setInterval(kWindowTimerIntervalMs);
    QObject::connect(&m_windowTimer, &QTimer::timeout, [this] { WindowTimerTick(); });
    m_wordTimer.setInterval(kWordPollMs);
    QObject::connect(&m_wordTimer, &QTimer::timeout, [this] { WordTick(); });
}

UpctvEngine::~UpctvEngine()
{
    Close();
}

bool UpctvEngine::Fail(SpeechFailure reason, const QString &message)
{
    m_failure = {reason, message};
    return false;
}

bool UpctvEngine::Load()
{
    if (!m_library || !m_library->Load())
        return false;
    m_library->SetSpeed(100);
    return true;
}

bool UpctvEngine::Open()
{
    // Before the library loads, because loading may open the library's own window.
    StartWindowTimer();
    m_loaded = Load();
    return m_loaded;
}

void UpctvEngine::Close()
{
    if (m_library && m_library->Loaded())
        m_library->Unload();
}

bool UpctvEngine::Reload()
{
    m_library->Unload();
    m_loaded = Load();
    return m_loaded;
}

int UpctvEngine::VoiceCount()
{
    return m_loaded ? VoiceCatalog::kUpctvEntryCount : 0;
}

std::optional<QString> UpctvEngine::VoiceDescription(int index)
{
    if (!m_loaded || index < 0 || index >= VoiceCatalog::kUpctvEntryCount)
        return std::nullopt;
    return VoiceCatalog::UpctvEntryText(index);
}

bool UpctvEngine::SelectVoice(int index)
{
    if (!m_loaded)
        return Fail(SpeechFailure::NoVoice);
    StartWindowTimer();
    if (index == m_currentVoice || index < 0 || index >= VoiceCatalog::kUpctvEntryCount)
        return true;
    const VoiceCatalog::UpctvEntry &row = VoiceCatalog::kUpctvEntries[size_t(index)];
    m_library->Stop();
    // A library that does not load again has no voices until it does.
    if (!Reload()) {
        m_currentVoice = -1;
        return Fail(SpeechFailure::NoVoice);
    }
    m_library->SetLanguage(VoiceCatalog::UpctvLanguageCode(QString::fromUtf8(row.languageName)));
    m_library->SetSpeaker(row.speaker);
    m_currentVoice = index;
    if (m_library->SynthesizerMissing())
        return Fail(SpeechFailure::SynthesizerMissing, SynthesizerMissingText(0));
    return true;
}

bool UpctvEngine::VoiceTellsWords(int index)
{
    return m_loaded && VoiceCatalog::UpctvEntryTellsWords(index) && m_library->TellsWords();
}

bool UpctvEngine::SetRate(int rate)
{
    return m_library && m_library->SetSpeed(VoiceCatalog::UpctvSpeed(rate));
}

void UpctvEngine::Tell(const HeardWord &word)
{
    if (m_listener)
        m_listener(word);
}

bool UpctvEngine::Speak(const QString &text, quint64 utterance)
{
    if (!m_loaded)
        return Fail(SpeechFailure::NoVoice);
    if (m_library->SynthesizerMissing())
        return Fail(SpeechFailure::SynthesizerMissing, SynthesizerMissingText(0));
    // The whole text stands for its words until the library tells of one.
    Tell({text, 0, int(text.size()), false, utterance});
    m_places.clear();
    // One byte per character, and one more for a character the library is given as two.
    for (int i = 0; i < text.size(); ++i) {
        m_places.append(i);
        if (text.at(i).unicode() == 0x0140 || text.at(i).unicode() == 0x013F)
            m_places.append(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    m_reading = utterance;
    m_text = text;
    m_lastWord = -1;
    m_wordTimer.start();
    m_library->Stop();
    const bool read = m_library->Read(m_libraryText(text));
    WaitWhileSpeaking(200);
    m_wordTimer.stop();
    m_reading = 0;
    if (!read || !m_library->Heard())
        return Fail(SpeechFailure::NotHeard);
    Tell({text, 0, 0, true, utterance});
    return true;
}

bool UpctvEngine::WaitUntilDone()
{
    if (!m_loaded)
        return false;
    WaitWhileSpeaking(100);
    return true;
}

bool UpctvEngine::Skip()
{
    return m_loaded && m_library->Stop();
}

void UpctvEngine::WaitWhileSpeaking(int pollMs)
{
    // A stop handled inside the wait makes the library idle; the next poll ends the loop.
    do {
        const std::optional<int> status = m_library->Status(0);
        if (!status || *status == 0)
            break;
    } while (WaitWithEvents(pollMs) != WaitOutcome::Closing);
}

void UpctvEngine::StartWindowTimer()
{
    m_windowTicks = 0;
    m_windowTimer.start();
}

void UpctvEngine::WindowTimerTick()
{
    if (m_desktop) {
        const QString window = m_desktop->FindWindowByTitle(QString::fromUtf8(kWindowTitle));
        if (!window.isEmpty())
            m_desktop->SendEnter(window);
    }
    ++m_windowTicks;
    if (m_windowTicks > kWindowTimerLastTick)
        m_windowTimer.stop();
}

void UpctvEngine::WordTick()
{
    if (!m_reading)
        return;
    const std::optional<std::pair<int, int>> word = m_library->HeardWord();
    if (!word || word->first == m_lastWord || word->first >= m_places.size())
        return;
    m_lastWord = word->first;
    const int start = m_places.at(word->first);
    const int last = m_places.at(qMin<int>(word->first + word->second, m_places.size()) - 1);
    Tell({m_text.mid(start, last + 1 - start), start, last + 1 - start, false, m_reading});
}
