#include "removal/shortcuts.h"
#include "removal/files.h"
#include "removal/listline.h"
#include "core/log.h"
#include "core/pathrules.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include <shlobj.h>
#include <string.h>

// The path of one of the shell's special folders, from the shell.
static BOOL LookUpSpecialFolder(int csidl, char *out)
{
    out[0] = 0;
    IMalloc *allocator = NULL;
    if (SHGetMalloc(&allocator) != NOERROR || !allocator) {
        LogLine("***SHGetMalloc error");
        return FALSE;
    }
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(NULL, csidl, &items) != NOERROR || !items) {
        LogLine("***SHGetSpecialFolderLocation error");
        allocator->Release();
        return FALSE;
    }
    if (!SHGetPathFromIDListA(items, out)) {
        LogLine("***SHGetPathFromIDList error");
        out[0] = 0;
    }
    allocator->Free(items);
    allocator->Release();
    return out[0] != 0;
}

// The sweep of the program folder asks for the common Programs folder twice
// for each of some three hundred names, and a shell lookup costs far more
// than the deletion it serves: a folder found once is kept for the run. A
// failed lookup is not kept (it is made, and logged, again next time).
// Threads: the removal worker and the GUI thread (the completion page) both
// call this. The first to find a folder writes it under sShellLock and then
// sets its flag; a set flag and its path never change again, so they are read
// without the lock.
enum { SHELL_FOLDER_SLOTS = 2 };
static const int kShellFolders[SHELL_FOLDER_SLOTS] = {CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP};
static char sShellPaths[SHELL_FOLDER_SLOTS][VL_PATH_SIZE];
static volatile LONG sShellFound[SHELL_FOLDER_SLOTS];
static CRITICAL_SECTION sShellLock;
static struct ShellLockSetUp {
    ShellLockSetUp() { InitializeCriticalSection(&sShellLock); }
} sShellLockSetUp;

static BOOL SpecialFolderPath(int csidl, char *out)
{
    int slot = 0;
    while (slot < SHELL_FOLDER_SLOTS && kShellFolders[slot] != csidl) slot++;
    if (slot == SHELL_FOLDER_SLOTS) return LookUpSpecialFolder(csidl, out);
    if (InterlockedCompareExchange(&sShellFound[slot], 0, 0)) {
        memcpy(out, sShellPaths[slot], VL_PATH_SIZE);
        return TRUE;
    }
    if (!LookUpSpecialFolder(csidl, out)) return FALSE;
    EnterCriticalSection(&sShellLock);
    if (!sShellFound[slot]) {
        CopyText(sShellPaths[slot], VL_PATH_SIZE, out);
        InterlockedExchange(&sShellFound[slot], 1);
    }
    LeaveCriticalSection(&sShellLock);
    return TRUE;
}

// Names come from the registry and string tables: none may lead out of the
// shell folder they belong to.
static BOOL NameStaysInFolder(const char *name)
{
    char relative[VL_PATH_SIZE];
    if (FormatText(relative, sizeof relative, "\\%s", name) && RelativePathIsContained(relative)) return TRUE;
    LogLineF("***Shortcut name '%s' leaves its folder; ignored", name);
    return FALSE;
}

BOOL DeleteProgramFolderItem(const char *folder, const char *item)
{
    if (!NameStaysInFolder(folder) || (item && !NameStaysInFolder(item))) return FALSE;
    char programs[VL_PATH_SIZE], path[VL_PATH_SIZE];
    if (!SpecialFolderPath(CSIDL_COMMON_PROGRAMS, programs)) return FALSE;
    // Without a program folder name the items would be those of the common
    // Programs folder itself, which belong to every program of the machine.
    char canonical[VL_PATH_SIZE];
    if (FormatText(path, sizeof path, "%s\\%s", programs, folder) &&
        CheckFolderPath(path, canonical, sizeof canonical) == PATH_SAFE) {
        char root[VL_PATH_SIZE];
        if (CheckFolderPath(programs, root, sizeof root) == PATH_SAFE && TextEqualNoCase(root, canonical)) {
            LogLineF("***Unsafe path refused: '%s' (%s)", path, "empty program folder name");
            return FALSE;
        }
    }
    BOOL fits = item ? FormatText(path, sizeof path, "%s\\%s\\%s.lnk", programs, folder, item)
                     : FormatText(path, sizeof path, "%s\\%s", programs, folder);
    if (!fits) {
        LogLineF("***Path too long: '%s'", path);
        return FALSE;
    }
    return item ? DeleteFilePath(path, FALSE) : RemoveDirectoryPath(path, FALSE);
}

