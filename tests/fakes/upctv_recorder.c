/* A stand-in for libupctv.so that records each call, one line per call, in the file
 * named by TOLVANET_UPCTV_LOG. Built twice: complete, and without the entries that
 * RECORDER_PARTIAL leaves out. Speech "lasts" for TOLVANET_UPCTV_BUSY status polls. */
#include <stdio.h>
#include <stdlib.h>

#define EXPORT __attribute__((visibility("default")))

static int g_busy = 0;

static void Note(const char *format, ...) __attribute__((format(printf, 1, 2)));

#include <stdarg.h>
static void Note(const char *format, ...)
{
    const char *name = getenv("TOLVANET_UPCTV_LOG");
    if (!name)
        return;
    FILE *log = fopen(name, "a");
    if (!log)
        return;
    va_list arguments;
    va_start(arguments, format);
    vfprintf(log, format, arguments);
    va_end(arguments);
    fputc('\n', log);
    fclose(log);
}

__attribute__((constructor)) static void Loaded(void) { Note("load"); }
__attribute__((destructor)) static void Unloaded(void) { Note("unload"); }

EXPORT int upcTVAbout(void) { Note("about"); return 100; }
EXPORT int upcTVRead(const char *text)
{
    Note("read:%s", text);
    const char *busy = getenv("TOLVANET_UPCTV_BUSY");
    g_busy = busy ? atoi(busy) : 0;
    return 0;
}
EXPORT int upcTVReadFile(const char *name) { Note("readfile:%s", name); return 0; }
#ifndef RECORDER_PARTIAL
EXPORT int upcTVStop(void) { Note("stop"); g_busy = 0; return 0; }
EXPORT int upcTVStatus(int which) { Note("status:%d", which); return g_busy > 0 ? g_busy-- : 0; }
#endif
EXPORT int upcTVPause(void) { Note("pause"); return 0; }
EXPORT int upcTVResume(void) { Note("resume"); return 0; }
EXPORT int upcTVSetLanguage(int language) { Note("language:%d", language); return 0; }
EXPORT int upcTVSetSpeed(int speed) { Note("speed:%d", speed); return 0; }
EXPORT int upcTVSetSpeaker(int speaker) { Note("speaker:%d", speaker); return 0; }
