#include "qmconfig/configtext.h"
#include "core/text.h"
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

void CleanConfigValue(char *text)
{
    size_t start = 0, n = strlen(text);
    while (text[start] == ' ') start++;
    while (n > start && text[n - 1] == ' ') n--;
    memmove(text, text + start, n - start);
    text[n - start] = 0;
    n -= start;
    if (text[0] == '"') {
        memmove(text, text + 1, n);  // includes the terminating zero
        n--;
        if (n > 0 && text[n - 1] == '"') text[--n] = 0;
    }
    char *out = text;
    for (const char *in = text; *in; in++) {
        if (*in == '\\' && out > text && out[-1] == '\\') continue;
        *out++ = *in;
    }
    *out = 0;
}

void StripTrailingBackslash(char *path)
{
    char *slash = strrchr(path, '\\');
    if (slash && slash[1] == 0) *slash = 0;
}

int ParseRegDword(const char *text, unsigned long *out)
{
    const char *colon = strchr(text, ':');
    if (!colon) { *out = 0; return 0; }
    *out = strtoul(colon + 1, NULL, 16);
    return 1;
}

int PrepareConfigLine(char *line)
{
    CutLineEnd(line);
    return !(line[0] == ';' || line[0] == '#');
}

int MatchLogDefaultPathLine(char *line, char *out, unsigned size)
{
    LowerText(line);
    char *key = strstr(line, "logdefaultpath");
    if (!key) return 0;
    char *equals = strchr(key + 14, '=');
    if (!equals) return 0;
    char value[520];
    CopyText(value, sizeof value, equals + 1);
    CleanConfigValue(value);
    // A path cut to fit would name another folder: refuse it.
    if (CopyText(out, size, value)) return 1;
    if (size) out[0] = 0;
    return 0;
}
