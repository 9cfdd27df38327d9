#include "qmconfig/qmdelete.h"
#include "core/mbchar.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "core/fileprobes.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathguard.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/statusline.h"
#include "core/text.h"
#include "removal/files.h"
#include "removal/datafolders.h"
#include "removal/registry.h"
#include <stdlib.h>
#include <string.h>

// The queue-manager folders of the whole list (those that may be deleted),
// gathered before anything is deleted so that no log folder can take another
// queue manager's folder with it.
struct QmFolders {
    char **Paths;
    size_t Count;
};

static void GatherFolders(QmFolders *folders, const char *dataDir)
{
    folders->Paths = NULL;
    folders->Count = 0;
    char directory[MAX_PATH];
    size_t capacity = 0;
    for (BOOL more = QmListFirst(NULL, directory, NULL, NULL); more;
         more = QmListNext(NULL, directory, NULL, NULL)) {
        // Only real queue-manager folders count: a damaged entry naming the
        // data folder itself must not make every log folder "another's".
        if (!QmDirectoryIsDeletable(directory, dataDir)) continue;
        if (folders->Count == capacity) {
            size_t grown = capacity ? capacity * 2 : 8;
            char **paths = (char **)realloc(folders->Paths, grown * sizeof *paths);
            if (!paths) return;   // fewer folders known: log folders are only refused more often
            folders->Paths = paths;
            capacity = grown;
        }
        char *copy = (char *)malloc(strlen(directory) + 1);
        if (!copy) return;
        strcpy(copy, directory);
        folders->Paths[folders->Count++] = copy;
    }
}

static void FreeFolders(QmFolders *folders)
{
    for (size_t i = 0; i < folders->Count; i++) free(folders->Paths[i]);
    free(folders->Paths);
    folders->Paths = NULL;
    folders->Count = 0;
}

// The folder and its qmgrs parent (with @SYSTEM), when they lie in the data
// folder. *refused is set when the folder itself was not to be touched (the
// guard or the data-folder rules refused it), as against one that could not
// be emptied.
static int DeleteQmFolder(const char *name, const char *directory, const char *dataDir, BOOL *refused)
{
    *refused = FALSE;
    if (!directory[0]) return 1;   // discovery has reported the missing folder
    if (!GuardFolder(directory)) {
        *refused = TRUE;
        return 0;
    }
    if (!QmDirectoryIsDeletable(directory, dataDir)) {
        LogLineF("***QM directory '%s' for '%s' is not a queue-manager folder in '%s'; not deleted", directory,
                 name, dataDir);
        *refused = TRUE;
        return 0;
    }
    int result = 1;
    char path[VL_PATH_SIZE];
    if (FormatText(path, sizeof path, "%s\\*", directory)) {
        result = DeleteTree(path, TRUE, TRUE, TRUE, NULL, NULL) && result;
    } else {
        LogLineF("***Path too long: '%s\\*'", directory);
        result = 0;
    }
    if (FolderExists(directory)) result = RemoveDirectoryPath(directory, TRUE) && result;

    // <prefix>\qmgrs goes after its last queue manager, when @SYSTEM holds no files.
    char parent[VL_PATH_SIZE], last[VL_PATH_SIZE];
    SplitPath(directory, parent, last);
    if (parent[0]) {
        static const char *const tidy[] = {"%s\\@SYSTEM\\errors", "%s\\@SYSTEM", "%s"};
        for (const char *format : tidy)
            if (FormatText(path, sizeof path, format, parent)) result = RemoveDirectoryPath(path, FALSE) && result;
    }
    return result;
}

// logRoot is the log default path once the guard passed it, else "".
static int DeleteQmLog(const char *name, const char *logPath, const char *directory, const char *dataDir,
                       const char *logRoot, const QmFolders *folders, BOOL *refused)
{
    *refused = FALSE;
    if (!logPath[0]) return 1;
    if (!GuardFolder(logPath)) {
        *refused = TRUE;
        return 0;
    }
    if (!QmLogPathIsDeletable(logPath, dataDir, logRoot, directory, folders->Paths, folders->Count)) {
        if (logRoot[0])
            LogLineF("***Log directory '%s' for '%s' is not a log folder of its own in '%s' or '%s'; not deleted",
                     logPath, name, dataDir, logRoot);
        else
            LogLineF("***Log directory '%s' for '%s' is not a log folder of its own in '%s'; not deleted", logPath,
                     name, dataDir);
        *refused = TRUE;
        return 0;
    }
    char path[VL_PATH_SIZE];
    if (!FormatText(path, sizeof path, "%s\\*", logPath)) {
        LogLineF("***Path too long: '%s\\*'", logPath);
        return 0;
    }
    return DeleteTree(path, TRUE, TRUE, TRUE, NULL, NULL);
}

