#include "engines/VoiceCatalog.h"

#include "platform/WorkerThread.h"

#include <espeak-ng/speak_lib.h>
#include <libspeechd.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace VoiceCatalog {

const std::array<UpctvEntry, kUpctvEntryCount> kUpctvEntries = {{
    {"UPCTV - Home - Català", "catala", 99, 0},
    {"UPCTV - Dona - Català", "catala", 99, 2},
    {"UPCTV - Hombre - Español", "castella", 101, 1},
    {"UPCTV - Mujer - Español", "castella", 101, 0},
}};

namespace {

// espeak-ng keeps its whole state in globals: every call goes through this lock. It is
// never destroyed, so that a rendering thread still ending as the program exits finds it.
std::mutex &EspeakMutex()
{
    static auto *mutex = new std::mutex;
    return *mutex;
}

int g_sampleRate = 0;
bool g_initialised = false;
const SampleSink *g_currentSink = nullptr;
const MarkSink *g_currentMarks = nullptr;
// Where each code point of the text being rendered begins in its QString (espeak-ng
// counts positions in code points, from 1).
QVector<qsizetype> g_codePointStarts;

qsizetype TextIndexOfCodePoint(int position)
{
    const qsizetype last = g_codePointStarts.size() - 1;
    return g_codePointStarts.at(std::clamp<qsizetype>(position - 1, 0, last));
}

void ReportMarks(const espeak_EVENT *event)
{
    for (; event->type != espeakEVENT_LIST_TERMINATED; ++event) {
        SpokenMark mark;
        if (event->type == espeakEVENT_SENTENCE)
            mark.kind = SpokenMark::Kind::Sentence;
        else if (event->type != espeakEVENT_WORD || event->length <= 0)
            continue;  // the word event that closes a text has no length and no word
        mark.position = TextIndexOfCodePoint(event->text_position);
        if (mark.kind == SpokenMark::Kind::Word)
            mark.length = TextIndexOfCodePoint(event->text_position + event->length) - mark.position;
        mark.ms = event->audio_position;
        (*g_currentMarks)(mark);
    }
}

int SynthCallback(short *wav, int count, espeak_EVENT *events)
{
    if (events && g_currentMarks)
        ReportMarks(events);
    if (!wav || count <= 0 || !g_currentSink)
        return 0;
    return (*g_currentSink)(wav, count) ? 0 : 1;
}

// Needs the lock held.
bool EnsureEspeakLocked()
{
    if (g_initialised)
        return g_sampleRate > 0;
    g_initialised = true;
    // 20 ms blocks keep the first sample close to the request.
    const int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0)
        return false;
    g_sampleRate = rate;
    espeak_SetSynthCallback(SynthCallback);
    return true;
}

QList<Voice> ListEspeakVoicesLocked()
{
    QList<Voice> voices;
    if (!EnsureEspeakLocked())
        return voices;
    const espeak_VOICE **list = espeak_ListVoices(nullptr);
    for (int i = 0; list && list[i]; ++i) {
        const espeak_VOICE *v = list[i];
        if (!v->name || !v->identifier)
            continue;
        const QString identifier = QString::fromUtf8(v->identifier);
        if (identifier.startsWith(QLatin1String("mb/")))
            continue;
        Voice voice;
        voice.description = QString::fromUtf8(v->name);
        voice.identifier = identifier;
        // languages: a priority byte, a zero-terminated name, ... and a final zero.
        if (v->languages && v->languages[0])
            voice.language = QString::fromUtf8(v->languages + 1);
        voices << voice;
    }
    std::sort(voices.begin(), voices.end(), [](const Voice &a, const Voice &b) {
        const int byName = a.description.compare(b.description, Qt::CaseInsensitive);
        if (byName != 0)
            return byName < 0;
        return a.identifier < b.identifier;
    });
    return voices;
}

const QList<Voice> &CachedEspeakVoicesLocked()
{
    static QList<Voice> voices;
    static bool listed = false;
    if (!listed) {
        voices = ListEspeakVoicesLocked();
        listed = true;
    }
    return voices;
}

