// Starting outside programs through the shell, and running one entry point of
// a library on a thread of its own.
#include "core/launch.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include <process.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

enum { STILL_RUNNING_CODE = 259, ENDED_AS_SUCCESS = 99 };

static HANDLE sTrackedProcess;

struct DllThreadRecord {
    HMODULE Library;
    DllEntry14 Entry;
    DWORD_PTR Arguments[VL_DLL_ARG_COUNT];
    HANDLE Thread;
    DWORD Result;
    volatile LONG Done;
};
static DllThreadRecord sDllThread;

// The shell's execute with the verb "Open"; the process handle on success,
// NULL with the system error in *error otherwise.
static HANDLE StartThroughShell(HWND owner, int show, const char *program, const char *folder,
                                const char *parameters, BOOL quiet, DWORD *error)
{
    char announce[2048];
    snprintf(announce, sizeof announce, "Launching process '%s' '%s'; dir '%s'.", program,
             parameters ? parameters : "", folder ? folder : "");
    char file[VL_PATH_SIZE];
    if (!FormatText(file, sizeof file, "%s", program)) {
        LogLine(announce);
        *error = ERROR_FILENAME_EXCED_RANGE;
        return NULL;
    }
    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    // A silent run has nobody to answer the shell's error box: it would wait for ever.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | (quiet || LogSilent() ? SEE_MASK_FLAG_NO_UI : 0);
    info.hwnd = owner;
    info.lpVerb = "Open";
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = folder && folder[0] ? folder : NULL;
    info.nShow = show;
    *error = MachineStartProgram(&info, announce);
    if (*error) return NULL;   // failed, or a preview's start held back
    if (!info.hProcess) {
        // Started through something that gives no process (no handle to wait on).
        *error = ERROR_INVALID_HANDLE;
        return NULL;
    }
    *error = 0;
    return info.hProcess;
}

BOOL LaunchProcess(HWND owner, const char *program, const char *folder, const char *parameters)
{
    if (sTrackedProcess) CloseHandle(sTrackedProcess);  // only one process is tracked
    DWORD error;
    sTrackedProcess = StartThroughShell(owner, SW_HIDE, program, folder, parameters, FALSE, &error);
    if (!sTrackedProcess && error == MACHINE_HELD_BACK) return TRUE;   // nothing to track: ended at once
    if (!sTrackedProcess) {
        LogLineF("***Unable to launch process; code %d.", (int)error);
        return FALSE;
    }
    return TRUE;
}

HANDLE LaunchProcessShown(HWND owner, int show, const char *program, const char *folder, const char *parameters)
{
    DWORD error;
    HANDLE process = StartThroughShell(owner, show, program, folder, parameters, FALSE, &error);
    if (!process && error != MACHINE_HELD_BACK) LogLineF("Unable to launch process; code %d.", (int)error);
    return process;
}

DWORD RunProcessAndWait(HWND owner, int show, const char *program, const char *folder, const char *parameters)
{
    DWORD error;
    HANDLE process = StartThroughShell(owner, show, program, folder, parameters, TRUE, &error);
    if (!process && error == MACHINE_HELD_BACK) return 0;   // as if it had ended well
    if (!process) {
        LogLineF("Unable to launch process; code %d.", (int)error);
        return VL_LAUNCH_FAILED;
    }
    DWORD result = VL_LAUNCH_FAILED;
    DWORD wait = WaitForSingleObject(process, VL_PROCESS_WAIT_MS);
    if (wait == WAIT_TIMEOUT) {
        LogLine("Process timed out.");
    } else if (wait != WAIT_OBJECT_0) {
        LogLine("Wait error.");
    } else {
        DWORD code;
        if (!GetExitCodeProcess(process, &code)) {
            LogLineF("Error %d getting process exit code.", (int)GetLastError());
        } else if (code == STILL_RUNNING_CODE) {
            LogLine("Process still active");
        } else {
            LogLineF("Process ended; exit code 0x%8.8lx", code);
            result = code;
        }
    }
    CloseHandle(process);
    return result;
}

