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

// A protected folder: its canonical long name and the same folder spelt with
// its 8.3 short names (empty when not known).
struct ProtectedName {
    char Long[VL_PATH_SIZE];
    char Short[VL_PATH_SIZE];
};

static size_t ComponentCount(const char *path)
{
    size_t n = 1;
    for (; *path; path++) n += *path == '\\';
    return n;
}

// The folders no walk or removal may touch, looked up from the system and the
// shell. 1 when found (out->Long holds it), 0 when the lookup failed, -1 past
// the last index. *settled is set when the answer cannot change during the
// run: the lookup worked, the folder exists (its long name is final) and its
// short spelling is known.
static int LookUpProtectedFolder(int index, ProtectedName *out, BOOL *settled)
{
    out->Long[0] = out->Short[0] = 0;
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
    if (!raw[0] || CheckFolderPath(raw, out->Long, VL_PATH_SIZE) != PATH_SAFE) {
        out->Long[0] = 0;
        return 0;
    }
    LongName(out->Long);
    DWORD attributes = GetFileAttributesA(out->Long);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 1;
    char shortName[VL_PATH_SIZE];
    DWORD n = GetShortPathNameA(out->Long, shortName, sizeof shortName);
    if (n == 0 || n >= sizeof shortName ||
        CheckFolderPath(shortName, out->Short, VL_PATH_SIZE) != PATH_SAFE ||
        ComponentCount(out->Short) != ComponentCount(out->Long)) {
        out->Short[0] = 0;
        return 1;
    }
    *settled = TRUE;
    return 1;
}

enum { PROTECTED_FOLDER_COUNT = 4 };

// The protected folders of the run. Every deleting primitive asks for them,
// on the GUI thread and on the removal worker, and the shell lookups are slow
// enough to weigh on a removal of many folders, so each folder is looked up
// until it is settled and then kept for the rest of the run. A folder not
// settled yet is looked up again on every call, exactly as without the
// cache, so a failed or early lookup never leaves a protected folder
// unguarded.
// Threads: whichever thread settles a folder first writes it, under sCacheLock;
// sSettled[i] is set (with a full barrier) only after sFolders[i] is complete,
// and once set neither changes again, so any thread reads a settled folder
// without the lock.
static CRITICAL_SECTION sCacheLock;
static struct CacheLockSetUp {
    CacheLockSetUp() { InitializeCriticalSection(&sCacheLock); }
} sCacheLockSetUp;
static ProtectedName sFolders[PROTECTED_FOLDER_COUNT];
static volatile LONG sSettled[PROTECTED_FOLDER_COUNT];

// 1 with out filled (settled or not), 0 when the lookup failed, -1 past the end.
static int ProtectedFolder(int index, ProtectedName *out, BOOL *settled)
{
    *settled = FALSE;
    if (index < 0 || index >= PROTECTED_FOLDER_COUNT) return -1;
    if (InterlockedCompareExchange(&sSettled[index], 0, 0)) {
        *out = sFolders[index];
        *settled = TRUE;
        return 1;
    }
    int found = LookUpProtectedFolder(index, out, settled);
    if (found == 1 && *settled) {
        EnterCriticalSection(&sCacheLock);
        if (!sSettled[index]) {
            sFolders[index] = *out;
            InterlockedExchange(&sSettled[index], 1);
        }
        LeaveCriticalSection(&sCacheLock);
    }
    return found;
}

static BOOL AsciiOnly(const char *text)
{
    for (; *text; text++)
        if ((unsigned char)*text > 127) return FALSE;
    return TRUE;
}

PathVerdict FolderVerdict(const char *folder)
{
    char canonical[VL_PATH_SIZE];
    PathVerdict verdict = CheckFolderPath(folder, canonical, sizeof canonical);
    if (verdict != PATH_SAFE) return verdict;
    // A folder spelt in ASCII is compared with a settled protected folder by
    // its components, long or short: no look-up of its own. Otherwise the
    // file system gives its long name (once) and that is compared.
    BOOL ascii = AsciiOnly(canonical);
    char longName[VL_PATH_SIZE];
    longName[0] = 0;
    ProtectedName protectedFolder;
    BOOL settled;
    for (int i = 0; ProtectedFolder(i, &protectedFolder, &settled) >= 0; i++) {
        if (!protectedFolder.Long[0]) continue;
        if (ascii && settled) {
            if (FolderSpellsHolder(canonical, protectedFolder.Long, protectedFolder.Short)) return PATH_PROTECTED;
            continue;
        }
        if (!longName[0]) {
            memcpy(longName, canonical, sizeof longName);
            LongName(longName);
        }
        if (FolderHolds(longName, protectedFolder.Long)) return PATH_PROTECTED;
    }
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
