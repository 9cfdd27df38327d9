// The depth-first walk of the program folder.
#include "verreport.h"
#include <string.h>

int JoinPath(char* out, const char* dir, const char* name)
{
    int n = snprintf(out, MAX_PATH, "%s\\%s", dir, name);
    if (n < 0 || n >= MAX_PATH) {
        out[0] = '\0';
        return 0;
    }
    return 1;
}

// Reports every entry matching dir\pattern, in the order the file system gives them.
static void ReportMatches(const char* dir, const char* pattern)
{
    char search[MAX_PATH];
    if (!JoinPath(search, dir, pattern))
        return;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(search, &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        char path[MAX_PATH];
        // Entries whose full name does not fit a path buffer cannot be opened by name.
        if (JoinPath(path, dir, found.cFileName))
            ReportFile(path);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

static void WalkSubfolders(const char* dir)
{
    char search[MAX_PATH];
    if (!JoinPath(search, dir, "*."))
        return;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(search, &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        // "*." means names without an extension, but not every file system
        // honours that (Wine matches every name), so the name is checked too.
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || found.cFileName[0] == '.'
            || strchr(found.cFileName, '.'))
            continue;
        char sub[MAX_PATH];
        if (JoinPath(sub, dir, found.cFileName))
            WalkFolder(sub);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

// How many bytes of text fit limit bytes without cutting a character of the
// code page in two.
static int WholeCharacters(const char* text, int limit)
{
    int n = 0;
    while (text[n]) {
        int step = IsDBCSLeadByte((BYTE)text[n]) && text[n + 1] ? 2 : 1;
        if (n + step > limit)
            break;
        n += step;
    }
    return n;
}

void WalkFolder(const char* dir)
{
    // A carriage return and no line feed: successive folders overwrite one console line.
    printf("Looking in %-60.*s\r", WholeCharacters(dir, 60), dir);
    ReportMatches(dir, "*.exe");
    ReportMatches(dir, "*.dll");
    WalkSubfolders(dir);
}
