/* Rendering a whole text: a festival per core synthesizes the sentences side by side,
 * and they are written to the file in the text's order, with the pauses festival gives
 * each sentence, so the recording is the one a single festival would make. */
#define _GNU_SOURCE
#include "ona.h"

#include "festival_child.h"
#include "ona_text.h"

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

enum { kSentenceBytes = 300, kMostRenderers = 8 };
static const unsigned long long kLargestData = 0xFFFFFFFFull - 36;

struct Piece
{
    size_t begin, end;
    int done, failed;
    struct FestivalSynthesis made;
};

struct Render
{
    pthread_mutex_t mutex;
    pthread_cond_t changed;
    const struct OnaText *text;
    struct Piece *pieces;
    size_t count, next;
    size_t alive; /* renderers still taking sentences */
    double speed;
    atomic_int cancel;
    const char *voice; /* festival's name of the voice; NULL for ona */
};

static void *RenderThread(void *argument)
{
    struct Render *render = argument;
    FestivalIgnoreBrokenPipe();
    struct FestivalChild child;
    int started = FestivalStartCancellable(&child, render->voice, &render->cancel) == 0;
    /* A festival that cannot be started, or never answers, takes no sentence: the others
     * render them, and with none left the rendering fails at once. */
    while (started) {
        pthread_mutex_lock(&render->mutex);
        const size_t index = render->next < render->count && !render->cancel ? render->next++ : render->count;
        pthread_mutex_unlock(&render->mutex);
        if (index >= render->count)
            break;
        struct Piece *piece = &render->pieces[index];
        int result = -1;
        /* A festival that died is started again once for the same sentence; one that
         * rejected it would reject it again. */
        for (int attempt = 0; attempt < 2 && result == -1 && !render->cancel; ++attempt) {
            if (!started)
                started = FestivalStartCancellable(&child, render->voice, &render->cancel) == 0;
            if (started)
                result = FestivalSynthesize(&child, render->text->bytes + piece->begin, piece->end - piece->begin,
                                            render->speed, &render->cancel, &piece->made);
            started = started && FestivalRunning(&child);
        }
        pthread_mutex_lock(&render->mutex);
        piece->done = 1;
        piece->failed = result != 0;
        pthread_cond_broadcast(&render->changed);
        pthread_mutex_unlock(&render->mutex);
    }
    FestivalEnd(&child);
    pthread_mutex_lock(&render->mutex);
    --render->alive;
    pthread_cond_broadcast(&render->changed);
    pthread_mutex_unlock(&render->mutex);
    return NULL;
}

static void PutLe(unsigned char *at, unsigned value, int size)
{
    for (int i = 0; i < size; ++i)
        at[i] = (unsigned char)(value >> (8 * i));
}

static int WriteHeader(FILE *file, int sampleRate, unsigned long long samples)
{
    unsigned char header[44];
    const unsigned long long bytes = samples * 2;
    const unsigned dataBytes = bytes > kLargestData ? (unsigned)kLargestData : (unsigned)bytes;
    memcpy(header, "RIFF", 4);
    PutLe(header + 4, 36 + dataBytes, 4);
    memcpy(header + 8, "WAVEfmt ", 8);
    PutLe(header + 16, 16, 4);
    PutLe(header + 20, 1, 2);
    PutLe(header + 22, 1, 2);
    PutLe(header + 24, (unsigned)sampleRate, 4);
    PutLe(header + 28, (unsigned)sampleRate * 2, 4);
    PutLe(header + 32, 2, 2);
    PutLe(header + 34, 16, 2);
    memcpy(header + 36, "data", 4);
    PutLe(header + 40, dataBytes, 4);
    return fseek(file, 0, SEEK_SET) == 0 && fwrite(header, 1, 44, file) == 44 ? 0 : -1;
}

int OnaRender(const char *text, size_t length, int speed, const char *wavFile,
              void (*word)(void *context, int start, int length, int ms),
              int (*progress)(void *context, int percent), void *context)
{
    if (!OnaInstalled())
        return -1;
    return FestivalRender(NULL, text, length, speed, wavFile, word, progress, context);
}

/* The text's sentences, each a piece for a renderer; 0 when memory ran out. */
static int PlanPieces(struct Render *render, const struct OnaText *mapped)
{
    for (size_t begin = 0; begin < mapped->length;) {
        const size_t end = OnaSentenceEnd(mapped, begin, kSentenceBytes);
        if (OnaSayable(mapped, begin, end)) {
            struct Piece *grown = realloc(render->pieces, (render->count + 1) * sizeof *grown);
            if (!grown)
                return 0;
            render->pieces = grown;
            memset(&grown[render->count], 0, sizeof *grown);
            grown[render->count].begin = begin;
            grown[render->count].end = end;
            ++render->count;
        }
        begin = end;
    }
    return 1;
}

