#include "core/pathguard.h"
#include "core/log.h"
#include "core/runstate.h"
#include <shlobj.h>
#include <string.h>

// The long, canonical name of an existing folder ("C:\PROGRA~1" and
// "C:\Program Files." both name "C:\Program Files"); a folder that does not
// exist keeps its canonical spelling.
static void LongName(char *canonical)
{
    char longName[VL_PATH_SIZE];
    DWORD n = GetLongPathNameA(canonical, longName, sizeof longName);
    if (n > 0 && n < sizeof longName) {
        char again[VL_PATH_SIZE];
        if (CheckFolderPath(longName, again, sizeof again) == PATH_SAFE) strcpy(canonical, again);
    }
}

// The folders no walk or removal may touch, canonical and long, looked up
// from the system and the shell. 1 when found (out holds it), 0 when the
// lookup failed (out is empty), -1 past the last index. *settled is set when
// the answer cannot change during the run: the lookup worked and the folder
// exists, so its long name is final.
static int LookUpProtectedFolder(int index, char *out, BOOL *settled)
{
    out[0] = 0;
    *settled = FALSE;
    char raw[MAX_PATH + 1];
    raw[0] = 0;
    switch (index) {
    case 0: if (!GetWindowsDirectoryA(raw, sizeof raw)) raw[0] = 0; break;
    case 1: if (!GetSystemDirectoryA(raw, sizeof raw)) raw[0] = 0; break;
    case 2: if (SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, raw) != S_OK) raw[0] = 0; break;
    case 3: if (SHGetFolderPathA(NULL, CSIDL_COMMON_STARTUP, NULL, 0, raw) != S_OK) raw[0] = 0; break;
    default: return -1;
    }
    if (!raw[0] || CheckFolderPath(raw, out, VL_PATH_SIZE) != PATH_SAFE) {
        out[0] = 0;
        return 0;
    }
    LongName(out);
    DWORD attributes = GetFileAttributesA(out);
    *settled = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return 1;
}

enum { PROTECTED_FOLDER_COUNT = 4 };

// The protected folders of the run. Every deleting primitive asks for them,
// on the GUI thread and on the removal worker, and the shell lookups are slow
// enough to weigh on a removal of many folders, so each folder is looked up
// until it is settled (found and existing) and then kept for the rest of the
// run. A folder not settled yet is looked up again on every call, exactly as
// without the cache, so a failed or early lookup never leaves a protected
// folder unguarded.
// Threads: whichever thread settles a folder first writes it, under sCacheLock;
// sSettled[i] is set (with a full barrier) only after sFolders[i] is complete,
// and once set neither changes again, so any thread reads a settled folder
// without the lock.
static CRITICAL_SECTION sCacheLock;
static struct CacheLockSetUp {
    CacheLockSetUp() { InitializeCriticalSection(&sCacheLock); }
} sCacheLockSetUp;
static char sFolders[PROTECTED_FOLDER_COUNT][VL_PATH_SIZE];
static volatile LONG sSettled[PROTECTED_FOLDER_COUNT];

static int ProtectedFolder(int index, char *out)
{
    if (index < 0 || index >= PROTECTED_FOLDER_COUNT) return -1;
    if (InterlockedCompareExchange(&sSettled[index], 0, 0)) {
        memcpy(out, sFolders[index], VL_PATH_SIZE);
        return 1;
    }
    BOOL settled = FALSE;
    int found = LookUpProtectedFolder(index, out, &settled);
    if (found == 1 && settled) {
        EnterCriticalSection(&sCacheLock);
        if (!sSettled[index]) {
            memcpy(sFolders[index], out, VL_PATH_SIZE);
            InterlockedExchange(&sSettled[index], 1);
        }
        LeaveCriticalSection(&sCacheLock);
    }
    return found;
}

PathVerdict FolderVerdict(const char *folder)
{
    char canonical[VL_PATH_SIZE];
    PathVerdict verdict = CheckFolderPath(folder, canonical, sizeof canonical);
    if (verdict != PATH_SAFE) return verdict;
    LongName(canonical);
    char protectedFolder[VL_PATH_SIZE];
    for (int i = 0; ProtectedFolder(i, protectedFolder) >= 0; i++)
        if (protectedFolder[0] && FolderHolds(canonical, protectedFolder)) return PATH_PROTECTED;
    return PATH_SAFE;
}

PathVerdict FileVerdict(const char *path) { return CheckFilePath(path, NULL, 0); }

static int Refuse(const char *path, PathVerdict verdict, DWORD *error)
{
    if (error) *error = 0;
    if (verdict == PATH_SAFE) return 1;
    if (error) *error = verdict == PATH_TOO_LONG ? ERROR_FILENAME_EXCED_RANGE : ERROR_ACCESS_DENIED;
    LogLineF("***Unsafe path refused: '%s' (%s)", path ? path : "", PathVerdictText(verdict));
    return 0;
}

int GuardFolder(const char *folder, DWORD *error) { return Refuse(folder, FolderVerdict(folder), error); }
int GuardVerdict(const char *path, PathVerdict verdict, DWORD *error) { return Refuse(path, verdict, error); }
int GuardFile(const char *path, DWORD *error) { return Refuse(path, FileVerdict(path), error); }
int GuardTargetFolder(const char *folder) { return Refuse(folder, CheckFolderPath(folder, NULL, 0), NULL); }
