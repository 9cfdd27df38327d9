// Characters of the ANSI code page. On a double-byte code page (932, 936, 949,
// 950) a character is one byte or a lead byte and a second byte, and the
// second byte may be any value from 0x40 up, '\' and A-Z included. Whatever
// splits, trims, searches or folds a path steps by character through these,
// never by byte. No Windows dependency: the lead bytes are given once at
// start-up (codepage.* on the Win32 side; host tests give 932's), before any
// other thread exists, and only read afterwards.
#pragma once
#include <stddef.h>

// ranges: pairs of first and last lead byte, ended by a 0 pair (CPINFO's
// LeadByte form); NULL or an empty list makes every byte a character.
void MbSetLeadRanges(const unsigned char *ranges);

extern unsigned char gMbLead[256];
inline int MbIsLead(unsigned char c) { return gMbLead[c]; }

// The character after the one at p. A second byte is 0x40 or above in every
// double-byte code page: a lead byte before anything else (the terminator, a
// quote, a control character) counts alone, so a cut text is never read past
// its end nor a closing quote swallowed.
inline const char *MbNext(const char *p)
{
    return p + (MbIsLead((unsigned char)*p) && (unsigned char)p[1] >= 0x40 ? 2 : 1);
}
inline char *MbNext(char *p) { return (char *)MbNext((const char *)p); }

// strchr and strrchr by character: c (an ASCII character) only where it is a
// character of its own, never the second byte of another.
char *MbFindChar(const char *text, char c);
char *MbFindLastChar(const char *text, char c);
// The last character of text (of n bytes), or NULL for "".
char *MbLastChar(const char *text, size_t n);
// strstr by character: needle found only where it starts a character.
char *MbFindText(const char *text, const char *needle);
// True when text + at starts a character (at <= strlen(text)).
int MbIsBoundary(const char *text, size_t at);
// Drops a lead byte left standing alone at the end of a text cut to fit.
void MbDropCutLead(char *text);
// Drops one trailing character c (a trailing separator); 1 when it did.
int MbTrimLast(char *text, char c);
// ASCII A-Z folded to a-z in single-byte characters only.
inline unsigned char MbFoldAscii(unsigned char c) { return c >= 'A' && c <= 'Z' ? (unsigned char)(c + 32) : c; }
// Case-insensitive comparison of n bytes (n a character boundary in both):
// single-byte A-Z folded, both bytes of a double-byte character compared as
// they are. b[n] must be readable.
int MbEqualNoCaseN(const char *a, const char *b, size_t n);
