/* A reading is two threads: one has festival synthesize it sentence by sentence, the
 * other plays the sentences through the sound server as they come, so that the first is
 * heard while the next is made. The festival process is started once and stays. */
#define _GNU_SOURCE
#include "ona.h"

#include "festival_child.h"
#include "ona_text.h"

#include <pthread.h>
#include <pulse/simple.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* Sentences of at most this many bytes; a line without punctuation is cut at a blank. */
enum { kSentenceBytes = 300 };

struct Sentence
{
    struct Sentence *next;
    short *samples;
    size_t count;
};

struct HeardPlace
{
    int start, length;
    long long startMs;
};

/* The reading under way; one at a time. */
static pthread_mutex_t g_readingMutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_readingChanged = PTHREAD_COND_INITIALIZER;
static struct
{
    pthread_t synthesizer, player;
    int running;
    volatile int cancel;
    struct OnaText text;
    double speed;
    int sampleRate;
    struct Sentence *first, *last; /* made, not yet played */
    int synthesisDone;
    int playerDone;
    int failed;
    long long heardMs; /* how far the listener has heard */
    struct HeardPlace *words;
    size_t wordCount;
} g_reading;

/* The resident festival, used by one synthesizer thread at a time. */
static pthread_mutex_t g_festivalMutex = PTHREAD_MUTEX_INITIALIZER;
static struct FestivalChild g_festival = {.input = -1, .output = -1};
static int g_lastFailed = 0;
static pthread_t g_preparer;
static int g_preparing = 0;

int OnaInstalled(void)
{
    return FestivalInstalled();
}

/* Needs g_festivalMutex held. */
static int EnsureFestivalLocked(void)
{
    if (FestivalRunning(&g_festival))
        return 0;
    if (FestivalStart(&g_festival) != 0)
        return -1;
    /* The first synthesis costs a quarter of a second more than the next ones. */
    struct FestivalSynthesis warm;
    if (FestivalSynthesize(&g_festival, "a", 1, 1.0, NULL, &warm) == 0)
        FestivalSynthesisFree(&warm);
    return FestivalRunning(&g_festival) ? 0 : -1;
}

static void *PrepareThread(void *unused)
{
    (void)unused;
    FestivalIgnoreBrokenPipe();
    pthread_mutex_lock(&g_festivalMutex);
    EnsureFestivalLocked();
    pthread_mutex_unlock(&g_festivalMutex);
    return NULL;
}

void OnaPrepare(void)
{
    if (!OnaInstalled())
        return;
    /* Joined before the next one and at unloading: never left running in a library
     * that goes away. */
    if (g_preparing)
        pthread_join(g_preparer, NULL);
    g_preparing = pthread_create(&g_preparer, NULL, PrepareThread, NULL) == 0;
}

static void AddWords(const struct FestivalSynthesis *made, size_t *cursor, size_t end, long long offsetMs)
{
    for (size_t i = 0; i < made->tokenCount; ++i) {
        int start = 0, length = 0;
        if (!OnaFindToken(&g_reading.text, cursor, end, made->tokens[i].name, &start, &length))
            continue;
        struct HeardPlace *grown = realloc(g_reading.words, (g_reading.wordCount + 1) * sizeof *grown);
        if (!grown)
            return;
        g_reading.words = grown;
        grown[g_reading.wordCount++] = (struct HeardPlace){start, length, offsetMs + (long long)(made->tokens[i].start * 1000)};
    }
}

