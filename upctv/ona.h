/* The Catalan woman's voice: festival's ona, heard through the sound server. */
#ifndef ONA_H
#define ONA_H

#include <stddef.h>

/* Whether festival and the voice are installed. */
int OnaInstalled(void);
/* Starts festival ahead of the first reading, so that it is heard at once. */
void OnaPrepare(void);
/* Starts reading a Windows-1252 text at a speed (100 normal, 10..250); 0 on success. */
int OnaRead(const char *text, size_t length, int speed);
void OnaStop(void);
/* Non-zero while the reading is heard. */
int OnaSpeaking(void);
/* Non-zero when the last reading ended without being heard. */
int OnaFailed(void);
/* The word being heard, as a place in the text given to OnaRead; 0 when none. */
int OnaWord(int *start, int *length);
/* Renders a text into a WAV file; see upcTVRender. */
int OnaRender(const char *text, size_t length, int speed, const char *wavFile,
              void (*word)(void *context, int start, int length, int ms),
              int (*progress)(void *context, int percent), void *context);
/* OnaRender with another festival voice by its name; NULL is ona. */
int FestivalRender(const char *voice, const char *text, size_t length, int speed, const char *wavFile,
                   void (*word)(void *context, int start, int length, int ms),
                   int (*progress)(void *context, int percent), void *context);
/* Ends the reading and festival. */
void OnaUnload(void);

#endif
