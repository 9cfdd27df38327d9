#include "app/cmdline.h"
#include "core/mbchar.h"
#include "core/text.h"
#include "qmconfig/configtext.h"
#include <ctype.h>
#include <stdio.h>
#include <string.h>

// Copies n characters of src into out; returns whether they fitted.
static int CopySpan(char *out, size_t size, const char *src, size_t n)
{
    if (size == 0) return 0;
    int fits = n < size;
    if (!fits) n = size - 1;
    memcpy(out, src, n);
    out[n] = 0;
    return fits;
}

int SplitCommandLine(const char *commandLine, char *programName, size_t nameSize,
                     char *parameters, size_t parametersSize)
{
    const char *rest;
    int fits;
    if (commandLine[0] == '"') {
        const char *end = MbFindChar(commandLine + 1, '"');
        size_t n = end ? (size_t)(end - commandLine - 1) : strlen(commandLine + 1);
        fits = CopySpan(programName, nameSize, commandLine + 1, n);
        rest = end ? end + 1 : commandLine + 1 + n;
    } else {
        const char *end = MbFindChar(commandLine, ' ');
        size_t n = end ? (size_t)(end - commandLine) : strlen(commandLine);
        fits = CopySpan(programName, nameSize, commandLine, n);
        rest = commandLine + n;
    }
    // The blanks that separate the program name from the parameters belong to neither.
    while (*rest == ' ') rest++;
    return CopyText(parameters, parametersSize, rest) && fits;
}

const char *FindSwitch(const char *parameters, const char *name)
{
    char lower[8], forms[4][8];
    CopyText(lower, sizeof lower, name);
    LowerText(lower);
    snprintf(forms[0], sizeof forms[0], "/%s", lower);
    snprintf(forms[1], sizeof forms[1], "-%s", lower);
    snprintf(forms[2], sizeof forms[2], "/%s", name);
    snprintf(forms[3], sizeof forms[3], "-%s", name);
    for (int i = 0; i < 4; i++) {
        const char *at = MbFindText(parameters, forms[i]);
        if (at) return at + strlen(forms[i]);
    }
    return NULL;
}

int FlagSwitch(const char *parameters, const char *name)
{
    const char *after = FindSwitch(parameters, name);
    if (!after) return 0;
    return *after == ' ' || *after == 0 || *after == '-' || *after == '/';
}

// A quoted value runs to the next double quote (or the end of the text).
static int QuotedValue(const char *start, char *out, size_t size)
{
    const char *end = MbFindChar(start + 1, '"');
    size_t n = end ? (size_t)(end - start - 1) : strlen(start + 1);
    return CopySpan(out, size, start + 1, n);
}

int SwitchValue(const char *parameters, const char *name, char *out, size_t size, int *fits)
{
    out[0] = 0;
    *fits = 1;
    const char *start = FindSwitch(parameters, name);
    if (!start) return 0;
    if (*start == '"') {
        *fits = QuotedValue(start, out, size);
    } else {
        const char *end = MbFindChar(start, ' ');
        size_t n = end ? (size_t)(end - start) : strlen(start);
        *fits = CopySpan(out, size, start, n);
    }
    return 1;
}

int LogSwitchValue(const char *parameters, char *out, size_t size, int *fits)
{
    out[0] = 0;
    *fits = 1;
    const char *start = FindSwitch(parameters, "G");
    if (!start) return 0;
    if (*start == '"') {
        *fits = QuotedValue(start, out, size);
        return 1;
    }
    // Unquoted, the path may hold blanks but ends at the next switch: at the
    // next '-', or at a blank followed by '/' ("-Gc:\logs\x.log /S").
    const char *end = MbFindChar(start, '-');
    const char *slashSwitch = MbFindText(start, " /");
    if (slashSwitch && (!end || slashSwitch < end)) end = slashSwitch;
    size_t n = end ? (size_t)(end - start) : strlen(start);
    // Cleaning only shortens the text: copy what fits a working buffer first.
    char work[1024];
    if (n >= sizeof work) { *fits = 0; n = sizeof work - 1; }
    memcpy(work, start, n);
    work[n] = 0;
    CleanConfigValue(work);
    if (!CopyText(out, size, work)) *fits = 0;
    return 1;
}

int MifPathSyntaxValid(const char *path)
{
    if (MbFindChar(path, ';')) return 0;
    size_t n = strlen(path);
    if (n < 3 || path[1] != ':' || path[2] != '\\') return 0;
    return n <= 148;
}

int MifDriveListed(const char *path, const char *drives)
{
    for (const char *drive = drives; *drive; drive += strlen(drive) + 1)
        if (tolower((unsigned char)drive[0]) == tolower((unsigned char)path[0])) return 1;
    return 0;
}
