/* A reading is two threads: one has festival synthesize it sentence by sentence, the
 * other plays the sentences through the sound server as they come, so that the first is
 * heard while the next is made. The festival process is started once and stays. */
#define _GNU_SOURCE
#include "ona.h"

#include "festival_child.h"
#include "ona_text.h"

#include <pthread.h>
#include <stdatomic.h>
#include <pulse/simple.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
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

struct Reading
{
    atomic_int cancel;
    int holders; /* its two threads and the library while it is the current one */
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
};

/* The current reading, also once it has ended, until the next one or a stop. A stopped
 * reading is only told to end: its threads finish on their own and the last one frees
 * it, so that a stop never waits for festival. */
static pthread_mutex_t g_readingMutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_readingChanged = PTHREAD_COND_INITIALIZER;
static struct Reading *g_reading = NULL;
static int g_lastFailed = 0; /* of a reading that could not start */

/* The resident festival, handed from one reading to the next. A reading's synthesizer
 * takes it for itself; festivals out with readings, or being started ahead of the first,
 * come back when their reading ends. */
static pthread_mutex_t g_festivalMutex = PTHREAD_MUTEX_INITIALIZER;
static pthread_cond_t g_festivalChanged = PTHREAD_COND_INITIALIZER;
static struct FestivalChild *g_resident = NULL;
static int g_festivalsOut = 0;
static int g_preparing = 0;
/* Set while the library unloads: every wait of every thread ends. */
static atomic_int g_closing;
static long long g_preparingSince = 0;
/* How long a new reading waits for the festival of a stopped one, which first reads
 * the answer it was giving to its end, and for one being started ahead of it, before
 * it starts one of its own: a festival that takes longer than these (a normal start
 * takes a second or two) may never be ready. */
enum { kHandOverMs = 1500, kStartWaitMs = 3000 };

/* The library's own threads. Each is joined once it has ended (at the next reading or
 * stop) or, at unloading, after its waits are cancelled: none runs on in a library
 * that has gone away. */
struct Worker
{
    pthread_t id;
    struct Worker *next;
};
static pthread_mutex_t g_workersMutex = PTHREAD_MUTEX_INITIALIZER;
static struct Worker *g_workers = NULL;

static int StartWorker(void *(*run)(void *), void *argument)
{
    struct Worker *worker = malloc(sizeof *worker);
    if (!worker)
        return -1;
    if (pthread_create(&worker->id, NULL, run, argument) != 0) {
        free(worker);
        return -1;
    }
    pthread_mutex_lock(&g_workersMutex);
    worker->next = g_workers;
    g_workers = worker;
    pthread_mutex_unlock(&g_workersMutex);
    return 0;
}

/* Joins the threads that have ended, or with all every one. */
static void JoinWorkers(int all)
{
    pthread_mutex_lock(&g_workersMutex);
    struct Worker **at = &g_workers;
    while (*at) {
        struct Worker *worker = *at;
        if ((all ? pthread_join(worker->id, NULL) : pthread_tryjoin_np(worker->id, NULL)) == 0) {
            *at = worker->next;
            free(worker);
        } else {
            at = &worker->next;
        }
    }
    pthread_mutex_unlock(&g_workersMutex);
}

static long long NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

/* Waits on a condition for at most 20 ms, so that a cancel is seen soon. */
static void WaitBriefly(pthread_cond_t *changed, pthread_mutex_t *mutex)
{
    struct timespec until;
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_nsec += 20 * 1000000;
    if (until.tv_nsec >= 1000000000) {
        until.tv_nsec -= 1000000000;
        ++until.tv_sec;
    }
    pthread_cond_timedwait(changed, mutex, &until);
}

int OnaInstalled(void)
{
    return FestivalInstalled();
}

/* Starts festival and has it say a letter: the first synthesis costs a quarter of a
 * second more than the next ones. */
static int StartWarm(struct FestivalChild *child, atomic_int *cancel)
{
    if (FestivalStartCancellable(child, NULL, cancel) != 0)
        return -1;
    struct FestivalSynthesis warm;
    if (FestivalSynthesize(child, "a", 1, 1.0, cancel, &warm) == 0)
        FestivalSynthesisFree(&warm);
    return FestivalRunning(child) ? 0 : -1;
}

