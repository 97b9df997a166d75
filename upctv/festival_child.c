/* The answers come on festival's error output, which it never buffers; its standard
 * output, buffered and silent in pipe mode, goes nowhere. Every request ends with a line
 * "END", so that an abandoned answer can be read to its end before the next request. */
#define _GNU_SOURCE
#include "festival_child.h"

#include "spawn_child.h"

#include <errno.h>
#include <pthread.h>
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>


static const char kVoiceFile[] = "/usr/share/festival/voices/catalan/upc_ca_ona_hts/festvox/upc_ca_ona_hts.scm";
/* Festival's default heap of ten million cells costs some 300 MB; a million is ample
 * for sentences of the length we send and keeps the process near 60 MB. */
static const char kHeapCells[] = "1000000";
enum { kStartMs = 20000, kAnswerMs = 15000 };

/* Defines the one request we make: synthesize, save the wave, tell each token's times.
 * Filled in with the voice's name and how the rate sets its pace. */
static const char kSetUp[] =
    "(unwind-protect (begin (voice_%s) (format stderr \"READY\\n\")) (format stderr \"NOVOICE\\n\"))\n"
    "(define (tolvanet_say text file rate)\n"
    "  %s\n"
    "  (let ((u (SynthText text)))\n"
    "    (utt.save.wave u file 'riff)\n"
    "    (mapcar (lambda (tok)\n"
    "       (if (and (not (item.parent tok)) (item.daughters tok))\n"
    "         (format stderr \"W %%f %%f %%s\\n\" (item.feat (item.daughter1 tok) \"word_start\")\n"
    "                 (item.feat (item.daughtern tok) \"word_end\") (item.name tok))))\n"
    "     (utt.relation.items u 'Token))\n"
    "    t))\n";
static const char kOnaName[] = "upc_ca_ona_hts";
/* ona is an HTS voice: the rate goes to its engine. */
static const char kOnaPace[] =
    "(set! hts_engine_params (append upc_ca_ona_hts::hts_engine_params (list (list \"-r\" rate))))";
/* Any other voice's pace is set by festival's duration stretch. */
static const char kStretchPace[] = "(Parameter.set 'Duration_Stretch (/ 1.0 rate))";

/* The numbers of our requests and of festival's answers are Scheme's, with a point: the
 * program we are loaded in runs in the reader's locale, where a comma may part the
 * decimals. NULL when the C locale cannot be had. */
static locale_t g_schemeNumbers;

static void MakeSchemeNumbers(void)
{
    g_schemeNumbers = newlocale(LC_NUMERIC_MASK, "C", (locale_t)0);
}

static locale_t SchemeNumbers(void)
{
    static pthread_once_t once = PTHREAD_ONCE_INIT;
    pthread_once(&once, MakeSchemeNumbers);
    return g_schemeNumbers;
}

static int OnPath(const char *program)
{
    const char *path = getenv("PATH");
    if (!path)
        return 0;
    char candidate[4096];
    while (*path) {
        const char *end = strchr(path, ':');
        const size_t length = end ? (size_t)(end - path) : strlen(path);
        if (length > 0 && length + strlen(program) + 2 < sizeof candidate) {
            memcpy(candidate, path, length);
            candidate[length] = '/';
            strcpy(candidate + length + 1, program);
            if (access(candidate, X_OK) == 0)
                return 1;
        }
        path += length + (end ? 1 : 0);
    }
    return 0;
}

void FestivalIgnoreBrokenPipe(void)
{
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, NULL);
}

int FestivalInstalled(void)
{
    return OnPath("festival") && access(kVoiceFile, R_OK) == 0;
}

static long long NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

static int WriteAll(int fd, const char *bytes, size_t length)
{
    while (length > 0) {
        const ssize_t written = write(fd, bytes, length);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return -1;
        bytes += written;
        length -= (size_t)written;
    }
    return 0;
}

/* The next answer line, without its line break, in child->line. 1 with a line, 0 when
 * cancelled, -1 when the child ended or the deadline passed. */
static int ReadLine(struct FestivalChild *child, long long deadline, atomic_int *cancel)
{
    for (;;) {
        char *newline = memchr(child->line, '\n', child->lineLength);
        if (newline) {
            *newline = 0;
            return 1;
        }
        if (child->lineLength >= sizeof child->line - 1)
            child->lineLength = 0; /* a line too long for us is dropped */
        if (cancel && atomic_load(cancel))
            return 0;
        const long long left = deadline - NowMs();
        if (left <= 0)
            return -1;
        struct pollfd wait = {child->output, POLLIN, 0};
        const int ready = poll(&wait, 1, left < 20 ? (int)left : 20);
        if (ready < 0 && errno != EINTR)
            return -1;
        if (ready <= 0)
            continue;
        const ssize_t got = read(child->output, child->line + child->lineLength, sizeof child->line - 1 - child->lineLength);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            return -1;
        child->lineLength += (size_t)got;
    }
}

/* Forgets the line just read. */
static void DropLine(struct FestivalChild *child)
{
    const size_t used = strlen(child->line) + 1;
    memmove(child->line, child->line + used, child->lineLength - used);
    child->lineLength -= used;
}

