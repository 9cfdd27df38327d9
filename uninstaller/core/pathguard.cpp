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

// The folders no walk or removal may touch, canonical and long. Looked up on
// every call: the shell folders may differ per machine, and no state is
// shared between the worker and the page thread.
static int ProtectedFolder(int index, char *out)
{
    out[0] = 0;
    char raw[MAX_PATH + 1];
    raw[0] = 0;
    switch (index) {
    case 0: if (!GetWindowsDirectoryA(raw, sizeof raw)) raw[0] = 0; break;
    case 1: if (!GetSystemDirectoryA(raw, sizeof raw)) raw[0] = 0; break;
    case 2: if (SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, raw) != S_OK) raw[0] = 0; break;
    case 3: if (SHGetFolderPathA(NULL, CSIDL_COMMON_STARTUP, NULL, 0, raw) != S_OK) raw[0] = 0; break;
    default: return -1;
    }
    if (!raw[0] || CheckFolderPath(raw, out, VL_PATH_SIZE) != PATH_SAFE) return 0;
    LongName(out);
    return 1;
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
int GuardFile(const char *path, DWORD *error) { return Refuse(path, FileVerdict(path), error); }
int GuardTargetFolder(const char *folder) { return Refuse(folder, CheckFolderPath(folder, NULL, 0), NULL); }