/* A festival back from a reading or a start: kept resident when it is ready for the next
 * request and none is, ended otherwise. An answer it was giving when its reading stopped
 * is read to its end first, here, off the next reading's way. */
static void GiveBackFestival(struct FestivalChild *child)
{
    if (child && FestivalRunning(child) && child->pendingAnswers > 0) {
        struct FestivalSynthesis drained;
        if (FestivalSynthesize(child, "a", 1, 1.0, &g_closing, &drained) == 0)
            FestivalSynthesisFree(&drained);
    }
    pthread_mutex_lock(&g_festivalMutex);
    const int keep = child && FestivalRunning(child) && child->pendingAnswers == 0 && !g_resident && !g_closing;
    if (keep)
        g_resident = child;
    --g_festivalsOut;
    pthread_cond_broadcast(&g_festivalChanged);
    pthread_mutex_unlock(&g_festivalMutex);
    if (child && !keep) {
        FestivalEnd(child);
        free(child);
    }
}

/* The resident festival, or one that comes back soon, or a new one; NULL when none can
 * be started or the reading is cancelled first. Given back with GiveBackFestival. */
static struct FestivalChild *TakeFestival(atomic_int *cancel)
{
    const long long handOver = NowMs() + kHandOverMs;
    pthread_mutex_lock(&g_festivalMutex);
    while (!g_resident && g_festivalsOut > 0 && !*cancel && !g_closing
           && (NowMs() < handOver || (g_preparing && NowMs() < g_preparingSince + kStartWaitMs)))
        WaitBriefly(&g_festivalChanged, &g_festivalMutex);
    struct FestivalChild *child = g_resident;
    g_resident = NULL;
    ++g_festivalsOut;
    pthread_mutex_unlock(&g_festivalMutex);
    if (child)
        return child;
    child = *cancel ? NULL : calloc(1, sizeof *child);
    if (child && StartWarm(child, cancel) != 0) {
        free(child);
        child = NULL;
    }
    if (!child)
        GiveBackFestival(NULL);
    return child;
}

static void *PrepareThread(void *unused)
{
    (void)unused;
    FestivalIgnoreBrokenPipe();
    struct FestivalChild *child = calloc(1, sizeof *child);
    if (child && StartWarm(child, &g_closing) != 0) {
        free(child);
        child = NULL;
    }
    pthread_mutex_lock(&g_festivalMutex);
    g_preparing = 0;
    pthread_mutex_unlock(&g_festivalMutex);
    GiveBackFestival(child);
    return NULL;
}

void OnaPrepare(void)
{
    if (!OnaInstalled())
        return;
    JoinWorkers(0);
    pthread_mutex_lock(&g_festivalMutex);
    const int needed = !g_resident && g_festivalsOut == 0;
    if (needed) {
        g_preparing = 1;
        g_preparingSince = NowMs();
        ++g_festivalsOut;
    }
    pthread_mutex_unlock(&g_festivalMutex);
    if (needed && StartWorker(PrepareThread, NULL) != 0) {
        pthread_mutex_lock(&g_festivalMutex);
        g_preparing = 0;
        pthread_mutex_unlock(&g_festivalMutex);
        GiveBackFestival(NULL);
    }
}

/* Needs g_readingMutex held. */
static void AddWords(struct Reading *reading, const struct FestivalSynthesis *made, size_t *cursor, size_t end,
                     long long offsetMs)
{
    for (size_t i = 0; i < made->tokenCount; ++i) {
        int start = 0, length = 0;
        if (!OnaFindToken(&reading->text, cursor, end, made->tokens[i].name, &start, &length))
            continue;
        struct HeardPlace *grown = realloc(reading->words, (reading->wordCount + 1) * sizeof *grown);
        if (!grown)
            return;
        reading->words = grown;
        grown[reading->wordCount++] = (struct HeardPlace){start, length, offsetMs + (long long)(made->tokens[i].start * 1000)};
    }
}

/* Needs g_readingMutex held; the last holder frees the reading. */
static void ReleaseReading(struct Reading *reading)
{
    if (--reading->holders > 0)
        return;
    while (reading->first) {
        struct Sentence *next = reading->first->next;
        free(reading->first->samples);
        free(reading->first);
        reading->first = next;
    }
    OnaTextFree(&reading->text);
    free(reading->words);
    free(reading);
}

