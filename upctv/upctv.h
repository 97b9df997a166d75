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
 * being heard (no sound device). */
UPCTV_EXPORT int upcTVStatus(int which);

#ifdef __cplusplus
}
#endif

#endif
