#include "core/text.h"
#include "core/mbchar.h"
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

// By character: ASCII A-Z folded in single-byte characters only, the two
// bytes of a double-byte character compared as they are.
int TextEqualNoCase(const char *a, const char *b)
{
    size_t n = strlen(a);
    return n == strlen(b) && MbEqualNoCaseN(a, b, n);
}

int TextStartsNoCase(const char *text, const char *prefix)
{
    size_t n = strlen(prefix);
    return strnlen(text, n) == n && MbEqualNoCaseN(prefix, text, n);
}

void LowerText(char *text)
{
    for (; *text; text = MbNext(text))
        if (!MbIsLead((unsigned char)*text)) *text = (char)MbFoldAscii((unsigned char)*text);
}

void CutLineEnd(char *line)
{
    char *cut = strchr(line, '\r');
    if (cut) *cut = 0;
    cut = strchr(line, '\n');
    if (cut) *cut = 0;
}