/* Queues a sentence festival made for the player. */
static void QueueSentence(struct Reading *reading, const struct FestivalSynthesis *made, size_t begin, size_t end,
                          long long *madeSamples)
{
    /* The silence festival puts before the first word would only delay it. */
    size_t skip = 0;
    if (*madeSamples == 0 && made->tokenCount > 0 && made->sampleRate > 0) {
        const double lead = made->tokens[0].start - 0.03;
        skip = lead > 0 ? (size_t)(lead * made->sampleRate) : 0;
        if (skip > made->sampleCount)
            skip = made->sampleCount;
    }
    struct Sentence *sentence = calloc(1, sizeof *sentence);
    pthread_mutex_lock(&g_readingMutex);
    reading->sampleRate = made->sampleRate > 0 ? made->sampleRate : 16000;
    const long long offsetMs = (*madeSamples - (long long)skip) * 1000 / reading->sampleRate;
    size_t cursor = begin;
    AddWords(reading, made, &cursor, end, offsetMs);
    if (sentence && made->samples) {
        sentence->count = made->sampleCount - skip;
        sentence->samples = malloc(sentence->count * sizeof(short) + 1);
        if (sentence->samples)
            memcpy(sentence->samples, made->samples + skip, sentence->count * sizeof(short));
        else
            sentence->count = 0;
        *madeSamples += (long long)made->sampleCount;
        if (reading->last)
            reading->last->next = sentence;
        else
            reading->first = sentence;
        reading->last = sentence;
    } else {
        free(sentence);
    }
    pthread_cond_broadcast(&g_readingChanged);
    pthread_mutex_unlock(&g_readingMutex);
}

static void *SynthesizerThread(void *argument)
{
    struct Reading *reading = argument;
    FestivalIgnoreBrokenPipe();
    struct FestivalChild *festival = TakeFestival(&reading->cancel);
    int failed = !festival && !reading->cancel;
    long long madeSamples = 0;
    size_t begin = 0;
    while (!failed && !reading->cancel && begin < reading->text.length) {
        const size_t end = OnaSentenceEnd(&reading->text, begin, kSentenceBytes);
        if (!OnaSayable(&reading->text, begin, end)) {
            begin = end;
            continue;
        }
        struct FestivalSynthesis made;
        if (FestivalSynthesize(festival, reading->text.bytes + begin, end - begin, reading->speed, &reading->cancel, &made) != 0) {
            failed = 1;
            break;
        }
        if (!reading->cancel)
            QueueSentence(reading, &made, begin, end, &madeSamples);
        FestivalSynthesisFree(&made);
        begin = end;
    }
    if (festival)
        GiveBackFestival(festival);
    pthread_mutex_lock(&g_readingMutex);
    if (failed)
        reading->failed = 1;
    reading->synthesisDone = 1;
    pthread_cond_broadcast(&g_readingChanged);
    ReleaseReading(reading);
    pthread_mutex_unlock(&g_readingMutex);
    return NULL;
}

/* Ends the reading as failed: the sound server is gone or refused the stream. */
static void PlayerFailed(struct Reading *reading)
{
    pthread_mutex_lock(&g_readingMutex);
    reading->failed = 1;
    reading->cancel = 1;
    pthread_cond_broadcast(&g_readingChanged);
    pthread_mutex_unlock(&g_readingMutex);
}

