// The removal worker thread (see worker.h for which thread owns what).
#include "engine/worker.h"
#include "engine/components.h"
#include "removal/directories.h"
#include "removal/environment.h"
#include "removal/files.h"
#include "removal/shortcuts.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/text.h"
#include "core/messagebox.h"
#include "core/statusline.h"
#include <objbase.h>
#include <process.h>

// Manual-reset event: set by the worker as its very last action.
static HANDLE sWorkerFinished;
// Set by the GUI thread when it starts a worker; set by the worker once its
// end notice is posted. Read by the end of the run after the worker stopped.
static volatile LONG sWorkerStarted, sEndNoticePosted;
// Called by the worker between its end notice and its last action (tests).
static void (*sAfterEndNotice)();

// Written by the worker only; read after it stopped (ComponentRemovalProgress).
static volatile LONG sComponentProgress[COMPONENT_COUNT];

int ComponentRemovalProgress(int component)
{
    if (component < 0 || component >= COMPONENT_COUNT) return COMPONENT_NOT_BEGUN;
    return (int)InterlockedCompareExchange(&sComponentProgress[component], 0, 0);
}

BOOL RemovalWorkerStarted()
{
    return InterlockedCompareExchange(&sWorkerStarted, 0, 0) != 0;
}

BOOL RemovalInterrupted()
{
    return InterlockedCompareExchange(&sWorkerStarted, 0, 0) && !InterlockedCompareExchange(&sEndNoticePosted, 0, 0);
}

void SetAfterEndNoticeHook(void (*hook)())
{
    sAfterEndNotice = hook;
}

BOOL RemovalWorkerActive()
{
    return sWorkerFinished && WaitForSingleObject(sWorkerFinished, 0) == WAIT_TIMEOUT;
}

static void ShowText(HWND window, const char *text, BOOL isPath)
{
    SetStatusText(window, text, isPath);
}

static void ShowNls(HWND window, UINT id, BOOL isPath)
{
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, id);
    SetStatusText(window, text, isPath);
}

static void RemoveComponents(WorkerWindows *w)
{
    int option = 1;
    for (int component : gRemovalOrder) {
        if (RemovalStopRequested()) return;
        Component &entry = gComponents[component];
        if (!entry.Selected) continue;
        // The PDF library and the language packs were never recorded under a
        // localised name; the server and Web Administration get their data choice.
        BOOL registered = component != COMP_PDF_LIBRARY && component < COMP_LANG_EN_US;
        BOOL *deleteData = component == COMP_SERVER ? &gRun.DeleteQueueManagerData
                           : component == COMP_WEB_ADMIN ? &gRun.DeleteWebAdminData : NULL;
        const char *recorded = registered && entry.RecordedName[0] ? entry.RecordedName : NULL;
        const char *display = entry.NlsNameId ? gComponentDisplayNames[entry.NlsNameId] : "";
        InterlockedExchange(&sComponentProgress[component], COMPONENT_BEGUN);
        int done = UninstallComponent(entry.ValueName, recorded, gRun.ProgramFilesPath, gRun.ProductWorkPath,
                                      gRun.LogDefaultPath, gRun.ProgramFolderName, &w->Status1, &w->Status2,
                                      &w->Status3, &w->Progress, display, deleteData, &option, 0);
        gRun.AllSucceeded &= done;
        // A component cut short by the stop request stays "begun".
        if (!RemovalStopRequested())
            InterlockedExchange(&sComponentProgress[component], done ? COMPONENT_FINISHED : COMPONENT_FINISHED_FAILED);
    }
}

static void RemoveData(WorkerWindows *w)
{
    ShowNls(w->Status1, 545, FALSE);
    ShowText(w->Status3, "", FALSE);
    int result = 1;
    if (gRun.LogDefaultPath[0] && !RemovalStopRequested()) {
        ShowText(w->Status2, gRun.LogDefaultPath, TRUE);
        result &= CleanLogDirectory(gRun.LogDefaultPath, &w->Status3, &w->Progress);
        ShowText(w->Status3, "", FALSE);
    }
    const char *D = gRun.ProductWorkPath;
    if (D[0] && !RemovalStopRequested()) {
        ShowText(w->Status2, D, TRUE);
        result &= RemoveObsoleteFiles(FALSE, TRUE, gRun.ProgramFilesPath, D, gRun.ProgramFolderName, &w->Status3,
                                      &w->Progress);
        BOOL whole = TRUE;
        if (!RemovalStopRequested())
            result &= CleanDataDirectory(D, gRun.ProgramFilesPath, &w->Status3, &w->Progress, &whole);
        if (!RemovalStopRequested()) result &= RemoveDirectoryPath(D, FALSE);
        char publicFolder[VL_PATH_SIZE];
        if (FormatText(publicFolder, sizeof publicFolder, "%s\\vlwa\\scripts\\public", D))
            ShowText(w->Status2, publicFolder, TRUE);
        if (!RemovalStopRequested()) result &= CleanWebAdminDirectory(D, &w->Status3, &w->Progress);
    }
    gRun.AllSucceeded &= result;
}