// The queue manager's keys below QueueManager and Services, then QueueManager
// itself once it holds no other queue manager's key.
static int DeleteQmKeys(const char *name, const char *keyName)
{
    char relative[VL_PATH_SIZE];
    if (!FormatText(relative, sizeof relative, "\\%s", keyName) || !keyName[0] ||
        !RelativePathIsContained(relative)) {
        LogLineF("***QM key name '%s' for '%s' not valid; keys not deleted", keyName, name);
        return 0;
    }
    int result = 1;
    char key[VL_TEXT_SIZE];
    if (FormatText(key, sizeof key, "%s\\QueueManager\\%s", QM_CONFIG_KEY, keyName))
        result = DeleteRegistryTree(key, NULL, TRUE) && result;
    if (FormatText(key, sizeof key, "%s\\Services\\%s", QM_CONFIG_KEY, keyName))
        result = DeleteRegistryTree(key, NULL, TRUE) && result;

    HKEY config;
    LONG rc = OpenProductKey(HKEY_LOCAL_MACHINE, QM_CONFIG_KEY, KEY_ALL_ACCESS, &config);
    if (rc == ERROR_SUCCESS) {
        char queueManagers[VL_TEXT_SIZE];
        FormatText(queueManagers, sizeof queueManagers, "%s\\QueueManager", QM_CONFIG_KEY);
        rc = MachineDeleteKey(config, "QueueManager", queueManagers);
        if (rc == MACHINE_HELD_BACK) {
        } else if (rc == ERROR_SUCCESS) {
            LogLineF("Deleted key '%s\\QueueManager'", QM_CONFIG_KEY);
        } else if (rc != ERROR_FILE_NOT_FOUND && rc != ERROR_ACCESS_DENIED) {
            // Not found, or still holding other queue managers' keys, is quiet.
            LogLineF("***RegDeleteKey error %d '%s\\QueueManager'", (int)rc, QM_CONFIG_KEY);
            result = 0;
        }
        RegCloseKey(config);
    } else if (rc != ERROR_FILE_NOT_FOUND) {
        LogLineF("***RegOpenKeyEx error %d '%s'", (int)rc, QM_CONFIG_KEY);
        result = 0;
    }
    return result;
}

int DeleteQueueManagers(const char *dataDir, HWND status, const char *logDefaultPath)
{
    LogLine("Deleting all queue managers");
    int result = 1;
    if (!dataDir) dataDir = "";
    // Log folders may lie in the log default path, unless the guard refuses
    // that folder itself; then only the data folder holds them.
    const char *logRoot = "";
    if (logDefaultPath && logDefaultPath[0] && FolderVerdict(logDefaultPath) == PATH_SAFE) logRoot = logDefaultPath;
    QmFolders folders;
    GatherFolders(&folders, dataDir);

    char name[MAX_PATH], directory[MAX_PATH], logPath[MAX_PATH];
    DWORD flags;
    for (BOOL more = QmListFirst(name, directory, logPath, &flags); more;
         more = QmListNext(name, directory, logPath, &flags)) {
        SetStatusText(status, name, FALSE);
        Sleep(200);
        BOOL folderRefused, logRefused;
        result = DeleteQmFolder(name, directory, dataDir, &folderRefused) && result;
        result = DeleteQmLog(name, logPath, directory, dataDir, logRoot, &folders, &logRefused) && result;
        const char *slash = MbFindLastChar(directory, '\\');
        if (!slash) continue;
        if (folderRefused || logRefused) {
            // A folder left on purpose keeps the keys that name it, so that
            // the next run (or the administrator) still finds it. A folder
            // that could not be emptied (a file in use) is not refused: its
            // keys go as usual.
            LogLineF("***Registry keys of QM '%s' kept: its folder '%s' was not deleted", name,
                     folderRefused ? directory : logPath);
            QmListSetFlags(name, flags | QM_FLAG_KEYS_KEPT);   // spared by DeleteConfigurationTree
            continue;
        }
        char parent[VL_PATH_SIZE], keyName[VL_PATH_SIZE];
        SplitPath(directory, parent, keyName);
        result = DeleteQmKeys(name, keyName) && result;
    }
    FreeFolders(&folders);
    return result;
}

// The keys of the queue managers marked kept, as paths below the
// configuration key, into paths (capacity entries); the count
// written, or -1 when a path does not fit.
static long KeptKeyPaths(char (*paths)[VL_TEXT_SIZE], size_t capacity)
{
    size_t count = 0;
    char directory[MAX_PATH];
    DWORD flags;
    for (BOOL more = QmListFirst(NULL, directory, NULL, &flags); more;
         more = QmListNext(NULL, directory, NULL, &flags)) {
        if (!(flags & QM_FLAG_KEYS_KEPT)) continue;
        char parent[VL_PATH_SIZE], keyName[VL_PATH_SIZE];
        SplitPath(directory, parent, keyName);
        if (!keyName[0]) continue;
        if (count + 2 > capacity || !FormatText(paths[count], VL_TEXT_SIZE, "QueueManager\\%s", keyName) ||
            !FormatText(paths[count + 1], VL_TEXT_SIZE, "Services\\%s", keyName))
            return -1;
        count += 2;
    }
    return (long)count;
}

int DeleteConfigurationTree()
{
    size_t kept = 0;
    DWORD flags;
    for (BOOL more = QmListFirst(NULL, NULL, NULL, &flags); more; more = QmListNext(NULL, NULL, NULL, &flags))
        if (flags & QM_FLAG_KEYS_KEPT) kept++;
    if (!kept) return DeleteRegistryTree(QM_CONFIG_KEY, "WebAdministration", TRUE);

    size_t capacity = 1 + 2 * kept;
    char (*paths)[VL_TEXT_SIZE] = (char (*)[VL_TEXT_SIZE])malloc(capacity * sizeof *paths);
    const char **spared = (const char **)malloc(capacity * sizeof *spared);
    long count = paths && spared ? KeptKeyPaths(paths + 1, capacity - 1) : -1;
    int result = 0;
    if (count < 0) {
        // Which keys to keep is not known: the whole configuration stays
        // rather than lose the keys of a queue manager whose folders stayed.
        LogLineF("***Can't list the kept QM keys; key '%s' not deleted", QM_CONFIG_KEY);
    } else {
        CopyText(paths[0], VL_TEXT_SIZE, "WebAdministration");
        for (long i = 0; i <= count; i++) spared[i] = paths[i];
        result = DeleteRegistryTreeSparing(QM_CONFIG_KEY, spared, (size_t)count + 1);
    }
    free(paths);
    free(spared);
    return result;
}
