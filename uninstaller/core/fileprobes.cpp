#include "core/fileprobes.h"
#include "core/mbchar.h"
#include "core/ledger.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <string.h>

// The probes answer as the machine would stand after what a preview would
// have deleted (the ledger holds no such items in a real run).

int FileExists(const char *path)
{
    if (path && LedgerWouldGo(path)) return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return 1;
    }
    DWORD error = GetLastError();
    return !(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
}

int FolderExists(const char *path)
{
    // An empty folder name would probe the current drive's root.
    if (!path || !path[0] || LedgerWouldGo(path)) return 0;
    char probe[VL_PATH_SIZE];
    if (!FormatText(probe, sizeof probe, "%s\\nofile", path)) return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(probe, &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        return 1;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND;
}

int FolderListState(const char *path)
{
    // An empty name is no folder at all (listing it would list the drive's root).
    if (!path || !path[0] || LedgerWouldGo(path)) return 1;
    // Entries a preview would have deleted do not count.
    BOOL wouldGoIn = LedgerWouldGoIn(path) > 0;
    char pattern[VL_PATH_SIZE];
    if (!FormatText(pattern, sizeof pattern, "%s\\*", path)) {
        LogLineF("***FindFirstFileEx(4) error %d, path '%s'", (int)ERROR_FILENAME_EXCED_RANGE, path);
        return -1;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileExA(pattern, FindExInfoStandard, &found, FindExSearchNameMatch, NULL, 0);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
            return 1;
        LogLineF("***FindFirstFileEx(4) error %d, path '%s'", (int)error, path);
        return -1;
    }
    int empty = 1;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        char entry[VL_TEXT_SIZE];
        if (wouldGoIn && FormatText(entry, sizeof entry, "%s\\%s", path, found.cFileName) && LedgerWouldGo(entry))
            continue;
        empty = 0;
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return empty;
}

int FolderIsEmpty(const char *path) { return FolderListState(path) == 1; }

void SplitPath(const char *path, char *parent, char *last)
{
    char copy[VL_PATH_SIZE];
    if (!CopyText(copy, sizeof copy, path)) {
        // A cut path would name something else: give back nothing.
        if (parent) parent[0] = 0;
        if (last) last[0] = 0;
        return;
    }
    MbTrimLast(copy, '\\');
    char *slash = MbFindLastChar(copy, '\\');
    if (!slash) {
        if (parent) parent[0] = 0;
        if (last) CopyText(last, VL_PATH_SIZE, copy);
        return;
    }
    *slash = 0;
    if (parent) CopyText(parent, VL_PATH_SIZE, copy);
    if (last) CopyText(last, VL_PATH_SIZE, slash + 1);
}