static void *SynthesizerThread(void *unused)
{
    (void)unused;
    FestivalIgnoreBrokenPipe();
    pthread_mutex_lock(&g_festivalMutex);
    int failed = EnsureFestivalLocked() != 0;
    long long madeSamples = 0;
    size_t begin = 0;
    while (!failed && !g_reading.cancel && begin < g_reading.text.length) {
        const size_t end = OnaSentenceEnd(&g_reading.text, begin, kSentenceBytes);
        if (!OnaSayable(&g_reading.text, begin, end)) {
            begin = end;
            continue;
        }
        struct FestivalSynthesis made;
        if (FestivalSynthesize(&g_festival, g_reading.text.bytes + begin, end - begin, g_reading.speed, &g_reading.cancel, &made) != 0) {
            failed = 1;
            break;
        }
        if (g_reading.cancel)
            break;
        /* The silence festival puts before the first word would only delay it. */
        size_t skip = 0;
        if (madeSamples == 0 && made.tokenCount > 0 && made.sampleRate > 0) {
            const double lead = made.tokens[0].start - 0.03;
            skip = lead > 0 ? (size_t)(lead * made.sampleRate) : 0;
            if (skip > made.sampleCount)
                skip = made.sampleCount;
        }
        struct Sentence *sentence = calloc(1, sizeof *sentence);
        pthread_mutex_lock(&g_readingMutex);
        g_reading.sampleRate = made.sampleRate > 0 ? made.sampleRate : 16000;
        const long long offsetMs = (madeSamples - (long long)skip) * 1000 / g_reading.sampleRate;
        size_t cursor = begin;
        AddWords(&made, &cursor, end, offsetMs);
        if (sentence && made.samples) {
            sentence->count = made.sampleCount - skip;
            sentence->samples = malloc(sentence->count * sizeof(short) + 1);
            if (sentence->samples)
                memcpy(sentence->samples, made.samples + skip, sentence->count * sizeof(short));
            else
                sentence->count = 0;
            madeSamples += (long long)made.sampleCount;
            if (g_reading.last)
                g_reading.last->next = sentence;
            else
                g_reading.first = sentence;
            g_reading.last = sentence;
        } else {
            free(sentence);
        }
        pthread_cond_broadcast(&g_readingChanged);
        pthread_mutex_unlock(&g_readingMutex);
        FestivalSynthesisFree(&made);
        begin = end;
    }
    pthread_mutex_unlock(&g_festivalMutex);
    pthread_mutex_lock(&g_readingMutex);
    if (failed)
        g_reading.failed = 1;
    g_reading.synthesisDone = 1;
    pthread_cond_broadcast(&g_readingChanged);
    pthread_mutex_unlock(&g_readingMutex);
    return NULL;
}

static void *PlayerThread(void *unused)
{
    (void)unused;
    pa_simple *stream = NULL;
    long long written = 0;
    int rate = 16000;
    for (;;) {
        pthread_mutex_lock(&g_readingMutex);
        while (!g_reading.first && !g_reading.synthesisDone && !g_reading.cancel)
            pthread_cond_wait(&g_readingChanged, &g_readingMutex);
        struct Sentence *sentence = g_reading.cancel ? NULL : g_reading.first;
        if (sentence) {
            g_reading.first = sentence->next;
            if (!g_reading.first)
                g_reading.last = NULL;
            rate = g_reading.sampleRate;
        }
        pthread_mutex_unlock(&g_readingMutex);
        if (!sentence)
            break;
        if (!stream) {
            const pa_sample_spec spec = {PA_SAMPLE_S16LE, (uint32_t)rate, 1};
            /* A short buffer, so that a stop is heard at once. */
            const uint32_t bytes = (uint32_t)rate * 2 / 10;
            const pa_buffer_attr attributes = {(uint32_t)-1, bytes, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1};
            stream = pa_simple_new(NULL, "Tolvanet", PA_STREAM_PLAYBACK, NULL, "ona", &spec, NULL, &attributes, NULL);
        }
        if (!stream) {
            free(sentence->samples);
            free(sentence);
            pthread_mutex_lock(&g_readingMutex);
            g_reading.failed = 1;
            g_reading.cancel = 1;
            pthread_mutex_unlock(&g_readingMutex);
            break;
        }
        const size_t block = (size_t)rate / 50;
        for (size_t done = 0; done < sentence->count && !g_reading.cancel; done += block) {
            const size_t count = sentence->count - done < block ? sentence->count - done : block;
            if (pa_simple_write(stream, sentence->samples + done, count * sizeof(short), NULL) < 0) {
                pthread_mutex_lock(&g_readingMutex);
                g_reading.failed = 1;
                g_reading.cancel = 1;
                pthread_mutex_unlock(&g_readingMutex);
                break;
            }
            written += (long long)count;
            const pa_usec_t latency = pa_simple_get_latency(stream, NULL);
            pthread_mutex_lock(&g_readingMutex);
            g_reading.heardMs = written * 1000 / rate - (long long)(latency / 1000);
            pthread_mutex_unlock(&g_readingMutex);
        }
        free(sentence->samples);
        free(sentence);
    }
    if (stream) {
        if (g_reading.cancel)
            pa_simple_flush(stream, NULL);
        else
            pa_simple_drain(stream, NULL);
        pa_simple_free(stream);
    }
    pthread_mutex_lock(&g_readingMutex);
    g_reading.heardMs = written * 1000 / rate;
    g_reading.playerDone = 1;
    pthread_mutex_unlock(&g_readingMutex);
    return NULL;
}

