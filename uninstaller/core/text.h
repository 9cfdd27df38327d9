// Bounded text helpers. Every write into a fixed buffer goes through these:
// the result is always zero-terminated, and the return value says whether the
// whole text fitted (1) or had to be cut (0), so callers can refuse a value
// that would otherwise turn into a different, shorter path.
#pragma once
#include <stddef.h>

int CopyText(char *dst, size_t size, const char *src);
int AppendText(char *dst, size_t size, const char *src);
int FormatText(char *dst, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
int TextEqualNoCase(const char *a, const char *b);
int TextStartsNoCase(const char *text, const char *prefix);
void LowerText(char *text);
// Cuts a line as read at its first carriage return, then at its first line feed.
void CutLineEnd(char *line);
