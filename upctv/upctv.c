/* The Catalan woman speaks with festival's ona voice (ona.c); the other voices by
 * running the espeak-ng program as a child process, so that it shares no
 * state with an espeak-ng inside the calling program. The text goes to the child's
 * standard input, never on its command line, so no text can become an option. */
#define _GNU_SOURCE
#include "upctv.h"

#include "ona.h"
#include "spawn_child.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>


enum { CATALAN = 99, SPANISH = 101 };

static pthread_mutex_t g_mutex = PTHREAD_MUTEX_INITIALIZER;
static int g_language = CATALAN;
static int g_speaker = 0;
static int g_speed = 100;
static pid_t g_child = 0;
static int g_failed = 0; /* the last reading ended without being heard */
static int g_errors = -1; /* what the child says on its error output */
/* The thread that writes the text to the child. It runs code of this library, so it
 * is joined before the child is forgotten: never left running when the library is
 * unloaded. */
static pthread_t g_feeder;
static int g_feeding = 0;

/* Needs the lock held; the child has ended or been killed, so the writes end. */
static void JoinFeederLocked(void)
{
    if (!g_feeding)
        return;
    pthread_join(g_feeder, NULL);
    g_feeding = 0;
}

/* espeak-ng ends with status 0 even when it could open no sound device; it only says
 * so on its error output, which is read here. Needs the lock held. */
static void ReadChildErrorsLocked(void)
{
    if (g_errors < 0)
        return;
    char buffer[4096];
    ssize_t n;
    while ((n = read(g_errors, buffer, sizeof buffer)) > 0)
        g_failed = 1;
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        close(g_errors);
        g_errors = -1;
    }
}

static void CloseChildErrorsLocked(void)
{
    if (g_errors >= 0)
        close(g_errors);
    g_errors = -1;
}
static int g_paused = 0;
static struct timespec g_deadline;