bool IsEspeakModule(const QString &module)
{
    return module.startsWith(QLatin1String("espeak"), Qt::CaseInsensitive);
}

QList<Voice> ListSpeechDispatcherVoices(bool *reached)
{
    QList<Voice> voices;
    char *error = nullptr;
    SPDConnection *connection = spd_open2("tolvanet", "voices", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error);
    free(error);
    *reached = connection != nullptr;
    if (!connection)
        return voices;
    QStringList modules;
    if (char **names = spd_list_modules(connection)) {
        for (int i = 0; names[i]; ++i)
            modules << QString::fromUtf8(names[i]);
        free_spd_modules(names);
    }
    modules.sort();
    for (const QString &module : modules) {
        if (IsEspeakModule(module) || module == QLatin1String("dummy"))
            continue;
        if (spd_set_output_module(connection, module.toUtf8().constData()) != 0)
            continue;
        QList<Voice> moduleVoices;
        if (SPDVoice **list = spd_list_synthesis_voices(connection)) {
            for (int i = 0; list[i]; ++i) {
                if (!list[i]->name)
                    continue;
                const QString name = QString::fromUtf8(list[i]->name);
                if (name.contains(QLatin1Char('+')))
                    continue;
                Voice voice;
                voice.identifier = name;
                voice.module = module;
                voice.language = QString::fromUtf8(list[i]->language ? list[i]->language : "");
                voice.description = voice.language.isEmpty()
                    ? QStringLiteral("%1 (%2)").arg(name, module)
                    : QStringLiteral("%1 (%2, %3)").arg(name, module, voice.language);
                moduleVoices << voice;
            }
            free_spd_voices(list);
        }
        std::sort(moduleVoices.begin(), moduleVoices.end(),
                  [](const Voice &a, const Voice &b) { return a.identifier < b.identifier; });
        voices << moduleVoices;
    }
    spd_close(connection);
    return voices;
}

} // namespace

QList<Voice> EspeakVoices()
{
    std::lock_guard lock(EspeakMutex());
    return CachedEspeakVoicesLocked();
}

QString SessionLanguage()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

int EspeakDefaultVoice(const QString &localeName)
{
    // "ca_ES.UTF-8@valencia" -> "ca-es"; "C" and "POSIX" name no language.
    QString name = localeName.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).toLower();
    name.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (name == QLatin1String("c") || name == QLatin1String("posix"))
        name.clear();
    const QString language = name.section(QLatin1Char('-'), 0, 0);
    const QList<Voice> voices = EspeakVoices();
    auto find = [&voices](const QString &wanted) {
        for (int i = 0; i < voices.size(); ++i) {
            if (!wanted.isEmpty() && voices.at(i).language == wanted)
                return i;
        }
        return -1;
    };
    for (const QString &wanted : {name, language, QStringLiteral("en"), QStringLiteral("en-gb")}) {
        if (const int index = find(wanted); index >= 0)
            return index;
    }
    return -1;
}

int EspeakVoiceForLanguage(const QList<Voice> &voices, const QString &language)
{
    if (language.isEmpty())
        return -1;
    const auto mainLanguage = [](const QString &code) {
        return code.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0);
    };
    const QString main = mainLanguage(language);
    const std::function<bool(const Voice &)> tries[] = {
        [&](const Voice &v) { return v.language.compare(language, Qt::CaseInsensitive) == 0; },
        [&](const Voice &v) { return v.language.compare(main, Qt::CaseInsensitive) == 0; },
        [&](const Voice &v) { return mainLanguage(v.language).compare(main, Qt::CaseInsensitive) == 0; },
    };
    for (const auto &matches : tries)
        for (int i = 0; i < voices.size(); ++i)
            if (matches(voices.at(i)))
                return i;
    return -1;
}

int EspeakWordsPerMinute(int rate)
{
    rate = std::clamp(rate, -10, 10);
    if (rate >= 0)
        return espeakRATE_NORMAL + rate * (espeakRATE_MAXIMUM - espeakRATE_NORMAL) / 10;
    return espeakRATE_NORMAL + rate * (espeakRATE_NORMAL - espeakRATE_MINIMUM) / 10;
}

