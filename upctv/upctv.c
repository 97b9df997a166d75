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
#include <poll.h>
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
/* The espeak-ng child's state, which its watcher keeps: the watcher takes only this
 * lock, so that a caller holding g_mutex may wait for it. A status question reads it. */
static pthread_mutex_t g_childMutex = PTHREAD_MUTEX_INITIALIZER;
static pid_t g_child = 0;
static int g_failed = 0; /* the last reading ended without being heard */
static int g_paused = 0;
static struct timespec g_deadline;
/* The thread that watches the child (it reaps it, ends it when it overruns and joins
 * the thread that feeds it), joined before the next child starts and at unloading:
 * never left running when the library goes away. Guarded by g_mutex. */
static pthread_t g_watcher;
static int g_watching = 0;

struct Watch
{
    pid_t pid;
    int errors; /* what the child says on its error output */
    pthread_t feeder;
    int feeding;
};

/* What is left on the child's error output; non-zero when it said anything. */
static int ReadErrors(int *errors)
{
    int said = 0;
    char buffer[4096];
    ssize_t n;
    while (*errors >= 0 && (n = read(*errors, buffer, sizeof buffer)) != 0) {
        if (n > 0) {
            said = 1;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return said;
        break;
    }
    if (*errors >= 0)
        close(*errors);
    *errors = -1;
    return said;
}

/* espeak-ng ends with status 0 even when it could open no sound device; it only says
 * so on its error output. A child that never ends (a sound system that hangs) is ended
 * at its deadline, unless paused. */
static void *WatchChild(void *argument)
{
    struct Watch watch = *(struct Watch *)argument;
    free(argument);
    int complained = 0, overdue = 0, lost = 0;
    siginfo_t ended;
    for (;;) {
        memset(&ended, 0, sizeof ended);
        /* Seen ended but not reaped yet, so that its number is not reused while a stop
         * may still send it a signal. */
        if (waitid(P_PID, (id_t)watch.pid, &ended, WEXITED | WNOHANG | WNOWAIT) != 0) {
            if (errno == EINTR)
                continue;
            lost = 1;
            break;
        }
        if (ended.si_pid == watch.pid)
            break;
        struct pollfd wait = {watch.errors, POLLIN, 0};
        if (poll(&wait, 1, 50) > 0)
            complained |= ReadErrors(&watch.errors);
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        pthread_mutex_lock(&g_childMutex);
        if (g_child == watch.pid && !g_paused && now.tv_sec > g_deadline.tv_sec && !overdue) {
            overdue = 1;
            kill(watch.pid, SIGKILL);
        }
        pthread_mutex_unlock(&g_childMutex);
    }
    complained |= ReadErrors(&watch.errors);
    const int exitedWell = lost || (ended.si_code == CLD_EXITED && ended.si_status == 0);
    pthread_mutex_lock(&g_childMutex);
    if (g_child == watch.pid) {
        /* espeak-ng fails when no sound device can be opened; one ended for overrunning
         * was heard. */
        g_failed = !overdue && (complained || !exitedWell);
        g_child = 0;
    }
    pthread_mutex_unlock(&g_childMutex);
    while (!lost && waitpid(watch.pid, NULL, 0) < 0 && errno == EINTR) {
    }
    /* The child has ended, so the feeder's writes end. */
    if (watch.feeding)
        pthread_join(watch.feeder, NULL);
    return NULL;
}

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
    pthread_mutex_lock(&g_childMutex);
    const pid_t child = g_child;
    const int paused = g_paused;
    if (child > 0)
        g_failed = 0;
    g_child = 0;
    g_paused = 0;
    pthread_mutex_unlock(&g_childMutex);
    if (child > 0) {
        if (paused)
            kill(child, SIGCONT);
        kill(child, SIGKILL);
    }
    if (g_watching)
        pthread_join(g_watcher, NULL);
    g_watching = 0;
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

/* Hands the text to the child's input on a thread of its own; takes the text and the
 * pipe's end. Non-zero when the thread was started. */
static int StartFeeder(int fd, char *utf8, size_t length, pthread_t *feeder)
{
    struct Feed *feed = malloc(sizeof *feed);
    if (feed) {
        *feed = (struct Feed){fd, utf8, length};
        if (pthread_create(feeder, NULL, FeedChild, feed) == 0)
            return 1;
        free(feed);
    }
    close(fd);
    free(utf8);
    return 0;
}

/* Needs the lock held. */
static int SpeakLocked(const char *text, size_t length)
{
    StopChildLocked();
    pthread_mutex_lock(&g_childMutex);
    g_failed = 1; /* until a child speaks */
    pthread_mutex_unlock(&g_childMutex);
    size_t utf8Length = 0;
    char *utf8 = ToUtf8(text, length, &utf8Length);
    struct Watch *watch = malloc(sizeof *watch);
    int fds[2] = {-1, -1}, errors[2] = {-1, -1};
    if (!utf8 || !watch || pipe2(fds, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC | O_NONBLOCK) != 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i] >= 0)
                close(fds[i]);
        }
        free(utf8);
        free(watch);
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
        free(watch);
        return -1;
    }
    pthread_mutex_lock(&g_childMutex);
    g_child = child;
    g_failed = 0;
    /* A child that never ends (a sound system that hangs) is ended after a generous
     * reading time: one second per six characters at normal speed, plus five seconds. */
    clock_gettime(CLOCK_MONOTONIC, &g_deadline);
    g_deadline.tv_sec += 5 + (time_t)(utf8Length * 100 / (size_t)(g_speed > 0 ? g_speed : 100) / 6);
    pthread_mutex_unlock(&g_childMutex);
    *watch = (struct Watch){child, errors[0], 0, 0};
    watch->feeding = StartFeeder(fds[1], utf8, utf8Length, &watch->feeder);
    g_watching = pthread_create(&g_watcher, NULL, WatchChild, watch) == 0;
    if (!g_watching) {
        /* Unwatched, the child could not be told ended: it is not started at all. */
        kill(child, SIGKILL);
        while (waitpid(child, NULL, 0) < 0 && errno == EINTR) {
        }
        if (watch->feeding)
            pthread_join(watch->feeder, NULL);
        close(errors[0]);
        free(watch);
        pthread_mutex_lock(&g_childMutex);
        g_child = 0;
        g_failed = 1;
        pthread_mutex_unlock(&g_childMutex);
        return -1;
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
    pthread_mutex_lock(&g_childMutex);
    if (g_child > 0 && !g_paused && kill(g_child, SIGSTOP) == 0)
        g_paused = 1;
    pthread_mutex_unlock(&g_childMutex);
    return 0;
}

int upcTVResume(void)
{
    pthread_mutex_lock(&g_childMutex);
    if (g_child > 0 && g_paused && kill(g_child, SIGCONT) == 0)
        g_paused = 0;
    pthread_mutex_unlock(&g_childMutex);
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

/* Only reads: the child is reaped and ended by its watcher, the ona reading by its
 * threads. */
int upcTVStatus(int which)
{
    pthread_mutex_lock(&g_mutex);
    const int ona = OnaChosenLocked();
    pthread_mutex_unlock(&g_mutex);
    if (ona) {
        if (which == 2)
            return !OnaInstalled();
        const int speaking = OnaSpeaking();
        return which == 1 ? (speaking ? 0 : OnaFailed()) : speaking;
    }
    if (which == 2)
        return 0;
    pthread_mutex_lock(&g_childMutex);
    const int speaking = g_child > 0;
    const int failed = g_failed;
    pthread_mutex_unlock(&g_childMutex);
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
