// The VL-running page (stops the product through the Stop-VL dialog) and the
// Performance-monitor-running page.
#include "wizard/checkpages.h"
#include "checks/checks.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/response.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/messagebox.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"

enum { NLS_SERVICES_STILL_ACTIVE = 258 };

// The Stop-VL dialog while a stop sequence runs, else NULL (one page at a time).
static HWND sStopDialog;

void ApplyLockedFilesOrCancel(HWND page)
{
    if (!ApplyLockedFilesAnswer(page)) PostMessageA(page, gRun.MsgCancel, 0, 0);
}

static BOOL EitherServiceActive()
{
    return ServiceIsActive("NorvikVarolink") || ServiceIsActive("VarolinkServices");
}

static void EnableButtons(HWND page, BOOL on, BOOL help)
{
    if (help) EnableWindow(GetDlgItem(page, IDC_HELP_BUTTON), on);
    EnableWindow(GetDlgItem(page, IDC_NEXT), on);
    EnableWindow(GetDlgItem(page, IDC_BACK), on);
    EnableWindow(GetDlgItem(page, IDC_CANCEL_PAGE), on);
}

static void InitVlRunning(HWND) { sStopDialog = NULL; }

// Next: stop what runs; the page waits for the dialog's end notice.
static int VlRunningNext(HWND page, WPARAM *choice)
{
    *choice = 0;
    if (!ProductIsRunning(gRun.ProgramFilesPath) && !EitherServiceActive()) return 1;
    if (sStopDialog) return 0;  // a stop is already running
    EnableButtons(page, FALSE, TRUE);
    const DLGTEMPLATE *dialog = FindNlsDialog(gRun.NlsDataModule, isuIDD_STOPSERVICE);
    if (!dialog) {
        LogLine("Unable to load dialog template isuIDD_STOPSERVICE");
        PostQuitMessage(0);
        return 0;
    }
    sStopDialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL), dialog, page, StopSequence, (LPARAM)page);
    if (!sStopDialog) {
        LogLine("Unable to create dialog isuIDD_STOPSERVICE");
        PostQuitMessage(0);
        return 0;
    }
    if (!gRun.SilentMode) ShowWindow(sStopDialog, SW_SHOW);
    return 0;
}

// The Stop-VL dialog has ended: go on unless the services still run.
static void StopEnded(HWND page)
{
    if (sStopDialog) DestroyWindow(sStopDialog);
    sStopDialog = NULL;
    EnableButtons(page, TRUE, FALSE);  // Help stays disabled
    char value[VL_TEXT_SIZE];
    BOOL goOn = ResponseLookup("Varolink", "LockedFiles", value) && TextEqualNoCase(value, "CONTINUE");
    if (!goOn && EitherServiceActive()) {
        char text[VL_TEXT_SIZE];
        LoadNlsString(text, NLS_SERVICES_STILL_ACTIVE);
        ShowMessage(page, text, MB_ICONSTOP);
        PostMessageA(page, gRun.MsgCancel, 0, 0);
        return;
    }
    PostPageEnd(0, PAGE_END_NEXT);
}

// The silent timer applies the "LockedFiles" answer instead of moving on.
static BOOL LockedFilesTimer(HWND page, UINT message, WPARAM wParam)
{
    if (message != WM_TIMER) return FALSE;
    UINT_PTR id = PageTimerId(page);
    if (id && wParam == id) {
        StopPageTimer(page);
        ApplyLockedFilesOrCancel(page);
    }
    return TRUE;
}

static BOOL VlRunningOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (message && message == gRun.MsgStopDlg) {
        StopEnded(page);
        return TRUE;
    }
    if (message == WM_DESTROY && sStopDialog) {
        DestroyWindow(sStopDialog);
        sStopDialog = NULL;
    }
    return LockedFilesTimer(page, message, wParam);
}

static BOOL PerfMonitorOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    return LockedFilesTimer(page, message, wParam);
}

static const PageDefinition kVlRunningPage = {
    "->VL-running dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, InitVlRunning, VlRunningNext, VlRunningOther};
static const PageDefinition kPerfMonitorPage = {
    "->Performance-monitor-running dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, NULL, NULL, PerfMonitorOther};

INT_PTR CALLBACK VlRunningPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kVlRunningPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK PerfMonitorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kPerfMonitorPage, page, message, wParam, lParam);
}
