// Ends the processes of one product program that still hold its file. The
// process functions come from the psapi.dll the product installed in its own
// uninstallation folder, never from the system folder.
#include "checks/checks.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/fileprobes.h"
#include <stdlib.h>

typedef BOOL(WINAPI *EnumProcessesFn)(DWORD *, DWORD, DWORD *);
typedef BOOL(WINAPI *EnumProcessModulesFn)(HANDLE, HMODULE *, DWORD, DWORD *);
typedef DWORD(WINAPI *GetModuleFileNameExFn)(HANDLE, HMODULE, LPSTR, DWORD);

enum { PROCESS_ID_GROWTH = 2048 };

struct ProcessFunctions {
    EnumProcessesFn EnumProcesses;
    EnumProcessModulesFn EnumProcessModules;
    GetModuleFileNameExFn GetModuleFileNameEx;
};

// Reads the process ids, growing the buffer while the system fills it.
// *ids is malloc'ed (free it); 1 / 0.
static int ReadProcessIds(const ProcessFunctions &f, DWORD **ids, DWORD *bytes)
{
    DWORD size = 4;
    *bytes = 4;
    *ids = NULL;
    while (*bytes / 4 == size / 4) {
        free(*ids);
        size += PROCESS_ID_GROWTH;
        *ids = (DWORD *)malloc(size);
        if (!*ids) {
            LogLine("***Can't allocate process ID array");
            return 0;
        }
        if (!f.EnumProcesses(*ids, size, bytes)) {
            LogLineF("***EnumProcesses() error %d", (int)GetLastError());
            return 0;
        }
    }
    return 1;
}

// Terminates process id when its first module is folder\program. 1 / 0.
static int EndIfProgram(const ProcessFunctions &f, DWORD id, const char *folder, const char *program)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    if (!process) {
        DWORD error = GetLastError();
        // System processes refuse to be inspected; they are not ours.
        if (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_PARAMETER) return 1;
        LogLineF("***OpenProcess(%d) error 1 %d", (int)id, (int)error);
        return 0;
    }
    HMODULE module;
    DWORD needed;
    char path[VL_PATH_SIZE] = "";
    BOOL named = f.EnumProcessModules(process, &module, sizeof module, &needed) &&
                 f.GetModuleFileNameEx(process, module, path, sizeof path) > 0;
    CloseHandle(process);
    if (!named) return 1;
    path[sizeof path - 1] = 0;
    char moduleFolder[VL_PATH_SIZE], moduleFile[VL_PATH_SIZE];
    SplitPath(path, moduleFolder, moduleFile);
    if (!TextEqualNoCase(moduleFile, program) || !TextEqualNoCase(moduleFolder, folder)) return 1;
    LogLineF("Found process ID %d '%s'", (int)id, path);
    process = OpenProcess(PROCESS_TERMINATE, FALSE, id);
    if (!process) {
        LogLineF("***OpenProcess(%d) error 2 %d", (int)id, (int)GetLastError());
        return 0;
    }
    int result = 1;
    DWORD ended = MachineEndProcess(process, id, path);
    if (ended == 0) {
        LogLineF("Process ID %d terminated", (int)id);
    } else if (ended != MACHINE_HELD_BACK) {
        LogLineF("***TerminateProcess() error %d", (int)ended);
        result = 0;
    }
    CloseHandle(process);
    return result;
}

int TerminateProgramProcesses(const char *folder, const char *program, const char *psapiFolder)
{
    char path[VL_PATH_SIZE];
    if (!FormatText(path, sizeof path, "%s\\%s", folder, program)) {
        LogLineF("***Path too long: '%s\\%s'", folder, program);
        return 0;
    }
    if (!FileIsLocked(path)) {
        LogLineF("File '%s' is not locked", path);
        return 1;
    }
    LogLineF("File '%s' is locked", path);

    char library[VL_PATH_SIZE];
    HMODULE psapi = NULL;
    if (FormatText(library, sizeof library, "%s\\psapi.dll", psapiFolder))
        psapi = LoadLibraryExA(library, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!psapi) {
        LogLineF("***Can't load '%s'.", library);
        return 0;
    }
    int result = 1;
    ProcessFunctions f;
    f.EnumProcesses = (EnumProcessesFn)GetProcAddress(psapi, "EnumProcesses");
    if (!f.EnumProcesses) {
        LogLineF("***Unable to get EnumProcesses() address; code %d.", (int)GetLastError());
        result = 0;
    }
    f.EnumProcessModules = (EnumProcessModulesFn)GetProcAddress(psapi, "EnumProcessModules");
    if (!f.EnumProcessModules) {
        LogLineF("***Unable to get EnumProcessModules() address; code %d.", (int)GetLastError());
        result = 0;
    }
    f.GetModuleFileNameEx = (GetModuleFileNameExFn)GetProcAddress(psapi, "GetModuleFileNameExA");
    if (!f.GetModuleFileNameEx) {
        LogLineF("***Unable to get GetModuleFileNameEx() address; code %d.", (int)GetLastError());
        result = 0;
    }
    DWORD *ids = NULL, bytes = 0;
    if (result) result = ReadProcessIds(f, &ids, &bytes);
    if (result) {
        LogLineF("Found %d processes in system", (int)(bytes / 4));
        for (DWORD i = 0; i < bytes / 4; i++)
            if (ids[i] != 0) result &= EndIfProgram(f, ids[i], folder, program);
    }
    free(ids);
    FreeLibrary(psapi);
    return result;
}