static void RemoveProgram(WorkerWindows *w)
{
    ShowNls(w->Status1, 544, TRUE);
    ShowText(w->Status3, "", FALSE);
    int result = 1;
    const char *folder = gRun.ProgramFolderName;
    char name[VL_TEXT_SIZE];
    if (folder[0]) {
        static const UINT kNames[] = {611, 608, 610, 613, 695, 192, 197};
        for (UINT id : kNames)
            if (!RemovalStopRequested() && LoadNlsString(name, id)) result &= DeleteProgramFolderItem(folder, name);
        if (!RemovalStopRequested() && LoadNlsString(name, 614)) result &= DeleteStartupLink(name);
        for (UINT id = 315; id <= 585; id += 30)
            if (!RemovalStopRequested() && LoadOwnString(name, id)) result &= DeleteProgramFolderItem(folder, name);
        if (!RemovalStopRequested()) result &= DeleteObsoleteProgramFolderItems(folder);
    }
    const char *P = gRun.ProgramFilesPath;
    ShowText(w->Status2, P, TRUE);
    if (!RemovalStopRequested())
        result &= RemoveObsoleteFiles(TRUE, FALSE, P, gRun.ProductWorkPath, folder, &w->Status3, &w->Progress);
    BOOL whole = TRUE;
    if (!RemovalStopRequested()) result &= CleanProgramDirectory(P, &w->Status3, &w->Progress, &whole);
    if (!RemovalStopRequested()) result &= DeleteInstallerLeftovers(gRun.UninstFolder, FALSE);
    gRun.AllSucceeded &= result;
}

void __cdecl RemovalWorker(void *argument)
{
    WorkerWindows *w = (WorkerWindows *)argument;
    // The shell calls of the launching and shortcut code want COM on this thread.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);

    RemoveComponents(w);
    if (gRun.RemoveAllWithData && !RemovalStopRequested()) RemoveData(w);
    if (gRun.RemoveWholeProduct && !RemovalStopRequested()) RemoveProgram(w);
    if (!gRun.SkipBroadcast && !RemovalStopRequested()) {
        ShowText(w->Status1, "", FALSE);
        ShowText(w->Status3, "", FALSE);
        ShowNls(w->Status2, 638, FALSE);
        LogLine(" ");
        BroadcastEnvironmentChange();
    }
    // The bar shows every step before the page moves on.
    ProgressFlush();
    if (!RemovalStopRequested()) {
        LogLine(" ");
        RefreshStartMenu(gRun.ProgramFolderName);
        if (PostMessageA(w->Page, gRun.MsgEndDel, 0, 0)) InterlockedExchange(&sEndNoticePosted, 1);
        if (sAfterEndNotice) sAfterEndNotice();
    } else {
        LogLine("Removal stopped: the uninstallation was ended");
    }

    if (SUCCEEDED(com)) CoUninitialize();
    SetEvent(sWorkerFinished);
}

int StartRemovalWorker(WorkerWindows *windows)
{
    RequestRemovalStop(FALSE);
    for (volatile LONG &progress : sComponentProgress) InterlockedExchange(&progress, COMPONENT_NOT_BEGUN);
    InterlockedExchange(&sEndNoticePosted, 0);
    InterlockedExchange(&sWorkerStarted, 0);
    if (!sWorkerFinished) sWorkerFinished = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!sWorkerFinished) {
        gRun.WorkerThread = 0;
        return 0;
    }
    ResetEvent(sWorkerFinished);
    uintptr_t thread = _beginthread(RemovalWorker, 0, windows);
    if (thread == (uintptr_t)-1 || thread == 0) {
        SetEvent(sWorkerFinished);
        gRun.WorkerThread = 0;
        return 0;
    }
    gRun.WorkerThread = (HANDLE)thread;
    InterlockedExchange(&sWorkerStarted, 1);
    return 1;
}

BOOL StopRemovalWorker(DWORD timeoutMs)
{
    if (!RemovalWorkerActive()) return TRUE;
    RequestRemovalStop(TRUE);
    DWORD start = GetTickCount();
    for (;;) {
        DWORD waited = GetTickCount() - start;
        if (waited >= timeoutMs) return FALSE;
        // Only sent messages are handled here: the worker's status and
        // progress messages must not block it while it runs to a step boundary.
        DWORD wait = MsgWaitForMultipleObjects(1, &sWorkerFinished, FALSE, timeoutMs - waited, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0) return TRUE;
        if (wait != WAIT_OBJECT_0 + 1) return FALSE;
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