int FestivalRunning(const struct FestivalChild *child)
{
    return child->pid > 0;
}

void FestivalEnd(struct FestivalChild *child)
{
    if (child->pid > 0) {
        kill(child->pid, SIGKILL);
        while (waitpid(child->pid, NULL, 0) < 0 && errno == EINTR) {
        }
    }
    if (child->input >= 0)
        close(child->input);
    if (child->output >= 0)
        close(child->output);
    if (child->folder[0]) {
        char file[128];
        snprintf(file, sizeof file, "%s/utterance.wav", child->folder);
        unlink(file);
        rmdir(child->folder);
    }
    memset(child, 0, sizeof *child);
    child->input = child->output = -1;
}

int FestivalVoiceNameUsable(const char *voice)
{
    if (!voice || !*voice || strlen(voice) > 100)
        return 0;
    for (const char *c = voice; *c; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') || *c == '_'))
            return 0;
    return 1;
}

int FestivalStart(struct FestivalChild *child)
{
    return FestivalStartVoice(child, NULL);
}

int FestivalStartVoice(struct FestivalChild *child, const char *voice)
{
    return FestivalStartCancellable(child, voice, NULL);
}

int FestivalStartCancellable(struct FestivalChild *child, const char *voice, atomic_int *cancel)
{
    memset(child, 0, sizeof *child);
    child->input = child->output = -1;
    if (voice ? !OnPath("festival") || !FestivalVoiceNameUsable(voice) : !FestivalInstalled())
        return -1;
    /* The voice's name goes into festival's Scheme: only a checked one gets there. */
    char request[sizeof kSetUp + sizeof kOnaPace + 128];
    snprintf(request, sizeof request, kSetUp, voice ? voice : kOnaName, voice ? kStretchPace : kOnaPace);
    strcpy(child->folder, "/tmp/upctv-festival-XXXXXX");
    if (!mkdtemp(child->folder)) {
        child->folder[0] = 0;
        return -1;
    }
    int input[2], output[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        return FestivalEnd(child), -1;
    if (pipe2(output, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return FestivalEnd(child), -1;
    }
    char program[] = "festival", pipeOption[] = "--pipe", heapOption[] = "--heap", heap[16];
    snprintf(heap, sizeof heap, "%s", kHeapCells);
    char *argv[] = {program, pipeOption, heapOption, heap, NULL};
    const pid_t pid = SpawnChild(argv, input[0], output[1]);
    close(input[0]);
    close(output[1]);
    child->input = input[1];
    child->output = output[0];
    if (pid == 0)
        return FestivalEnd(child), -1;
    child->pid = pid;
    if (WriteAll(child->input, request, strlen(request)) != 0)
        return FestivalEnd(child), -1;
    const long long deadline = NowMs() + kStartMs;
    for (;;) {
        if (ReadLine(child, deadline, cancel) != 1)
            return FestivalEnd(child), -1;
        const int ready = strcmp(child->line, "READY") == 0;
        const int noVoice = strcmp(child->line, "NOVOICE") == 0;
        DropLine(child);
        if (noVoice)
            return FestivalEnd(child), -1;
        if (ready)
            return 0;
    }
}

/* A Scheme string of the text: quotes and backslashes escaped, control characters
 * blanks. Caller frees. */
static char *SchemeString(const char *text, size_t length)
{
    char *out = malloc(length * 2 + 3);
    if (!out)
        return NULL;
    size_t n = 0;
    out[n++] = '"';
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = (unsigned char)text[i];
        if (c == '"' || c == '\\')
            out[n++] = '\\';
        out[n++] = c < 32 ? ' ' : (char)c;
    }
    out[n++] = '"';
    out[n] = 0;
    return out;
}

static unsigned ReadLe(const unsigned char *bytes, int size)
{
    unsigned value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

/* The most samples a sentence can give: an hour at 48 kHz, far past any sentence. */
enum { kLargestWaveBytes = 48000 * 2 * 3600, kLowestRate = 1000, kHighestRate = 192000 };
enum { kWaveMissing = -1, kWaveMalformed = -2 };

/* The samples of a 16-bit mono RIFF file. Every size in it is checked against what is
 * left of the file before it is used: a file that claims more is malformed. */
static int ReadWave(const char *fileName, struct FestivalSynthesis *result)
{
    FILE *file = fopen(fileName, "rb");
    if (!file)
        return kWaveMissing;
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || status.st_size < 0) {
        fclose(file);
        return kWaveMissing;
    }
    const unsigned long long length = (unsigned long long)status.st_size;
    unsigned long long at = 12;
    unsigned char header[12];
    int ok = fread(header, 1, 12, file) == 12 && memcmp(header, "RIFF", 4) == 0 && memcmp(header + 8, "WAVE", 4) == 0;
    while (ok) {
        unsigned char chunk[8];
        if (fread(chunk, 1, 8, file) != 8)
            break;
        at += 8;
        const unsigned size = ReadLe(chunk + 4, 4);
        if (size > length - at) {
            ok = 0;
            break;
        }
        if (memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            unsigned char format[16];
            ok = fread(format, 1, 16, file) == 16 && ReadLe(format + 2, 2) == 1 && ReadLe(format + 14, 2) == 16;
            const unsigned rate = ReadLe(format + 4, 4);
            ok = ok && rate >= kLowestRate && rate <= kHighestRate;
            result->sampleRate = ok ? (int)rate : 0;
            if (ok && size > 16)
                ok = fseek(file, (long)(size - 16), SEEK_CUR) == 0;
        } else if (memcmp(chunk, "data", 4) == 0) {
            ok = size <= kLargestWaveBytes && result->sampleRate > 0;
            result->samples = ok ? malloc((size_t)size + 2) : NULL;
            ok = result->samples && fread(result->samples, 1, size, file) == size;
            result->sampleCount = ok ? size / 2 : 0;
            fclose(file);
            return ok ? 0 : kWaveMalformed;
        } else {
            ok = fseek(file, (long)size + (size & 1), SEEK_CUR) == 0;
        }
        at += size + (size & 1);
    }
    fclose(file);
    return kWaveMalformed;
}

static void AddToken(struct FestivalSynthesis *result, const char *line)
{
    double start = 0, end = 0;
    int used = 0;
    const locale_t previous = uselocale(SchemeNumbers());
    const int read = sscanf(line, "W %lf %lf %n", &start, &end, &used);
    uselocale(previous);
    if (read < 2 || used <= 0)
        return;
    struct FestivalToken *grown = realloc(result->tokens, (result->tokenCount + 1) * sizeof *grown);
    if (!grown)
        return;
    result->tokens = grown;
    grown[result->tokenCount].name = strdup(line + used);
    grown[result->tokenCount].start = start;
    grown[result->tokenCount].end = end;
    if (grown[result->tokenCount].name)
        ++result->tokenCount;
}

double FestivalSpeedFactor(int speed)
{
    const double factor = speed / 100.0;
    return factor < 0.45 ? 0.45 : (factor > 2.5 ? 2.5 : factor);
}

void FestivalSynthesisFree(struct FestivalSynthesis *result)
{
    for (size_t i = 0; i < result->tokenCount; ++i)
        free(result->tokens[i].name);
    free(result->tokens);
    free(result->samples);
    memset(result, 0, sizeof *result);
}

int FestivalSynthesize(struct FestivalChild *child, const char *text, size_t length, double speed,
                       atomic_int *cancel, struct FestivalSynthesis *result)
{
    memset(result, 0, sizeof *result);
    if (child->pid <= 0 || !SchemeNumbers())
        return -1;
    /* An abandoned answer is read to its end first: festival answers in order. */
    const long long drainDeadline = NowMs() + kAnswerMs;
    while (child->pendingAnswers > 0) {
        const int got = ReadLine(child, drainDeadline, cancel);
        if (got == 0)
            return 0;
        if (got != 1)
            return FestivalEnd(child), -1;
        if (strcmp(child->line, "END") == 0)
            --child->pendingAnswers;
        DropLine(child);
    }
    char *quoted = SchemeString(text, length);
    if (!quoted)
        return -1;
    char wave[128];
    snprintf(wave, sizeof wave, "%s/utterance.wav", child->folder);
    unlink(wave);
    char *request = malloc(strlen(quoted) + 256);
    if (!request) {
        free(quoted);
        return -1;
    }
    const locale_t previous = uselocale(SchemeNumbers());
    sprintf(request, "(unwind-protect (tolvanet_say %s \"%s\" %.3f) (format stderr \"FAILED\\n\"))\n(format stderr \"END\\n\")\n",
            quoted, wave, speed);
    uselocale(previous);
    free(quoted);
    const int written = WriteAll(child->input, request, strlen(request));
    free(request);
    if (written != 0)
        return FestivalEnd(child), -1;
    const long long deadline = NowMs() + kAnswerMs + (long long)length * 20;
    int failed = 0;
    for (;;) {
        const int got = ReadLine(child, deadline, cancel);
        if (got == 0) {
            child->pendingAnswers = 1;
            FestivalSynthesisFree(result);
            return 0;
        }
        if (got < 0) {
            FestivalSynthesisFree(result);
            return FestivalEnd(child), -1;
        }
        if (strcmp(child->line, "END") == 0) {
            DropLine(child);
            break;
        }
        if (strcmp(child->line, "FAILED") == 0)
            failed = 1;
        else if (child->line[0] == 'W' && child->line[1] == ' ')
            AddToken(result, child->line);
        DropLine(child);
    }
    /* Our callers send only sentences with something to say: festival's error, or a
     * request it could not read, leaves no recording, and that is no silence to play;
     * a wave that is there but cannot be what it claims is a failed sentence too, and
     * that festival is ended. */
    const int read = failed ? kWaveMissing : ReadWave(wave, result);
    if (read == kWaveMalformed) {
        FestivalSynthesisFree(result);
        unlink(wave);
        return FestivalEnd(child), -1;
    }
    const int rejected = read != 0;
    if (rejected)
        FestivalSynthesisFree(result);
    unlink(wave);
    return rejected ? -2 : 0;
}