static void *PlayerThread(void *argument)
{
    struct Reading *reading = argument;
    pa_simple *stream = NULL;
    long long written = 0;
    int rate = 16000;
    for (;;) {
        pthread_mutex_lock(&g_readingMutex);
        while (!reading->first && !reading->synthesisDone && !reading->cancel)
            pthread_cond_wait(&g_readingChanged, &g_readingMutex);
        struct Sentence *sentence = reading->cancel ? NULL : reading->first;
        if (sentence) {
            reading->first = sentence->next;
            if (!reading->first)
                reading->last = NULL;
            rate = reading->sampleRate;
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
            PlayerFailed(reading);
            break;
        }
        const size_t block = (size_t)rate / 50;
        for (size_t done = 0; done < sentence->count && !reading->cancel; done += block) {
            const size_t count = sentence->count - done < block ? sentence->count - done : block;
            if (pa_simple_write(stream, sentence->samples + done, count * sizeof(short), NULL) < 0) {
                PlayerFailed(reading);
                break;
            }
            written += (long long)count;
            const pa_usec_t latency = pa_simple_get_latency(stream, NULL);
            pthread_mutex_lock(&g_readingMutex);
            reading->heardMs = written * 1000 / rate - (long long)(latency / 1000);
            pthread_mutex_unlock(&g_readingMutex);
        }
        free(sentence->samples);
        free(sentence);
    }
    if (stream) {
        if (reading->cancel)
            pa_simple_flush(stream, NULL);
        else
            pa_simple_drain(stream, NULL);
        pa_simple_free(stream);
    }
    pthread_mutex_lock(&g_readingMutex);
    reading->heardMs = written * 1000 / rate;
    reading->playerDone = 1;
    ReleaseReading(reading);
    pthread_mutex_unlock(&g_readingMutex);
    return NULL;
}

void OnaStop(void)
{
    pthread_mutex_lock(&g_readingMutex);
    struct Reading *reading = g_reading;
    g_reading = NULL;
    if (reading) {
        reading->cancel = 1;
        pthread_cond_broadcast(&g_readingChanged);
        ReleaseReading(reading);
    }
    pthread_mutex_unlock(&g_readingMutex);
    JoinWorkers(0);
}

int OnaRead(const char *text, size_t length, int speed)
{
    OnaStop();
    struct OnaText mapped;
    struct Reading *reading = NULL;
    if (OnaInstalled() && OnaTextFromWindows1252(text, length, &mapped) == 0) {
        reading = calloc(1, sizeof *reading);
        if (!reading)
            OnaTextFree(&mapped);
    }
    if (reading) {
        reading->text = mapped;
        reading->speed = FestivalSpeedFactor(speed);
        reading->sampleRate = 16000;
        reading->holders = 3;
        if (StartWorker(SynthesizerThread, reading) != 0) {
            OnaTextFree(&reading->text);
            free(reading);
            reading = NULL;
        } else if (StartWorker(PlayerThread, reading) != 0) {
            pthread_mutex_lock(&g_readingMutex);
            reading->cancel = 1;
            --reading->holders;
            ReleaseReading(reading);
            pthread_mutex_unlock(&g_readingMutex);
            reading = NULL;
        }
    }
    pthread_mutex_lock(&g_readingMutex);
    g_reading = reading;
    g_lastFailed = reading == NULL;
    pthread_mutex_unlock(&g_readingMutex);
    return reading ? 0 : -1;
}

/* Only reads: the threads of an ended reading are joined at the next reading or stop. */
int OnaSpeaking(void)
{
    pthread_mutex_lock(&g_readingMutex);
    const int speaking = g_reading && !(g_reading->synthesisDone && g_reading->playerDone);
    pthread_mutex_unlock(&g_readingMutex);
    return speaking;
}

int OnaFailed(void)
{
    pthread_mutex_lock(&g_readingMutex);
    const int failed = g_reading ? g_reading->synthesisDone && g_reading->playerDone && g_reading->failed : g_lastFailed;
    pthread_mutex_unlock(&g_readingMutex);
    return failed;
}

int OnaWord(int *start, int *length)
{
    pthread_mutex_lock(&g_readingMutex);
    int found = 0;
    for (size_t i = g_reading ? g_reading->wordCount : 0; i-- > 0;) {
        if (g_reading->words[i].startMs <= g_reading->heardMs) {
            *start = g_reading->words[i].start;
            *length = g_reading->words[i].length;
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
    /* Every thread's waits end at once: festivals being started or read to the end of
     * an answer are given up. */
    g_closing = 1;
    pthread_mutex_lock(&g_festivalMutex);
    pthread_cond_broadcast(&g_festivalChanged);
    pthread_mutex_unlock(&g_festivalMutex);
    JoinWorkers(1);
    pthread_mutex_lock(&g_festivalMutex);
    struct FestivalChild *resident = g_resident;
    g_resident = NULL;
    pthread_mutex_unlock(&g_festivalMutex);
    if (resident) {
        FestivalEnd(resident);
        free(resident);
    }
    g_closing = 0;
}
