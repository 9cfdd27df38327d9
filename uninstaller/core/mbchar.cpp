#include "core/mbchar.h"
#include <string.h>

unsigned char gMbLead[256];

void MbSetLeadRanges(const unsigned char *ranges)
{
    memset(gMbLead, 0, sizeof gMbLead);
    for (int i = 0; ranges && i < 12 && (ranges[i] || ranges[i + 1]); i += 2)
        for (unsigned c = ranges[i]; c <= ranges[i + 1] && c < 256; c++) gMbLead[c] = 1;
    gMbLead[0] = 0;
}

char *MbFindChar(const char *text, char c)
{
    for (const char *p = text; *p; p = MbNext(p))
        if (*p == c) return (char *)p;
    return NULL;
}

char *MbFindLastChar(const char *text, char c)
{
    const char *found = NULL;
    for (const char *p = text; *p; p = MbNext(p))
        if (*p == c) found = p;
    return (char *)found;
}

char *MbLastChar(const char *text, size_t n)
{
    const char *last = NULL;
    for (const char *p = text; p < text + n && *p; p = MbNext(p)) last = p;
    return (char *)last;
}

char *MbFindText(const char *text, const char *needle)
{
    size_t n = strlen(needle);
    for (const char *p = text; *p; p = MbNext(p))
        if (strncmp(p, needle, n) == 0) return (char *)p;
    return n ? NULL : (char *)text;
}

int MbIsBoundary(const char *text, size_t at)
{
    const char *p = text;
    while (p < text + at && *p) p = MbNext(p);
    return p == text + at;
}

void MbDropCutLead(char *text)
{
    char *last = MbLastChar(text, strlen(text));
    if (last && MbIsLead((unsigned char)*last) && !last[1]) *last = 0;
}

int MbTrimLast(char *text, char c)
{
    char *last = MbLastChar(text, strlen(text));
    if (!last || *last != c || last[1]) return 0;
    *last = 0;
    return 1;
}

int MbEqualNoCaseN(const char *a, const char *b, size_t n)
{
    for (size_t i = 0; i < n;) {
        unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (MbIsLead(ca)) {
            if (ca != cb) return 0;
            // A lead byte standing alone (cut off) matches only one standing
            // alone as well, never the first half of a character.
            if (i + 1 >= n || (unsigned char)a[i + 1] < 0x40) {
                if ((unsigned char)b[i + 1] >= 0x40) return 0;
                i++;
                continue;
            }
            if (a[i + 1] != b[i + 1]) return 0;
            i += 2;
            continue;
        }
        if (MbFoldAscii(ca) != MbFoldAscii(cb)) return 0;
        i++;
    }
    return 1;
}