void OnaStop(void)
{
    pthread_mutex_lock(&g_readingMutex);
    const int running = g_reading.running;
    g_reading.cancel = 1;
    pthread_cond_broadcast(&g_readingChanged);
    pthread_mutex_unlock(&g_readingMutex);
    if (!running)
        return;
    pthread_join(g_reading.synthesizer, NULL);
    pthread_join(g_reading.player, NULL);
    pthread_mutex_lock(&g_readingMutex);
    while (g_reading.first) {
        struct Sentence *next = g_reading.first->next;
        free(g_reading.first->samples);
        free(g_reading.first);
        g_reading.first = next;
    }
    g_reading.last = NULL;
    OnaTextFree(&g_reading.text);
    free(g_reading.words);
    g_reading.words = NULL;
    g_reading.wordCount = 0;
    g_reading.running = 0;
    pthread_mutex_unlock(&g_readingMutex);
}

int OnaRead(const char *text, size_t length, int speed)
{
    OnaStop();
    g_lastFailed = 0;
    struct OnaText mapped;
    if (!OnaInstalled() || OnaTextFromWindows1252(text, length, &mapped) != 0) {
        g_lastFailed = 1;
        return -1;
    }
    pthread_mutex_lock(&g_readingMutex);
    g_reading.text = mapped;
    g_reading.speed = FestivalSpeedFactor(speed);
    g_reading.sampleRate = 16000;
    g_reading.cancel = 0;
    g_reading.synthesisDone = g_reading.playerDone = g_reading.failed = 0;
    g_reading.heardMs = 0;
    int started = pthread_create(&g_reading.synthesizer, NULL, SynthesizerThread, NULL) == 0;
    if (started && pthread_create(&g_reading.player, NULL, PlayerThread, NULL) != 0) {
        g_reading.cancel = 1;
        pthread_mutex_unlock(&g_readingMutex);
        pthread_join(g_reading.synthesizer, NULL);
        pthread_mutex_lock(&g_readingMutex);
        started = 0;
    }
    g_reading.running = started;
    if (!started)
        OnaTextFree(&g_reading.text);
    pthread_mutex_unlock(&g_readingMutex);
    if (!started)
        g_lastFailed = 1;
    return started ? 0 : -1;
}

int OnaSpeaking(void)
{
    pthread_mutex_lock(&g_readingMutex);
    const int running = g_reading.running;
    const int done = g_reading.synthesisDone && g_reading.playerDone;
    const int failed = g_reading.failed;
    pthread_mutex_unlock(&g_readingMutex);
    if (running && done) {
        OnaStop();
        g_lastFailed = failed;
        return 0;
    }
    return running;
}

int OnaFailed(void)
{
    return g_lastFailed;
}

int OnaWord(int *start, int *length)
{
    pthread_mutex_lock(&g_readingMutex);
    int found = 0;
    for (size_t i = g_reading.wordCount; i-- > 0;) {
        if (g_reading.words[i].startMs <= g_reading.heardMs) {
            *start = g_reading.words[i].start;
            *length = g_reading.words[i].length;
            found = 1;
            break;
        }
    }
    pthread_mutex_unlock(&g_readingMutex);
    return found;
}

void OnaUnload(void)
{
    OnaStop();
    if (g_preparing)
        pthread_join(g_preparer, NULL);
    g_preparing = 0;
    pthread_mutex_lock(&g_festivalMutex);
    FestivalEnd(&g_festival);
    pthread_mutex_unlock(&g_festivalMutex);
}
