// Deleting one file and removing one directory, with the fixed outcome lines.
#include "removal/files.h"
#include "core/mbchar.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathguard.h"
#include "core/runstate.h"
#include "core/text.h"
#include <string.h>

// The log cannot stay open on its own file: switch logging off before the log
// file itself is deleted.
static void ReleaseLogIfTarget(const char *path)
{
    SharedLogBlock *block = LogBlock();
    if (!block || !block->Logging) return;
    char logPath[VL_PATH_SIZE];
    LogCurrentPath(logPath);
    if (logPath[0] && TextEqualNoCase(path, logPath)) LogEnable(0);
}

static int DeleteFileAs(const char *path, const char *diskPath, BOOL reportAll, DWORD *error);

int DeleteFilePath(const char *path, BOOL reportAll, DWORD *error)
{
    return DeleteFileAs(path, path, reportAll, error);
}

int DeleteFilePathSpelt(const char *path, const char *diskPath, BOOL reportAll)
{
    if (!diskPath || !TextEqualNoCase(path, diskPath)) diskPath = path;
    return DeleteFileAs(path, diskPath, reportAll, NULL);
}

// DeleteFilePath of path, calling the file system with diskPath, the same
// path in the case it was given in.
static int DeleteFileAs(const char *path, const char *diskPath, BOOL reportAll, DWORD *error)
{
    if (error) *error = 0;
    // A file at a drive or share root, or named by a relative or climbing path, is refused.
    if (!GuardFile(path, error)) return 0;
    ReleaseLogIfTarget(path);

    const char *slash = MbFindLastChar(path, '\\');
    if (MbFindChar(slash ? slash + 1 : path, '*'))
        return DeleteTree(path, TRUE, FALSE, FALSE, NULL, NULL);

    DWORD code = MachineDeleteFile(path, diskPath);
    if (code == MACHINE_HELD_BACK) code = 0;
    else if (code == 0) LogLineF("Deleted file: '%s'", path);
    if (error) *error = code;
    switch (code) {
    case 0:
        return 1;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        if (reportAll) LogLineF("Delete file not found: '%s'", path);
        return 1;
    case ERROR_INVALID_NAME:
        if (reportAll) LogLineF("Invalid name: '%s'", path);
        return 1;
    case ERROR_ACCESS_DENIED:
        LogLineF("***Delete file access denied: '%s'", path);
        return 0;
    case ERROR_SHARING_VIOLATION:
        LogLineF("***Delete file in use: '%s'", path);
        return 0;
    default:
        LogLineF("***Delete file error: %d '%s'", (int)code, path);
        return 0;
    }
}

enum { DIRECTORY_ATTEMPTS = 20, DIRECTORY_RETRY_MS = 1000 };

static int RemoveGuardedDirectory(const char *path, BOOL reportAll, DWORD *error);

int RemoveDirectoryPath(const char *path, BOOL reportAll, DWORD *error)
{
    if (error) *error = 0;
    if (!GuardFolder(path, error)) return 0;
    return RemoveGuardedDirectory(path, reportAll, error);
}

int RemoveListedDirectory(const char *path)
{
    int verdict = GuardListedFolder(path);
    if (verdict < 0) return 1;
    if (!verdict) return 0;
    return RemoveGuardedDirectory(path, FALSE, NULL);
}

// RemoveDirectoryPath once the guard has let the path pass.
static int RemoveGuardedDirectory(const char *path, BOOL reportAll, DWORD *error)
{
    SetLastError(0);
    // A directory held open by another program may refuse to be listed: that is
    // not "not empty", so the removal (and its waiting for the holder) goes on.
    if (FolderListState(path) == 0) {
        if (!reportAll) return 1;
        LogLineF("***Delete path not empty: '%s'", path);
        return 0;
    }

    DWORD code = 0;
    for (int attempt = 1; attempt <= DIRECTORY_ATTEMPTS; attempt++) {
        code = MachineRemoveFolder(path, attempt == DIRECTORY_ATTEMPTS);
        if (code != ERROR_SHARING_VIOLATION) break;
        LogLineF("Delete path in use; waiting: '%s'", path);
        Sleep(DIRECTORY_RETRY_MS);
    }
    if (code == MACHINE_HELD_BACK) {
        if (error) *error = 0;
        return 1;
    }
    if (error) *error = code;

    const char *quietLine = NULL;
    switch (code) {
    case 0:
        LogLineF("Deleted path: '%s'", path);
        return 1;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        quietLine = "***Delete path not found: '%s'";
        break;
    case ERROR_INVALID_NAME:
        quietLine = "***Delete path not valid: '%s'";
        break;
    case ERROR_DIR_NOT_EMPTY:
        quietLine = "***Delete path not empty: '%s'";
        break;
    case ERROR_ACCESS_DENIED:
        LogLineF("***Delete path access denied: '%s'", path);
        return 0;
    case ERROR_SHARING_VIOLATION:
        LogLineF("***Delete path in use: '%s'", path);
        return 0;
    default:
        LogLineF("***Delete path error: %d '%s'", (int)code, path);
        return 0;
    }
    // Already gone, not a valid name or not empty: success, reported only on request.
    if (!reportAll) return 1;
    LogLineF(quietLine, path);
    return 0;
}
