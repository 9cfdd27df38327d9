#include "app/pageflow.h"
#include "checks/checks.h"
#include "core/log.h"
#include "core/nls.h"
#include "app/pagetransition.h"
#include "app/runrecord.h"
#include "core/runstate.h"
#include "wizard/pagetable.h"

static void EndRun() { PostQuitMessage(0); }

static LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        EndRun();
        return 0;
    }
    if (message && message == gRun.MsgStartMain) {
        ShowNextPage(0, 0);
        return 0;
    }
    if (message && message == gRun.MsgStopDlg) {
        PageDone(wParam, lParam);
        if (lParam == HOW_END) EndRun();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL CreateMainWindow(HINSTANCE instance)
{
    gRun.MsgStartMain = RegisterWindowMessageA("VarolinkUninstallStartMain");
    gRun.MsgStopDlg = RegisterWindowMessageA("VarolinkUninstallStopDlg");
    gRun.MsgEndDel = RegisterWindowMessageA("VarolinkUninstallEndDel");
    gRun.MsgNext = RegisterWindowMessageA("VarolinkUninstallNext");
    gRun.MsgCancel = RegisterWindowMessageA("VarolinkUninstallCancel");
    if (!gRun.MsgStartMain || !gRun.MsgStopDlg || !gRun.MsgEndDel || !gRun.MsgNext || !gRun.MsgCancel)
        return FALSE;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "VarolinkUninstall";
    if (!RegisterClassA(&windowClass)) return FALSE;

    gRun.MainWindow = CreateWindowA("VarolinkUninstall", "Uninstall", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 600, 400, NULL, NULL, instance, NULL);
    return gRun.MainWindow != NULL;
}

int RunMessageLoop()
{
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        if (gRun.CurrentPage && IsWindow(gRun.CurrentPage) && IsDialogMessageA(gRun.CurrentPage, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}

void PageDone(WPARAM choice, LPARAM how)
{
    if (gRun.CurrentPage) ShowWindow(gRun.CurrentPage, SW_HIDE);
    if (how == HOW_NEXT || how == HOW_BACK) ShowNextPage(choice, how);
    else EndRun();
}

static int RunningTest() { return ProductIsRunning(gRun.ProgramFilesPath); }

void ShowNextPage(WPARAM choice, LPARAM how)
{
    PageFlowState state = {};
    state.SilentMode = gRun.SilentMode;
    state.RemoveSelected = gRun.RemoveSelected;
    state.RemoveAllWithData = gRun.RemoveAllWithData;
    state.DeleteQueueManagerData = gRun.DeleteQueueManagerData;
    state.LockedFilesFound = gRun.LockedFilesFound;
    state.QueueManagersFound = gRun.QueueManagersFound;
    state.ServerSelected = ServerSelected();
    state.WebAdminDataExists = gRun.WebAdminDataExists;
    state.WebAdminSelected = WebAdminSelected();
    state.ProductIsRunning = RunningTest;
    state.PerfMonitorDllLocked = PerfMonitorDllLocked;

    int next = NextPageId(gRun.CurrentPageId, (int)how, (int)choice, &state);
    if (next == PAGE_NONE) {
        EndRun();
        return;
    }
    const DLGTEMPLATE *page = FindNlsDialog(gRun.NlsDataModule, next);
    DLGPROC procedure = PageProcedure(next);
    if (!page || !procedure) {
        // A missing template (or a page without a procedure) ends the run; the hidden old page stays.
        EndRun();
        return;
    }
    if (gRun.CurrentPage) {
        DestroyWindow(gRun.CurrentPage);
        gRun.CurrentPage = NULL;
    }
    // The deleting page starts the removal as it is created.
    if (next == PAGE_DELETING_COMPONENT || next == PAGE_DELETING_ALL) RunRecordRemovalStarts();
    HWND window = CreateDialogIndirectParamA(GetModuleHandleA(NULL), page, NULL, procedure, 0);
    if (!window) {
        gRun.CurrentPageId = 0;
        EndRun();
        return;
    }
    gRun.CurrentPage = window;
    gRun.CurrentPageId = next;
    if (!gRun.SilentMode) ShowWindow(window, SW_SHOW);
}
