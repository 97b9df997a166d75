/* A festival process that has loaded the ona voice once and stays resident, answering
 * one synthesis at a time on its standard input and error output. */
#ifndef FESTIVAL_CHILD_H
#define FESTIVAL_CHILD_H

#include <stdatomic.h>
#include <stddef.h>
#include <sys/types.h>

/* A word of a synthesis as festival tokenized the text: its token (ISO-8859-15, as
 * written in the text without its punctuation) and when it is heard, in seconds. */
struct FestivalToken
{
    char *name;
    double start;
    double end;
};

struct FestivalSynthesis
{
    short *samples;
    size_t sampleCount;
    int sampleRate;
    struct FestivalToken *tokens;
    size_t tokenCount;
};

struct FestivalChild
{
    pid_t pid;
    int input;  /* festival's standard input */
    int output; /* festival's error output, where the answers go unbuffered */
    int pendingAnswers; /* answers of abandoned requests still to be read */
    char folder[64]; /* the private folder of its wave files */
    unsigned serial;
    char line[8192];
    size_t lineLength;
};

/* Makes a write to a festival that died fail instead of ending the program; for each
 * thread that talks to festival. */
void FestivalIgnoreBrokenPipe(void);
/* Whether festival and the ona voice are installed. */
int FestivalInstalled(void);
/* Starts festival and loads the voice; 0 on success, -1 when it cannot. */
int FestivalStart(struct FestivalChild *child);
/* Whether a festival voice name is one festival can be asked for: letters, digits and
 * "_" only. */
int FestivalVoiceNameUsable(const char *voice);
/* FestivalStart with another festival voice by its name ("kal_diphone"); NULL is ona. The
 * speed of FestivalSynthesize then stretches the voice's durations. */
int FestivalStartVoice(struct FestivalChild *child, const char *voice);
/* FestivalStartVoice that gives up, with the child ended, once *cancel is non-zero. */
int FestivalStartCancellable(struct FestivalChild *child, const char *voice, atomic_int *cancel);
int FestivalRunning(const struct FestivalChild *child);
void FestivalEnd(struct FestivalChild *child);
/* The speed factor of the rate bar's 10..250 around 100; the slowest stays understandable. */
double FestivalSpeedFactor(int speed);
/* Synthesizes an ISO-8859-15 text at a speed factor (1 is normal). *cancel, when it
 * becomes non-zero, abandons the wait (the answer is read and dropped later; one still
 * being read from an earlier request stays pending too). 0 on success or when cancelled,
 * with nothing made; -1 on a failure that ended the child (it died, never answered or
 * wrote a wave that cannot be what it claims); -2 when festival, still running, made no
 * recording of the text (it rejected the request). */
int FestivalSynthesize(struct FestivalChild *child, const char *text, size_t length, double speed,
                       atomic_int *cancel, struct FestivalSynthesis *result);
void FestivalSynthesisFree(struct FestivalSynthesis *result);

#endif
