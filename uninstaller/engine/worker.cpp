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

struct WorkerRow {
    int Component;       // index into gComponents
    BOOL Registered;     // the registered name is passed
    BOOL *DeleteData;    // the delete-data choice, or NULL
};

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
    // The fixed order of removal.
    const WorkerRow rows[] = {
        {COMP_SERVER, TRUE, &gRun.DeleteQueueManagerData},
        {COMP_WINDOWS_NT_CLIENT, TRUE, NULL},
        {COMP_TOOLKIT, TRUE, NULL},
        {COMP_HTML_LIBRARY, TRUE, NULL},
        {COMP_PDF_LIBRARY, FALSE, NULL},
        {COMP_JAVA_CLIENT, TRUE, NULL},
        {COMP_WEB_ADMIN, TRUE, &gRun.DeleteWebAdminData},
        {COMP_INTERNET_GATEWAY, TRUE, NULL},
        {COMP_INTERNET_GATEWAY_DOCS, TRUE, NULL},
        {COMP_LANG_EN_US, FALSE, NULL}, {COMP_LANG_FR_FR, FALSE, NULL}, {COMP_LANG_DE_DE, FALSE, NULL},
        {COMP_LANG_ES_ES, FALSE, NULL}, {COMP_LANG_IT_IT, FALSE, NULL}, {COMP_LANG_JA_JP, FALSE, NULL},
        {COMP_LANG_KO_KR, FALSE, NULL}, {COMP_LANG_PT_BR, FALSE, NULL}, {COMP_LANG_ZH_TW, FALSE, NULL},
        {COMP_LANG_ZH_CN, FALSE, NULL},
    };
    int option = 1;
    for (const WorkerRow &row : rows) {
        if (RemovalStopRequested()) return;
        Component &component = gComponents[row.Component];
        if (!component.Selected) continue;
        const char *registered = row.Registered && component.RecordedName[0] ? component.RecordedName : NULL;
        const char *display = component.NlsNameId ? gComponentDisplayNames[component.NlsNameId] : "";
        gRun.AllSucceeded &= UninstallComponent(component.ValueName, registered, gRun.ProgramFilesPath,
                                                gRun.ProductWorkPath, gRun.LogDefaultPath, gRun.ProgramFolderName,
                                                &w->Status1, &w->Status2, &w->Status3, &w->Progress, display,
                                                row.DeleteData, &option, 0);
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
        PostMessageA(w->Page, gRun.MsgEndDel, 0, 0);
    } else {
        LogLine("Removal stopped: the uninstallation was ended");
    }

    if (SUCCEEDED(com)) CoUninitialize();
    SetEvent(sWorkerFinished);
}

int StartRemovalWorker(WorkerWindows *windows)
{
    RequestRemovalStop(FALSE);
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