BOOL PollLaunchedProcess(DWORD *exitCode)
{
    *exitCode = 0;
    if (!sTrackedProcess) return FALSE;
    DWORD code;
    if (!GetExitCodeProcess(sTrackedProcess, &code)) {
        DWORD error = GetLastError();
        CloseHandle(sTrackedProcess);
        sTrackedProcess = NULL;
        LogLineF("Error %d getting process exit code.", (int)error);
        *exitCode = error;
        return FALSE;
    }
    if (code == STILL_RUNNING_CODE) return TRUE;
    CloseHandle(sTrackedProcess);
    sTrackedProcess = NULL;
    if (code == ENDED_AS_SUCCESS) code = 0;
    LogLineF("Process ended; exit code 0x%8.8lx", code);
    *exitCode = code;
    return FALSE;
}

BOOL WaitLaunchedProcess(DWORD pollMs, BOOL (*stop)(), void (*onPoll)(void *), void *context, DWORD *exitCode)
{
    for (DWORD waited = 0; PollLaunchedProcess(exitCode); waited += pollMs) {
        if (stop && stop()) {
            LogLine("Stopped waiting: the uninstallation was ended");
            return FALSE;
        }
        if (waited >= VL_PROCESS_WAIT_MS) {
            LogLine("Process timed out.");
            return FALSE;
        }
        SleepMs(pollMs);
        if (onPoll) onPoll(context);
    }
    return TRUE;
}

static unsigned __stdcall RunDllEntry(void *)
{
    const DWORD_PTR *a = sDllThread.Arguments;
    DWORD result = sDllThread.Entry(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10],
                                    a[11], a[12], a[13]);
    sDllThread.Result = result;
    InterlockedExchange(&sDllThread.Done, 1);  // the result is written before the flag
    _endthreadex(result);
    return result;
}

BOOL LaunchDllThread(const char *library, const char *entry, const DWORD_PTR arguments[VL_DLL_ARG_COUNT])
{
    char announce[2048];
    snprintf(announce, sizeof announce, "Launching thread '%s(%s)'.", library, entry);
    memcpy(sDllThread.Arguments, arguments, sizeof sDllThread.Arguments);
    sDllThread.Result = 0;
    sDllThread.Done = 0;
    sDllThread.Entry = NULL;
    sDllThread.Thread = NULL;
    // A preview lists the entry and runs nothing: it counts as ended at once.
    if (MachineRunLibraryEntry(library, entry, announce) == MACHINE_HELD_BACK) return TRUE;

    sDllThread.Library = LoadLibraryA(library);
    if (!sDllThread.Library) {
        LogLineF("***Unable to load DLL; code %d.", (int)GetLastError());
        return FALSE;
    }
    sDllThread.Entry = (DllEntry14)GetProcAddress(sDllThread.Library, entry);
    if (!sDllThread.Entry) {
        DWORD error = GetLastError();
        FreeLibrary(sDllThread.Library);
        sDllThread.Library = NULL;
        LogLineF("***Unable to get proc address; code %d.", (int)error);
        return FALSE;
    }
    sDllThread.Thread = (HANDLE)_beginthreadex(NULL, 0, RunDllEntry, NULL, 0, NULL);
    if (!sDllThread.Thread) {
        FreeLibrary(sDllThread.Library);
        sDllThread.Library = NULL;
        sDllThread.Entry = NULL;
        sDllThread.Result = 0;
        LogLine("***Unable to launch thread.");
        return FALSE;
    }
    return TRUE;
}

BOOL PollDllThread(DWORD *result)
{
    *result = 0;
    if (!sDllThread.Thread) return FALSE;  // nothing started, or already cleaned up
    if (!InterlockedCompareExchange(&sDllThread.Done, 0, 0)) {
        *result = sDllThread.Result;
        return TRUE;
    }
    LogLineF("Thread ending; rc is 0x%8.8lx", sDllThread.Result);
    LogLine("Waiting for thread to end...");
    WaitForSingleObject(sDllThread.Thread, INFINITE);
    CloseHandle(sDllThread.Thread);
    sDllThread.Thread = NULL;
    LogLine("...thread ended");
    FreeLibrary(sDllThread.Library);
    sDllThread.Library = NULL;
    sDllThread.Entry = NULL;
    *result = sDllThread.Result;
    return FALSE;
}

BOOL SleepMs(DWORD ms)
{
    Sleep(ms);
    return TRUE;
}
