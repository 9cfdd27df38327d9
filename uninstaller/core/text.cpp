#include "core/text.h"
#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

int CopyText(char *dst, size_t size, const char *src)
{
    if (size == 0) return 0;
    if (!src) src = "";
    size_t n = strlen(src);
    if (n >= size) {
        memcpy(dst, src, size - 1);
        dst[size - 1] = 0;
        return 0;
    }
    memcpy(dst, src, n + 1);
    return 1;
}

int AppendText(char *dst, size_t size, const char *src)
{
    size_t used = strnlen(dst, size);
    if (used >= size) return 0;
    return CopyText(dst + used, size - used, src);
}

int FormatText(char *dst, size_t size, const char *format, ...)
{
    if (size == 0) return 0;
    va_list args;
    va_start(args, format);
    int n = vsnprintf(dst, size, format, args);
    va_end(args);
    if (n < 0) { dst[0] = 0; return 0; }
    return (size_t)n < size;
}

int TextEqualNoCase(const char *a, const char *b)
{
    for (;; a++, b++) {
        int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
        if (ca != cb) return 0;
        if (!ca) return 1;
    }
}

int TextStartsNoCase(const char *text, const char *prefix)
{
    for (; *prefix; text++, prefix++)
        if (tolower((unsigned char)*text) != tolower((unsigned char)*prefix)) return 0;
    return 1;
}

void LowerText(char *text)
{
    for (; *text; text++) *text = (char)tolower((unsigned char)*text);
}

void CutLineEnd(char *line)
{
    char *cut = strchr(line, '\r');
    if (cut) *cut = 0;
    cut = strchr(line, '\n');
    if (cut) *cut = 0;
}
