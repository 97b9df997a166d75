/* Text as festival's Catalan front end reads it, and its cutting into sentences. */
#ifndef ONA_TEXT_H
#define ONA_TEXT_H

#include <stddef.h>

struct OnaText
{
    char *bytes;   /* ISO-8859-15 */
    size_t length;
    int *places;   /* for each byte, the place in the Windows-1252 text it came from */
};

/* The Windows-1252 text mapped to ISO-8859-15: typographic quotes, dashes, the ellipsis
 * and the letters both have at other places are carried over, the rest becomes what it
 * reads as or a blank. 0 on success. */
int OnaTextFromWindows1252(const char *text, size_t length, struct OnaText *result);
void OnaTextFree(struct OnaText *text);

/* The end of the sentence that starts at begin: after its final punctuation, at a line
 * break, or at a blank before maxLength bytes. */
size_t OnaSentenceEnd(const struct OnaText *text, size_t begin, size_t maxLength);
/* Whether bytes [begin, end) hold anything festival can say (a letter or a digit). */
int OnaSayable(const struct OnaText *text, size_t begin, size_t end);

/* The place of a festival token in the text, searched from *cursor up to end; 1 when
 * found, with the token's place and length in the Windows-1252 text, and *cursor moved
 * past it. */
int OnaFindToken(const struct OnaText *text, size_t *cursor, size_t end, const char *token, int *start, int *length);

#endif
