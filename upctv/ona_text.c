#define _GNU_SOURCE
#include "ona_text.h"

#include <stdlib.h>
#include <string.h>

/* What the Windows-1252 characters 0x80..0x9F become. */
static const char *const kHigh[32] = {
    "\xA4", " ", ",", "f", "\"", "...", " ", " ", " ", " per mil", "\xA6", "\"", "\xBC", " ", "\xB4", " ",
    " ", "'", "'", "\"", "\"", " ", "\x96", "\x96", " ", " ", "\xA8", "\"", "\xBD", " ", "\xB8", "\xBE"};

/* The Latin-1 characters whose places ISO-8859-15 gives to other letters. */
static const char *Latin1Only(unsigned char c)
{
    switch (c) {
    case 0xA4: return " ";
    case 0xA6: return " ";
    case 0xA8: return " ";
    case 0xB4: return "'";
    case 0xB8: return " ";
    case 0xBC: return " un quart";
    case 0xBD: return " mig";
    case 0xBE: return " tres quarts";
    default: return NULL;
    }
}

static int IsDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

static int IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

/* What byte i becomes; single is room for a byte standing for itself. */
static const char *Mapped(const char *text, size_t length, size_t i, char single[2])
{
    const unsigned char c = (unsigned char)text[i];
    const unsigned char before = i > 0 ? (unsigned char)text[i - 1] : ' ';
    const unsigned char after = i + 1 < length ? (unsigned char)text[i + 1] : ' ';
    single[0] = (char)c;
    single[1] = 0;
    const char *out = single;
    if (c >= 0x80 && c < 0xA0)
        out = kHigh[c - 0x80];
    else if (Latin1Only(c))
        out = Latin1Only(c);
    else if (c < 32 && c != '\n')
        out = " ";
    /* A dash between numbers is a range; elsewhere a pause, never "guió". */
    if (strcmp(out, "\x96") == 0 || (c == '-' && IsBlank(before) && IsBlank(after)))
        out = IsDigit(before) && IsDigit(after) ? "-" : ", ";
    return out;
}

int OnaTextFromWindows1252(const char *text, size_t length, struct OnaText *result)
{
    char single[2];
    size_t most = 1;
    for (size_t i = 0; i < length; ++i)
        most += strlen(Mapped(text, length, i, single));
    result->bytes = malloc(most);
    result->places = malloc(most * sizeof *result->places);
    result->length = 0;
    if (!result->bytes || !result->places) {
        OnaTextFree(result);
        return -1;
    }
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        for (const char *p = Mapped(text, length, i, single); *p; ++p) {
            result->bytes[n] = *p;
            result->places[n] = (int)i;
            ++n;
        }
    }
    result->bytes[n] = 0;
    result->length = n;
    return 0;
}

void OnaTextFree(struct OnaText *text)
{
    free(text->bytes);
    free(text->places);
    memset(text, 0, sizeof *text);
}

size_t OnaSentenceEnd(const struct OnaText *text, size_t begin, size_t maxLength)
{
    const size_t limit = begin + maxLength < text->length ? begin + maxLength : text->length;
    size_t lastBlank = 0;
    for (size_t i = begin; i < limit; ++i) {
        const unsigned char c = (unsigned char)text->bytes[i];
        if (c == '\n')
            return i + 1;
        if ((c == '.' || c == '!' || c == '?' || c == ';' || c == ':') && i + 1 < text->length
            && IsBlank((unsigned char)text->bytes[i + 1]))
            return i + 1;
        if (IsBlank(c) && i > begin)
            lastBlank = i;
    }
    if (limit == text->length)
        return limit;
    return lastBlank > begin ? lastBlank : limit;
}

int OnaSayable(const struct OnaText *text, size_t begin, size_t end)
{
    for (size_t i = begin; i < end; ++i) {
        const unsigned char c = (unsigned char)text->bytes[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c >= 0xC0 || c == 0xA6 || c == 0xA8
            || c == 0xB4 || c == 0xB8 || c == 0xBC || c == 0xBD || c == 0xBE)
            return 1;
    }
    return 0;
}

int OnaFindToken(const struct OnaText *text, size_t *cursor, size_t end, const char *token, int *start, int *length)
{
    const size_t tokenLength = strlen(token);
    if (tokenLength == 0 || *cursor >= end)
        return 0;
    const char *found = memmem(text->bytes + *cursor, end - *cursor, token, tokenLength);
    if (!found)
        return 0;
    const size_t at = (size_t)(found - text->bytes);
    *start = text->places[at];
    *length = text->places[at + tokenLength - 1] + 1 - *start;
    *cursor = at + tokenLength;
    return 1;
}