/* The characters 0x80..0x9F of Windows-1252 (0 for the five unassigned ones). */
static const unsigned short kHighTable[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

/* UTF-8 of a Windows-1252 text; control characters become blanks. Caller frees. */
static char *ToUtf8(const char *text, size_t length, size_t *outLength)
{
    char *out = malloc(length * 3 + 1);
    size_t n = 0;
    if (!out)
        return NULL;
    for (size_t i = 0; i < length; ++i) {
        unsigned c = (unsigned char)text[i];
        if (c >= 0x80 && c < 0xA0)
            c = kHighTable[c - 0x80] ? kHighTable[c - 0x80] : ' ';
        else if (c < 32 && c != '\n')
            c = ' ';
        if (c < 0x80) {
            out[n++] = (char)c;
        } else if (c < 0x800) {
            out[n++] = (char)(0xC0 | (c >> 6));
            out[n++] = (char)(0x80 | (c & 0x3F));
        } else {
            out[n++] = (char)(0xE0 | (c >> 12));
            out[n++] = (char)(0x80 | ((c >> 6) & 0x3F));
            out[n++] = (char)(0x80 | (c & 0x3F));
        }
    }
    out[n] = 0;
    *outLength = n;
    return out;
}

struct Feed
{
    int fd;
    char *bytes;
    size_t length;
};

/* Writes the text to the child's input on a thread of its own, so that a long text
 * never blocks the caller; a child that was stopped makes the write fail quietly. */
static void *FeedChild(void *argument)
{
    struct Feed *feed = argument;
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, NULL);
    size_t done = 0;
    while (done < feed->length) {
        ssize_t written = write(feed->fd, feed->bytes + done, feed->length - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        done += (size_t)written;
    }
    close(feed->fd);
    free(feed->bytes);
    free(feed);
    return NULL;
}

/* Needs the lock held. */
static void StopChildLocked(void)
{
    if (g_child <= 0) {
        JoinFeederLocked();
        return;
    }
    if (g_paused)
        kill(g_child, SIGCONT);
    kill(g_child, SIGKILL);
    while (waitpid(g_child, NULL, 0) < 0 && errno == EINTR) {
    }
    g_child = 0;
    g_failed = 0;
    CloseChildErrorsLocked();
    JoinFeederLocked();
    g_paused = 0;
}

static int WordsPerMinute(void)
{
    int wpm = 175 * g_speed / 100;
    return wpm < 80 ? 80 : (wpm > 450 ? 450 : wpm);
}

/* Needs the lock held. */
static int OnaChosenLocked(void)
{
    return g_language == CATALAN && g_speaker == 2;
}

static const char *VoiceName(void)
{
    if (g_language == CATALAN)
        return g_speaker == 2 ? "ca+f2" : "ca+m3";
    return g_speaker == 1 ? "es+m3" : "es+f2";
}

/* Needs the lock held. */
static int SpeakLocked(const char *text, size_t length)
{
    StopChildLocked();
    g_failed = 1; /* until a child speaks */
    size_t utf8Length = 0;
    char *utf8 = ToUtf8(text, length, &utf8Length);
    if (!utf8)
        return -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        free(utf8);
        return -1;
    }
    int errors[2];
    if (pipe2(errors, O_CLOEXEC | O_NONBLOCK) != 0) {
        close(fds[0]);
        close(fds[1]);
        free(utf8);
        return -1;
    }
    char rate[16];
    snprintf(rate, sizeof rate, "%d", WordsPerMinute());
    char voice[16];
    snprintf(voice, sizeof voice, "%s", VoiceName());
    char program[] = "espeak-ng";
    char voiceOption[] = "-v";
    char rateOption[] = "-s";
    char *argv[] = {program, voiceOption, voice, rateOption, rate, NULL};

    const pid_t child = SpawnChild(argv, fds[0], errors[1]);
    close(fds[0]);
    close(errors[1]);
    if (child == 0) {
        close(errors[0]);
        close(fds[1]);
        free(utf8);
        return -1;
    }
    g_child = child;
    g_failed = 0;
    g_errors = errors[0];
    /* A child that never ends (a sound system that hangs) is ended after a generous
     * reading time: one second per six characters at normal speed, plus five seconds. */
    clock_gettime(CLOCK_MONOTONIC, &g_deadline);
    g_deadline.tv_sec += 5 + (time_t)(utf8Length * 100 / (size_t)(g_speed > 0 ? g_speed : 100) / 6);

    struct Feed *feed = malloc(sizeof *feed);
    if (!feed) {
        close(fds[1]);
        free(utf8);
    } else {
        feed->fd = fds[1];
        feed->bytes = utf8;
        feed->length = utf8Length;
        if (pthread_create(&g_feeder, NULL, FeedChild, feed) == 0) {
            g_feeding = 1;
        } else {
            close(fds[1]);
            free(utf8);
            free(feed);
        }
    }
    return 0;
}

int upcTVAbout(void)
{
    return 100;
}

int upcTVRead(const char *text)
{
    if (!text)
        return -1;
    pthread_mutex_lock(&g_mutex);
    StopChildLocked();
    const int result = OnaChosenLocked() ? OnaRead(text, strlen(text), g_speed) : (OnaStop(), SpeakLocked(text, strlen(text)));
    pthread_mutex_unlock(&g_mutex);
    return result;
}

int upcTVReadFile(const char *fileName)
{
    if (!fileName)
        return -1;
    FILE *file = fopen(fileName, "rb");
    if (!file)
        return -1;
    char *bytes = NULL;
    size_t length = 0;
    char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0) {
        char *grown = realloc(bytes, length + got);
        if (!grown) {
            free(bytes);
            fclose(file);
            return -1;
        }
        bytes = grown;
        memcpy(bytes + length, block, got);
        length += got;
    }
    fclose(file);
    pthread_mutex_lock(&g_mutex);
    StopChildLocked();
    const int result = OnaChosenLocked() ? OnaRead(bytes ? bytes : "", length, g_speed)
                                         : (OnaStop(), SpeakLocked(bytes ? bytes : "", length));
    pthread_mutex_unlock(&g_mutex);
    free(bytes);
    return result;
}

int upcTVStop(void)
{
    pthread_mutex_lock(&g_mutex);
    StopChildLocked();
    pthread_mutex_unlock(&g_mutex);
    OnaStop();
    return 0;
}

