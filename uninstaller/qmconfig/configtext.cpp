#include "qmconfig/configtext.h"
#include "core/mbchar.h"
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
    // Doubled backslashes collapse, by character: the second byte of a
    // double-byte character before a backslash is no backslash of its own.
    char *out = text;
    int afterBackslash = 0;
    for (const char *in = text; *in;) {
        const char *next = MbNext(in);
        int backslash = *in == '\\';
        if (!(backslash && afterBackslash))
            while (in < next) *out++ = *in++;
        in = next;
        afterBackslash = backslash;
    }
    *out = 0;
}

void StripTrailingBackslash(char *path)
{
    MbTrimLast(path, '\\');
}

int ParseRegDword(const char *text, unsigned long *out)
{
    const char *colon = MbFindChar(text, ':');
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
    // By character: "logdefaultpath" inside another character (its 'l' a
    // second byte) names no such setting.
    char *key = MbFindText(line, "logdefaultpath");
    if (!key) return 0;
    char *equals = MbFindChar(key + 14, '=');
    if (!equals) return 0;
    // A path cut to fit would name another folder: refuse it.
    return DecodeRegString(equals + 1, out, size);
}

int DecodeRegString(const char *text, char *out, size_t size)
{
    if (size == 0) return 0;
    while (*text == ' ') text++;
    if (*text != '"') {
        char value[520];
        if (!CopyText(value, sizeof value, text)) {
            out[0] = 0;
            return 0;
        }
        CleanConfigValue(value);
        if (CopyText(out, size, value)) return 1;
        out[0] = 0;
        return 0;
    }
    size_t used = 0;
    // By character: a '\\' escapes the character after it only where it is
    // a character of its own, never the second byte of another.
    for (const char *in = text + 1; *in && *in != '"';) {
        if (*in == '\\' && (in[1] == '\\' || in[1] == '"' || in[1] == '\'')) in++;
        const char *next = MbNext(in);
        if (used + (size_t)(next - in) >= size) {
            out[0] = 0;
            return 0;
        }
        while (in < next) out[used++] = *in++;
    }
    out[used] = 0;
    return 1;
}

static int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The comma-separated bytes of one line, up to its end, a ';' comment or
// the continuation backslash.
static void ReadHexItems(const char *s, RegHexData *data)
{
    data->More = 0;
    for (;;) {
        while (*s == ' ' || *s == '\t') s++;
        if (*s == '\\') {
            data->More = 1;
            return;
        }
        if (!*s || *s == ';') return;
        unsigned value = 0;
        int digits = 0;
        for (; HexDigit(*s) >= 0; s++, digits++) {
            value = value * 16 + (unsigned)HexDigit(*s);
            if (value > 0xff) break;
        }
        if (!digits || value > 0xff) {
            data->Bad = 1;
            return;
        }
        if (data->Kept < sizeof data->Bytes) data->Bytes[data->Kept++] = (unsigned char)value;
        data->Total++;
        while (*s == ' ' || *s == '\t') s++;
        if (*s == ',') s++;
    }
}

int RegHexBegin(const char *text, RegHexData *data)
{
    data->Kept = data->Total = 0;
    data->More = data->Bad = 0;
    while (*text == ' ') text++;
    if (!TextStartsNoCase(text, "hex")) return 0;
    const char *s = text + 3;
    if (*s == '(') {
        const char *digits = ++s;
        while (HexDigit(*s) >= 0) s++;
        if (s == digits || *s != ')') return 0;
        s++;
    }
    if (*s != ':') return 0;
    ReadHexItems(s + 1, data);
    return 1;
}

int RegHexContinue(const char *line, RegHexData *data)
{
    const char *s = line;
    while (*s == ' ' || *s == '\t') s++;
    if (!*s || *s == ';') return 1;
    if (HexDigit(*s) < 0) {
        data->More = 0;
        return 0;
    }
    ReadHexItems(s, data);
    return 1;
}

int RegHexText(const RegHexData *data, char *out, size_t size)
{
    if (size == 0) return 0;
    out[0] = 0;
    if (data->Bad) return 0;
    size_t length = 0;
    while (length < data->Kept && data->Bytes[length]) length++;
    // No zero among the bytes kept, and more were read: the text is longer.
    if (length == data->Kept && data->Total > data->Kept) return 0;
    if (length >= size) return 0;
    memcpy(out, data->Bytes, length);
    out[length] = 0;
    return 1;
}

int RegHexWord(const RegHexData *data, unsigned long *out)
{
    *out = 0;
    if (data->Kept < 4) return 0;
    *out = (unsigned long)data->Bytes[0] | (unsigned long)data->Bytes[1] << 8 | (unsigned long)data->Bytes[2] << 16 |
           (unsigned long)data->Bytes[3] << 24;
    return 1;
}
