// The directory-tree walker: matching files first, then each subdirectory
// completely, then the directory itself once it is empty.
#include "removal/files.h"
#include "core/mbchar.h"
#include "core/ledger.h"
#include "core/log.h"
#include "core/pathguard.h"
#include "core/pathlist.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/statusline.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// A heap copy of "<a>\<b>" (or of a alone when b is NULL), never cut.
static char *JoinedPath(const char *a, const char *b)
{
    size_t size = strlen(a) + (b ? strlen(b) + 1 : 0) + 1;
    char *path = (char *)malloc(size);
    if (!path) return NULL;
    if (b) snprintf(path, size, "%s\\%s", a, b);
    else memcpy(path, a, size);
    return path;
}

// A reparse point met in a listing: refused (logged), 0.
static int RefuseLink(const char *directory, const char *name)
{
    char *path = JoinedPath(directory, name);
    int result = GuardVerdict(path ? path : directory, PATH_LINK);
    free(path);
    return result;
}

static int Dots(const char *name) { return !strcmp(name, ".") || !strcmp(name, ".."); }

// An entry a preview would already have deleted is not there for the walk.
static int WouldBeGone(const char *directory, const char *name, BOOL wouldGoIn)
{
    if (!wouldGoIn) return 0;
    char *path = JoinedPath(directory, name);
    int gone = path && LedgerWouldGo(path);
    free(path);
    return gone;
}

// Set by a test on its own thread before it starts a walk; read by the walker.
static WalkHook sWalkHook;

void SetWalkHook(WalkHook hook)
{
    sWalkHook = hook;
}

// One level of the walk. entered: a subfolder the level above listed (and
// holds open); otherwise the folder the walk starts from.
static int Walk(const char *path, BOOL files, BOOL directories, BOOL recurse, HWND status, HWND progress,
                BOOL entered)
{
    int result = 1;
    char *directory;
    const char *pattern = NULL;
    if (files) {
        const char *slash = MbFindLastChar(path, '\\');
        if (!slash) {
            LogLineF("***Invalid file pattern; path '%s', pattern '%s', dirs %d, FilePaths %d",
                     path, "", (int)directories, (int)files);
            return 0;
        }
        directory = (char *)malloc(slash - path + 1);
        if (!directory) {
            LogLine("***Can't allocate memory for FilePath");
            return 0;
        }
        memcpy(directory, path, slash - path);
        directory[slash - path] = 0;
        pattern = slash + 1;
    } else {
        directory = JoinedPath(path, NULL);
        if (!directory) {
            LogLine("***Can't allocate memory for FilePath");
            return 0;
        }
    }

    // Nothing outside the product's folders is walked: not a drive root, not
    // a protected folder (nor one holding one), not a network path, nothing
    // through a reparse point. The folder stays open while it is walked, so
    // that it cannot be swapped for a link.
    HANDLE held;
    if (!(entered ? GuardEnterSubfolder(directory, &held) : GuardEnterFolder(directory, &held))) {
        free(directory);
        return 0;
    }

    WIN32_FIND_DATAA found;
    PathNode *list = NULL;
    BOOL wouldGoIn = LedgerWouldGoIn(directory) > 0;
    if (files) {
        HANDLE search = FindFirstFileExA(path, FindExInfoStandard, &found, FindExSearchNameMatch, NULL, 0);
        if (search == INVALID_HANDLE_VALUE) {
            DWORD error = GetLastError();
            if (error == ERROR_ACCESS_DENIED) {
                recurse = FALSE;  // the directory itself may still be removed below
            } else if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
                       error != ERROR_INVALID_NAME) {
                LogLineF("***FindFirstFileEx(5) error %d, path '%s'", (int)error, path);
                result = 0;
            }
        } else {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                if (WouldBeGone(directory, found.cFileName, wouldGoIn)) continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    // A link to a file: left, its target untouched.
                    result &= RefuseLink(directory, found.cFileName);
                    continue;
                }
                if (!PushJoinedPath(&list, directory, found.cFileName)) result = 0;
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        while (PathNode *node = PopPath(&list)) {
            if (status) SetStatusText(status, node->Path, TRUE);
            result &= DeleteFilePath(node->Path, FALSE);
            FreePathNode(node);
        }
    }

    if (recurse) {
        char *all = JoinedPath(directory, "*");
        HANDLE search = all ? FindFirstFileExA(all, FindExInfoStandard, &found, FindExSearchLimitToDirectories,
                                               NULL, 0)
                            : INVALID_HANDLE_VALUE;
        DWORD error = all ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY;
        free(all);
        if (search == INVALID_HANDLE_VALUE) {
            if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME) {
                LogLineF("***FindFirstFileEx(6) error %d, path '%s'", (int)error, path);
                result = 0;
            }
        } else {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || Dots(found.cFileName)) continue;
                if (WouldBeGone(directory, found.cFileName, wouldGoIn)) continue;
                // A junction or link leads outside this tree: it is never entered
                // (nor removed: its target must stay untouched).
                if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    result &= RefuseLink(directory, found.cFileName);
                    continue;
                }
                if (!PushJoinedPath(&list, directory, found.cFileName, files ? pattern : NULL)) result = 0;
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        while (PathNode *node = PopPath(&list)) {
            if (status) SetStatusText(status, node->Path, TRUE);
            if (sWalkHook) sWalkHook(node->Path);
            result &= Walk(node->Path, files, directories, TRUE, status, progress, TRUE);
            FreePathNode(node);
        }
    }

    GuardReleaseFolder(&held);
    if (directories) result &= RemoveDirectoryPath(directory, FALSE);
    free(directory);
    return result;
}

int DeleteTree(const char *path, BOOL files, BOOL directories, BOOL recurse, HWND status, HWND progress)
{
    return Walk(path, files, directories, recurse, status, progress, FALSE);
}

int DeleteCcsidTables(const char *directory)
{
    char *pattern = JoinedPath(directory, "conv\\ccsid*.tbl");
    if (pattern) DeleteTree(pattern, TRUE, TRUE, TRUE, NULL, NULL);
    free(pattern);
    return 1;
}

int DeleteInstallerLeftovers(const char *uninstFolder, BOOL full)
{
    static const char *const kLists[] = {"*.u00", "*.u01"};
    int result = 1;
    for (const char *list : kLists) {
        char *pattern = JoinedPath(uninstFolder, list);
        result &= pattern ? DeleteTree(pattern, TRUE, FALSE, FALSE, NULL, NULL) : 0;
        free(pattern);
    }
    if (full) {
        // Everything else the installer left there, and the folder itself.
        char *pattern = JoinedPath(uninstFolder, "*");
        result &= pattern ? DeleteTree(pattern, TRUE, TRUE, TRUE, NULL, NULL) : 0;
        free(pattern);
    }
    return result;
}
