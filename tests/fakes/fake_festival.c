/* A stand-in for festival, put first on the PATH by the tests. It answers the library's
 * requests the way the file TOLVANET_FAKE_FESTIVAL names asks (a file, so that a test
 * changes it without touching the environment while the library's threads start
 * children):
 *   speak      a half-second tone for every request (also when unset)
 *   hugechunk  a wave whose data chunk claims nearly 4 GB it does not hold
 *   slowstart  never says that the voice is ready
 *   mute       ready, then never answers
 * Each start appends its process id to TOLVANET_FAKE_FESTIVAL_STARTS, and its blocked
 * and ignored signals ("SigBlk:" and "SigIgn:" of /proc/self/status) go to
 * TOLVANET_FAKE_FESTIVAL_SIGNALS, when these name files. */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void Note(const char *variable, const char *text)
{
    const char *name = getenv(variable);
    FILE *file = name ? fopen(name, "a") : NULL;
    if (!file)
        return;
    fputs(text, file);
    fclose(file);
}

static void NoteSignals(void)
{
    FILE *status = fopen("/proc/self/status", "r");
    char line[256];
    while (status && fgets(line, sizeof line, status))
        if (strncmp(line, "SigBlk:", 7) == 0 || strncmp(line, "SigIgn:", 7) == 0)
            Note("TOLVANET_FAKE_FESTIVAL_SIGNALS", line);
    if (status)
        fclose(status);
}

/* The Scheme string at *at, unescaped into out; *at moves past it. */
static int TakeString(const char **at, char *out, size_t size)
{
    const char *c = strchr(*at, '"');
    if (!c)
        return 0;
    size_t n = 0;
    for (++c; *c && *c != '"'; ++c) {
        if (*c == '\\' && c[1])
            ++c;
        if (n + 1 < size)
            out[n++] = *c;
    }
    out[n] = 0;
    *at = *c ? c + 1 : c;
    return 1;
}

static void PutLe(FILE *file, unsigned value, int size)
{
    for (int i = 0; i < size; ++i)
        fputc((int)((value >> (8 * i)) & 0xFF), file);
}

static void WriteWave(const char *name, int huge)
{
    FILE *file = fopen(name, "wb");
    if (!file)
        return;
    const unsigned samples = huge ? 8 : 8000;
    fputs("RIFF", file);
    PutLe(file, 36 + samples * 2, 4);
    fputs("WAVEfmt ", file);
    PutLe(file, 16, 4);
    PutLe(file, 1, 2);
    PutLe(file, 1, 2);
    PutLe(file, 16000, 4);
    PutLe(file, 32000, 4);
    PutLe(file, 2, 2);
    PutLe(file, 16, 2);
    fputs("data", file);
    PutLe(file, huge ? 0xFFFFFFFEu : samples * 2, 4);
    for (unsigned i = 0; i < samples; ++i)
        PutLe(file, (i / 18) % 2 ? 8000u : (unsigned)(unsigned short)-8000, 2);
    fclose(file);
}

int main(void)
{
    char mode[32] = "speak";
    const char *modeFile = getenv("TOLVANET_FAKE_FESTIVAL");
    FILE *chosen = modeFile ? fopen(modeFile, "r") : NULL;
    if (chosen) {
        if (!fgets(mode, sizeof mode, chosen))
            strcpy(mode, "speak");
        mode[strcspn(mode, "\n")] = 0;
        fclose(chosen);
    }
    char pid[32];
    snprintf(pid, sizeof pid, "%d\n", (int)getpid());
    Note("TOLVANET_FAKE_FESTIVAL_STARTS", pid);
    NoteSignals();
    char *line = NULL;
    size_t size = 0;
    while (getline(&line, &size, stdin) > 0) {
        if (strstr(line, "(voice_") && strcmp(mode, "slowstart") != 0)
            fputs("READY\n", stderr);
        const char *say = strstr(line, "(tolvanet_say ");
        char text[4096], wave[4096];
        if (say && strcmp(mode, "mute") != 0 && TakeString(&say, text, sizeof text) && TakeString(&say, wave, sizeof wave))
            WriteWave(wave, strcmp(mode, "hugechunk") == 0);
        if (strstr(line, "\"END\\n\"") && !strstr(line, "define") && strcmp(mode, "mute") != 0)
            fputs("END\n", stderr);
    }
    free(line);
    return 0;
}