int EspeakSampleRate()
{
    std::lock_guard lock(EspeakMutex());
    return EnsureEspeakLocked() ? g_sampleRate : 0;
}

bool RenderEspeak(const QString &text, int voiceIndex, int rate, const SampleSink &sink)
{
    return RenderEspeakMarked(text, voiceIndex, rate, sink, {});
}

bool RenderEspeakMarked(const QString &text, int voiceIndex, int rate, const SampleSink &sink, const MarkSink &marks)
{
    QByteArray identifier = QByteArrayLiteral("en");
    {
        std::lock_guard lock(EspeakMutex());
        if (!EnsureEspeakLocked())
            return false;
        const QList<Voice> &voices = CachedEspeakVoicesLocked();
        if (voiceIndex >= 0 && voiceIndex < voices.size())
            identifier = voices.at(voiceIndex).identifier.toUtf8();
    }
    return RenderEspeakNamed(text, identifier, rate, sink, marks);
}

bool RenderEspeakNamed(const QString &text, const QByteArray &identifier, int rate, const SampleSink &sink,
                       const MarkSink &marks)
{
    std::lock_guard lock(EspeakMutex());
    if (!EnsureEspeakLocked())
        return false;
    // Loading a voice reads its files: only when it changes (every key typed speaks).
    static QByteArray current;
    if (identifier != current) {
        if (espeak_SetVoiceByName(identifier.constData()) == EE_OK)
            current = identifier;
        else if (espeak_SetVoiceByName("en") == EE_OK)
            current = QByteArrayLiteral("en");
        else
            current.clear();
    }
    espeak_SetParameter(espeakRATE, EspeakWordsPerMinute(rate), 0);
    bool stopped = false;
    const SampleSink guard = [&](const qint16 *samples, int count) {
        if (!sink(samples, count))
            stopped = true;
        return !stopped;
    };
    g_currentSink = &guard;
    if (marks) {
        g_codePointStarts.clear();
        for (qsizetype i = 0; i < text.size(); ++i)
            if (!text.at(i).isLowSurrogate())
                g_codePointStarts << i;
        g_codePointStarts << text.size();
        g_currentMarks = &marks;
    }
    const QByteArray utf8 = text.toUtf8();
    const espeak_ERROR result = espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                                             espeakCHARS_UTF8, nullptr, nullptr);
    g_currentSink = nullptr;
    g_currentMarks = nullptr;
    g_codePointStarts.clear();
    return result == EE_OK && !stopped;
}

QList<Voice> SpeechDispatcherVoices(int timeoutMs, bool *answered)
{
    // The service may be slow to start or stuck: past the limit the listing is left
    // to finish on its own.
    struct Listing
    {
        bool reached = false;
        QList<Voice> voices;
    };
    const std::optional<Listing> listing = RunWithTimeLimit<Listing>([] {
        Listing result;
        result.voices = ListSpeechDispatcherVoices(&result.reached);
        return result;
    }, std::chrono::milliseconds(timeoutMs));
    if (answered)
        *answered = listing && listing->reached;
    return listing ? listing->voices : QList<Voice>();
}

int SpeechDispatcherRate(int rate)
{
    return std::clamp(rate, -10, 10) * 10;
}

QString UpctvEntryText(int entry)
{
    if (entry < 0 || entry >= kUpctvEntryCount)
        return QString();
    return QString::fromUtf8(kUpctvEntries[size_t(entry)].text);
}

bool UpctvEntryTellsWords(int entry)
{
    return entry == kUpctvOnaEntry;
}

int UpctvLanguageCode(const QString &languageName)
{
    return languageName == QLatin1String("catala") ? 99 : 101;
}

int UpctvSpeed(int rate)
{
    int p = std::clamp(rate, -10, 10);
    if (p == -10)
        p = -9;
    return p > 0 ? 100 + 15 * p : 10 * (p + 10);
}

} // namespace VoiceCatalog
