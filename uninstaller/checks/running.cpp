// Whether the product runs: its services, its programs and the performance
// monitor holding its counter library; and the lock test they all use.
#include "checks/checks.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "security/security.h"
#include <string.h>

void CurrentProgramFiles(char *out)
{
    ReadProductPaths();
    CopyText(out, VL_PATH_SIZE, gRegFilePath[0] ? gRegFilePath : gRun.ProgramFilesPath);
}

int BinFile(char *out, const char *programFiles, const char *name)
{
    if (FormatText(out, VL_PATH_SIZE, "%s\\%s\\%s", programFiles, "bin", name)) return 1;
    out[0] = 0;
    return 0;
}

BOOL ServiceIsActive(const char *serviceName)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return FALSE;
    // A service a preview listed as stopped (or deleted) counts as stopped.
    if (MachineServiceHeld(serviceName)) {
        CloseServiceHandle(manager);
        return FALSE;
    }
    BOOL active = FALSE;
    SC_HANDLE service = OpenServiceA(manager, serviceName, SERVICE_ALL_ACCESS);
    if (service) {
        SERVICE_STATUS status;
        if (QueryServiceStatus(service, &status))
            active = status.dwCurrentState >= SERVICE_START_PENDING && status.dwCurrentState <= SERVICE_PAUSED;
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return active;
}

// A file held open while a preview holds the stop back: the stop would have
// ended its holder, so it is in use only until then, not locked.
static BOOL HeldUntilStopped(const char *path, int state)
{
    if (state != 1 || !MachineStopHeld()) return FALSE;
    LogLineF("In use until the product is stopped: '%s'", path);
    return TRUE;
}

BOOL FileIsLocked(const char *path)
{
    int state = MachineFileHeldOpen(path);
    if (HeldUntilStopped(path, state)) return FALSE;
    if (state >= 0) return state == 1;
    // A product file that refuses write access: open up its access list and
    // ask again; only a sharing violation then counts as locked.
    SecureFile(path, TRUE, GRANT_ACCESS, GENERIC_READ | GENERIC_EXECUTE);
    state = MachineFileHeldOpen(path);
    if (HeldUntilStopped(path, state)) return FALSE;
    return state == 1;
}

static BOOL BinFileLocked(const char *programFiles, const char *name)
{
    char path[VL_PATH_SIZE];
    return BinFile(path, programFiles, name) && FileIsLocked(path);
}

int ProductIsRunning(const char *folder)
{
    // A preview's held-back stop counts as made: the product would not run.
    if (MachineStopHeld()) return 0;
    char programFiles[VL_PATH_SIZE];
    ReadProductPaths();
    CopyText(programFiles, sizeof programFiles, gRegFilePath[0] ? gRegFilePath : folder);
    if (BinFileLocked(programFiles, "avlxssvn.exe")) return 1;
    if (BinFileLocked(programFiles, "avlsvc.exe")) return 1;
    if (!BinFileLocked(programFiles, "avlxcs2.dll")) return 0;
    // The common library held together with the counter library is the
    // performance monitor's doing, which has a page of its own.
    return BinFileLocked(programFiles, "avlmperf.dll") ? 0 : 1;
}

int PerfMonitorDllLocked()
{
    if (BinFileLocked(gRun.ProgramFilesPath, "avlmperf.dll")) {
        LogLine("Performance monitor DLL is locked");
        return 1;
    }
    LogLine("Performance monitor DLL is not locked");
    return 0;
}
