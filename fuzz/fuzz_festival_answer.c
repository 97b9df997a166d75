/* festival's answer as the library reads it: the lines of its error output (word
 * times among them) through the same pipe reader, and the wave file it wrote, whose
 * sizes are taken from the file. The reader's own functions are fuzzed, so its source
 * is compiled in here. */
#include "upctv/festival_child.c"
#include "upctv/spawn_child.c"

#include <stdint.h>
#include <sys/mman.h>

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

/* The answer lines, as ReadLine takes them from the pipe; a line of a word's times
 * becomes a token. */
static void ReadAnswer(const uint8_t *data, size_t size)
{
    int ends[2];
    if (size > 60000 || pipe(ends) != 0)
        return;
    if (size > 0 && write(ends[1], data, size) != (ssize_t)size) {
        close(ends[0]);
        close(ends[1]);
        return;
    }
    close(ends[1]);
    static struct FestivalChild child;
    memset(&child, 0, sizeof child);
    child.output = ends[0];
    struct FestivalSynthesis result;
    memset(&result, 0, sizeof result);
    const long long deadline = NowMs() + 1000;
    while (ReadLine(&child, deadline, NULL) == 1) {
        if (child.line[0] == 'W' && child.line[1] == ' ')
            AddToken(&result, child.line);
        DropLine(&child);
    }
    for (size_t i = 0; i < result.tokenCount; ++i)
        if (!result.tokens[i].name)
            abort();
    FestivalSynthesisFree(&result);
    close(ends[0]);
}

/* The same bytes as the wave file festival wrote. */
static void ReadWaveFile(const uint8_t *data, size_t size)
{
    static int file = -1;
    static char name[64];
    if (file < 0) {
        file = memfd_create("utterance.wav", 0);
        if (file < 0)
            return;
        snprintf(name, sizeof name, "/proc/self/fd/%d", file);
    }
    if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != (ssize_t)size)
        return;
    struct FestivalSynthesis result;
    memset(&result, 0, sizeof result);
    if (ReadWave(name, &result) == 0 && (result.sampleRate <= 0 || result.sampleCount * 2 > size))
        abort();
    FestivalSynthesisFree(&result);
}

int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReadAnswer(data, size);
    ReadWaveFile(data, size);
    return 0;
}