BOOL DeleteStartupLink(const char *name)
{
    if (!NameStaysInFolder(name)) return FALSE;
    char startup[VL_PATH_SIZE], path[VL_PATH_SIZE];
    if (!SpecialFolderPath(CSIDL_COMMON_STARTUP, startup)) return FALSE;
    if (!FormatText(path, sizeof path, "%s\\%s.lnk", startup, name)) {
        LogLineF("***Path too long: '%s'", path);
        return FALSE;
    }
    return DeleteFilePath(path, FALSE);
}

BOOL DeleteObsoleteProgramFolderItems(const char *folder)
{
    static const char *const obsolete[] = {"Ruduruve", "UninstVL", "Read Me", "Memo",
                                           "Varolink On-line Documentation"};
    // The items that are still current, in the user's language.
    static const UINT current[] = {611, 608, 610, 613, 695, 192, 197, 612};
    enum { KEEP_MAX = 30, OWN_FIRST = 300, OWN_LAST = 599 };

    LogLine("Deleting obsolete program folder items");
    BOOL result = TRUE;
    for (const char *name : obsolete) result = DeleteProgramFolderItem(folder, name) && result;

    static char keep[KEEP_MAX][VL_TEXT_SIZE];
    int kept = 0;
    for (UINT id : current)
        if (kept < KEEP_MAX && LoadNlsString(keep[kept], id)) kept++;

    for (UINT id = OWN_FIRST; id <= OWN_LAST; id++) {
        char name[VL_TEXT_SIZE];
        if (!LoadOwnString(name, id) || strcmp(name, " ") == 0) continue;
        BOOL isCurrent = FALSE;
        for (int i = 0; i < kept && !isCurrent; i++) isCurrent = strcmp(name, keep[i]) == 0;
        if (isCurrent) continue;
        result = DeleteProgramFolderItem(folder, name) && result;
        char subFolder[VL_PATH_SIZE];
        if (FormatText(subFolder, sizeof subFolder, "%s\\%s", folder, name))
            result = DeleteProgramFolderItem(subFolder, NULL) && result;
        else
            result = FALSE;
    }
    return result;
}

BOOL RefreshStartMenu(const char *folder)
{
    LogLine("Refreshing Start menu");
    IMalloc *allocator = NULL;
    if (SHGetMalloc(&allocator) != NOERROR || !allocator) {
        LogLine("***SHGetMalloc error");
        return FALSE;
    }
    LPITEMIDLIST items = NULL;
    if (SHGetSpecialFolderLocation(NULL, CSIDL_COMMON_STARTMENU, &items) != NOERROR || !items) {
        LogLine("***SHGetSpecialFolderLocation error");
        allocator->Release();
        return FALSE;
    }
    char path[VL_PATH_SIZE];
    if (SHGetPathFromIDListA(items, path) && AppendText(path, sizeof path, "\\Programs\\") &&
        AppendText(path, sizeof path, folder)) {
        LogLineF("Varolink start menu folder is '%s'", path);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_PATHA, path, path);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST, items, NULL);
        SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_FLUSH, NULL, NULL);
    } else {
        LogLine("Can't get common start menu folder from ID list");
    }
    allocator->Free(items);
    allocator->Release();
    return TRUE;
}
