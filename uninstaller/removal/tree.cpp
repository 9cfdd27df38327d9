// The directory-tree walker: matching files first, then each subdirectory
// completely, then the directory itself once it is empty.
#include "removal/files.h"
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

static int Dots(const char *name) { return !strcmp(name, ".") || !strcmp(name, ".."); }

int DeleteTree(const char *path, BOOL files, BOOL directories, BOOL recurse, HWND status, HWND progress)
{
    int result = 1;
    char *directory;
    const char *pattern = NULL;
    if (files) {
        const char *slash = strrchr(path, '\\');
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

    // Nothing outside the product's folders is walked: not a drive or share
    // root, not the Windows, system or shell folders (nor a folder holding one).
    if (!GuardFolder(directory)) {
        free(directory);
        return 0;
    }

    WIN32_FIND_DATAA found;
    PathNode *list = NULL;
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
                // A junction or link leads outside this tree: it is not walked.
                if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
                if (!PushJoinedPath(&list, directory, found.cFileName, files ? pattern : NULL)) result = 0;
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        while (PathNode *node = PopPath(&list)) {
            if (status) SetStatusText(status, node->Path, TRUE);
            result &= DeleteTree(node->Path, files, directories, TRUE, status, progress);
            FreePathNode(node);
        }
    }

    if (directories) result &= RemoveDirectoryPath(directory, FALSE);
    free(directory);
    return result;
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