int upcTVPause(void)
{
    pthread_mutex_lock(&g_mutex);
    if (g_child > 0 && !g_paused && kill(g_child, SIGSTOP) == 0)
        g_paused = 1;
    pthread_mutex_unlock(&g_mutex);
    return 0;
}

int upcTVResume(void)
{
    pthread_mutex_lock(&g_mutex);
    if (g_child > 0 && g_paused && kill(g_child, SIGCONT) == 0)
        g_paused = 0;
    pthread_mutex_unlock(&g_mutex);
    return 0;
}

int upcTVSetLanguage(int language)
{
    pthread_mutex_lock(&g_mutex);
    g_language = language == CATALAN ? CATALAN : SPANISH;
    const int ona = OnaChosenLocked();
    pthread_mutex_unlock(&g_mutex);
    if (ona)
        OnaPrepare();
    return 0;
}

int upcTVSetSpeed(int speed)
{
    pthread_mutex_lock(&g_mutex);
    g_speed = speed < 10 ? 10 : (speed > 250 ? 250 : speed);
    pthread_mutex_unlock(&g_mutex);
    return 0;
}

int upcTVSetSpeaker(int speaker)
{
    pthread_mutex_lock(&g_mutex);
    g_speaker = speaker;
    const int ona = OnaChosenLocked();
    pthread_mutex_unlock(&g_mutex);
    if (ona)
        OnaPrepare();
    return 0;
}

int upcTVStatus(int which)
{
    pthread_mutex_lock(&g_mutex);
    if (OnaChosenLocked()) {
        pthread_mutex_unlock(&g_mutex);
        if (which == 2)
            return !OnaInstalled();
        const int speaking = OnaSpeaking();
        return which == 1 ? (speaking ? 0 : OnaFailed()) : speaking;
    }
    if (which == 2) {
        pthread_mutex_unlock(&g_mutex);
        return 0;
    }
    int speaking = 0;
    if (g_child > 0) {
        int status = 0;
        ReadChildErrorsLocked();
        const pid_t ended = waitpid(g_child, &status, WNOHANG);
        if (ended == g_child || (ended < 0 && errno == ECHILD)) {
            /* espeak-ng fails when no sound device can be opened. */
            ReadChildErrorsLocked();
            if (ended == g_child && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
                g_failed = 1;
            g_child = 0;
            CloseChildErrorsLocked();
            JoinFeederLocked();
        } else {
            struct timespec now;
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (!g_paused && now.tv_sec > g_deadline.tv_sec)
                StopChildLocked();
            else
                speaking = 1;
        }
    }
    const int failed = g_failed;
    pthread_mutex_unlock(&g_mutex);
    return which == 1 ? (speaking ? 0 : failed) : speaking;
}

int upcTVWord(int *start, int *length)
{
    if (!start || !length)
        return 0;
    pthread_mutex_lock(&g_mutex);
    const int ona = OnaChosenLocked();
    pthread_mutex_unlock(&g_mutex);
    return ona ? OnaWord(start, length) : 0;
}

int upcTVRender(const char *text, const char *wavFile, void (*word)(void *context, int start, int length, int ms),
                int (*progress)(void *context, int percent), void *context)
{
    if (!text || !wavFile)
        return -1;
    pthread_mutex_lock(&g_mutex);
    const int ona = OnaChosenLocked();
    const int speed = g_speed;
    pthread_mutex_unlock(&g_mutex);
    if (!ona)
        return -2;
    return OnaRender(text, strlen(text), speed, wavFile, word, progress, context);
}

int upcTVRenderFestival(const char *voice, const char *text, const char *wavFile,
                        void (*word)(void *context, int start, int length, int ms),
                        int (*progress)(void *context, int percent), void *context)
{
    if (!voice || !text || !wavFile)
        return -1;
    pthread_mutex_lock(&g_mutex);
    const int speed = g_speed;
    pthread_mutex_unlock(&g_mutex);
    return FestivalRender(voice, text, strlen(text), speed, wavFile, word, progress, context);
}

/* The children never outlive the library. */
__attribute__((destructor)) static void UnloadLibrary(void)
{
    upcTVStop();
    OnaUnload();
}
