#include "removal/datafolders.h"
#include "core/mbchar.h"
#include "core/pathrules.h"
#include "core/text.h"
#include <string.h>

// Both folders in their resolved form; 0 when either fails the rules.
static int Canonical(const char *a, char *ca, const char *b, char *cb)
{
    return CheckFolderPath(a, ca, PATH_RULE_SIZE) == PATH_SAFE && CheckFolderPath(b, cb, PATH_RULE_SIZE) == PATH_SAFE;
}

int PathIsInside(const char *path, const char *root)
{
    char p[PATH_RULE_SIZE], r[PATH_RULE_SIZE];
    return Canonical(path, p, root, r) && !TextEqualNoCase(p, r) && FolderHolds(r, p);
}

int QmDirectoryIsDeletable(const char *directory, const char *dataDir)
{
    char path[PATH_RULE_SIZE], data[PATH_RULE_SIZE];
    if (!Canonical(directory, path, dataDir, data) || TextEqualNoCase(path, data) || !FolderHolds(data, path))
        return 0;
    char *last = MbFindLastChar(path, '\\');
    if (!last || !last[1]) return 0;
    *last = 0;
    char *parent = MbFindLastChar(path, '\\');
    return parent && TextEqualNoCase(parent + 1, "qmgrs");
}

// The folder a log folder must lie in: the data folder, or the log default
// path when it is a folder of its own (neither the data folder nor one
// holding it). 0 when log lies strictly inside neither.
static int LogFolderIsPlaced(const char *log, const char *data, const char *logDefaultPath)
{
    if (!TextEqualNoCase(log, data) && FolderHolds(data, log)) return 1;
    char root[PATH_RULE_SIZE];
    if (!logDefaultPath || !logDefaultPath[0] || CheckFolderPath(logDefaultPath, root, sizeof root) != PATH_SAFE ||
        FolderHolds(root, data))
        return 0;
    return !TextEqualNoCase(log, root) && FolderHolds(root, log);
}

int QmLogPathIsDeletable(const char *logPath, const char *dataDir, const char *logDefaultPath,
                         const char *ownDirectory, const char *const *directories, size_t count)
{
    char log[PATH_RULE_SIZE], data[PATH_RULE_SIZE];
    if (!Canonical(logPath, log, dataDir, data) || FolderHolds(log, data) ||
        !LogFolderIsPlaced(log, data, logDefaultPath))
        return 0;
    char own[PATH_RULE_SIZE] = "";
    if (ownDirectory) CheckFolderPath(ownDirectory, own, sizeof own);
    for (size_t i = 0; i < count; i++) {
        char other[PATH_RULE_SIZE];
        if (!directories[i] || CheckFolderPath(directories[i], other, sizeof other) != PATH_SAFE) continue;
        // Neither a queue manager's folder nor a folder holding one, and
        // inside none but its own.
        if (FolderHolds(log, other)) return 0;
        if (FolderHolds(other, log) && !(own[0] && TextEqualNoCase(other, own))) return 0;
    }
    return 1;
}

int ServiceLevelFolder(const char *data, const char *treeRoot, char *out, size_t size)
{
    if (size) out[0] = 0;
    const char *equals = MbFindChar(data, '=');
    if (!equals) return CSD_NO_FOLDER;
    const char *folderText = equals + 1;
    while (*folderText == ' ') folderText++;
    if (!*folderText) return CSD_FOLDER_EMPTY;
    char folder[PATH_RULE_SIZE], root[PATH_RULE_SIZE];
    if (CheckFolderPath(equals + 1, folder, sizeof folder) != PATH_SAFE) return CSD_FOLDER_REFUSED;
    if (CheckFolderPath(treeRoot, root, sizeof root) != PATH_SAFE || TextEqualNoCase(folder, root) ||
        !FolderHolds(root, folder))
        return CSD_FOLDER_ELSEWHERE;
    if (!CopyText(out, size, folder)) {
        if (size) out[0] = 0;
        return CSD_FOLDER_REFUSED;
    }
    return CSD_FOLDER_INSIDE;
}
