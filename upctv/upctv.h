/* The Catalan/Spanish synthesizer library loaded at run time by the editor. */
#ifndef UPCTV_H
#define UPCTV_H

#ifdef __cplusplus
extern "C" {
#endif

#define UPCTV_EXPORT __attribute__((visibility("default")))

/* The library's version, 100 for 1.00. */
UPCTV_EXPORT int upcTVAbout(void);
/* Starts speaking a zero-terminated Windows-1252 text and returns at once; 0 on success. */
UPCTV_EXPORT int upcTVRead(const char *text);
/* Starts speaking the text of a file (Windows-1252); 0 on success. */
UPCTV_EXPORT int upcTVReadFile(const char *fileName);
/* Ends the speech at once. */
UPCTV_EXPORT int upcTVStop(void);
UPCTV_EXPORT int upcTVPause(void);
UPCTV_EXPORT int upcTVResume(void);
/* 99 Catalan, 101 Spanish. */
UPCTV_EXPORT int upcTVSetLanguage(int language);
/* 100 is normal; 10..250. */
UPCTV_EXPORT int upcTVSetSpeed(int speed);
/* Catalan: 2 a woman, else a man. Spanish: 1 a man, else a woman. */
UPCTV_EXPORT int upcTVSetSpeaker(int speaker);
/* 0: non-zero while speaking. 1: non-zero when the last reading has ended without
 * being heard (no sound device). 2: non-zero when the synthesizer of the chosen voice
 * is not installed. */
UPCTV_EXPORT int upcTVStatus(int which);

/* Beside the ten: the word being heard, as its place (start and length in bytes) in the
 * text given to upcTVRead; 0 when the voice cannot tell or nothing is heard yet. */
UPCTV_EXPORT int upcTVWord(int *start, int *length);
/* Renders a Windows-1252 text with the chosen voice and speed into a 16-bit mono WAV
 * file. word, when given, is told each word's place (bytes) and start (milliseconds) in
 * order; progress, when given, gets 0..100 and returns 0 to stop. 0 on success, -1 on
 * failure, -2 when the chosen voice cannot render. */
UPCTV_EXPORT int upcTVRender(const char *text, const char *wavFile,
                             void (*word)(void *context, int start, int length, int ms),
                             int (*progress)(void *context, int percent), void *context);
/* upcTVRender with a festival voice by its name ("kal_diphone": letters, digits and "_"),
 * at the chosen speed, whatever voice is chosen. 0 on success, -1 on failure (festival
 * or the voice missing). */
UPCTV_EXPORT int upcTVRenderFestival(const char *voice, const char *text, const char *wavFile,
                                     void (*word)(void *context, int start, int length, int ms),
                                     int (*progress)(void *context, int percent), void *context);

#ifdef __cplusplus
}
#endif

#endif