/* A renderer per core, no more than there are pieces; how many started. */
static size_t StartRenderers(struct Render *render, pthread_t *workers)
{
    long cores = sysconf(_SC_NPROCESSORS_ONLN);
    size_t threads = cores < 1 ? 1 : (size_t)cores;
    if (threads > kMostRenderers)
        threads = kMostRenderers;
    if (threads > render->count)
        threads = render->count;
    size_t started = 0;
    for (; started < threads; ++started) {
        pthread_mutex_lock(&render->mutex);
        ++render->alive;
        pthread_mutex_unlock(&render->mutex);
        if (pthread_create(&workers[started], NULL, RenderThread, render) != 0) {
            pthread_mutex_lock(&render->mutex);
            --render->alive;
            pthread_mutex_unlock(&render->mutex);
            break;
        }
    }
    return started;
}

struct Output
{
    FILE *file;
    unsigned long long samples;
    int sampleRate;
    void (*word)(void *context, int start, int length, int ms);
    int (*progress)(void *context, int percent);
    void *context;
};

/* Waits for each piece in the text's order and writes it, telling its words; 0 when
 * every piece was written. */
static int WritePieces(struct Render *render, const struct OnaText *mapped, struct Output *out)
{
    for (size_t i = 0; i < render->count; ++i) {
        struct Piece *piece = &render->pieces[i];
        pthread_mutex_lock(&render->mutex);
        while (!piece->done && render->alive > 0)
            pthread_cond_wait(&render->changed, &render->mutex);
        const int done = piece->done;
        pthread_mutex_unlock(&render->mutex);
        if (!done || piece->failed)
            return -1;
        if (piece->made.sampleRate > 0)
            out->sampleRate = piece->made.sampleRate;
        size_t cursor = piece->begin;
        for (size_t t = 0; out->word && t < piece->made.tokenCount; ++t) {
            int start = 0, count = 0;
            if (OnaFindToken(mapped, &cursor, piece->end, piece->made.tokens[t].name, &start, &count))
                out->word(out->context, start, count,
                          (int)(out->samples * 1000 / (unsigned)out->sampleRate
                                + (unsigned long long)(piece->made.tokens[t].start * 1000)));
        }
        /* Past what a WAV file's header can count, the file would lie about its sound. */
        if ((out->samples + piece->made.sampleCount) * 2 > kLargestData)
            return -1;
        if (piece->made.sampleCount > 0
            && fwrite(piece->made.samples, sizeof(short), piece->made.sampleCount, out->file) != piece->made.sampleCount)
            return -1;
        out->samples += piece->made.sampleCount;
        FestivalSynthesisFree(&piece->made);
        if (out->progress && !out->progress(out->context, (int)((i + 1) * 100 / render->count)))
            return -1;
    }
    return 0;
}

int FestivalRender(const char *voice, const char *text, size_t length, int speed, const char *wavFile,
                   void (*word)(void *context, int start, int length, int ms),
                   int (*progress)(void *context, int percent), void *context)
{
    if (!wavFile || (voice && !FestivalVoiceNameUsable(voice)))
        return -1;
    struct OnaText mapped;
    if (OnaTextFromWindows1252(text, length, &mapped) != 0)
        return -1;
    struct Render render = {PTHREAD_MUTEX_INITIALIZER, PTHREAD_COND_INITIALIZER, &mapped, NULL, 0, 0, 0, 0, 0, voice};
    render.speed = FestivalSpeedFactor(speed);
    /* Memory that ran out leaves the pieces planned so far, as before. */
    PlanPieces(&render, &mapped);
    struct Output out = {fopen(wavFile, "wb"), 0, 16000, word, progress, context};
    int failed = !out.file || WriteHeader(out.file, 16000, 0) != 0;
    pthread_t workers[kMostRenderers];
    size_t started = 0;
    if (!failed) {
        started = StartRenderers(&render, workers);
        failed = render.count > 0 && started == 0;
    }
    if (!failed)
        failed = WritePieces(&render, &mapped, &out) != 0;
    pthread_mutex_lock(&render.mutex);
    render.cancel = 1;
    pthread_mutex_unlock(&render.mutex);
    for (size_t i = 0; i < started; ++i)
        pthread_join(workers[i], NULL);
    for (size_t i = 0; i < render.count; ++i)
        FestivalSynthesisFree(&render.pieces[i].made);
    free(render.pieces);
    OnaTextFree(&mapped);
    if (out.file) {
        if (!failed)
            failed = WriteHeader(out.file, out.sampleRate, out.samples) != 0;
        if (fclose(out.file) != 0)
            failed = 1;
    }
    return failed ? -1 : 0;
}
