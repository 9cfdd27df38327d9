// Component-deletion-complete and All-deletion-complete: the outcome, then
// on Finish the status MIF (component removal) or the hand-over to the
// installer's own uninstall program (whole-product removal).
#include "core/log.h"
#include "core/mif.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/messagebox.h"
#include "wizard/handover.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include "wizard/pages.h"

// NLS 253 with the log file's path, as an error box.
static void ShowErrorsMessage(HWND page)
{
    char logPath[VL_PATH_SIZE];
    if (gRun.LogPath[0]) CopyText(logPath, sizeof logPath, gRun.LogPath);
    else if (!FormatText(logPath, sizeof logPath, "%s\\%s", gRun.ProductWorkPath, VL_LOG_FILE_NAME)) logPath[0] = 0;
    char format[VL_TEXT_SIZE], text[VL_TEXT_SIZE];
    LoadNlsString(format, 253);
    if (!FormatText(text, sizeof text, format, logPath)) text[sizeof text - 1] = 0;
    ShowMessage(page, text, MB_OK | MB_ICONSTOP);
}

static void ComponentDoneInit(HWND page)
{
    if (gRun.AllSucceeded) return;
    LogLine("***One or more errors have occurred.");
    LogLine("***Some files might require manual deletion.");
    LogLineF("***Check program folder '%s\\*'", gRun.ProgramFilesPath);
    LogLineF("***Check data folder '%s\\*'", gRun.ProductWorkPath);
    LogLineF("***Check log folder '%s\\*'", gRun.LogDefaultPath);
    LogLine("***Some registry entries might require manual deletion.");
    LogLine("***Check 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink'");
    ShowErrorsMessage(page);
}

static void AllDoneInit(HWND page)
{
    if (!gRun.AllSucceeded) ShowErrorsMessage(page);
}

static void WriteMif()
{
    if (!gRun.MifName[0]) return;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, gRun.AllSucceeded ? 282 : 283);
    WriteStatusMif(text, gRun.MifName, gRun.AllSucceeded);
}

// Only Finish acts among the buttons; it goes through the Next message like
// the silent timer.
static BOOL FinishOnly(HWND page, UINT message, WPARAM wParam)
{
    if (message != WM_COMMAND) return FALSE;
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_NEXT) PostMessageA(page, gRun.MsgNext, 0, 0);
    return TRUE;
}

static BOOL ComponentDoneOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (FinishOnly(page, message, wParam)) return TRUE;
    if (message && message == gRun.MsgNext) {
        LogLine("  User: Finish");
        WriteMif();
        PostPageEnd(0, PAGE_END_NEXT);
        return TRUE;
    }
    if (message == WM_CLOSE) {
        LogLine("  User: Close");
        WriteMif();
        PostPageEnd(0, PAGE_END_RUN);
        return TRUE;
    }
    *result = 0;
    return FALSE;
}

static BOOL AllDoneOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (FinishOnly(page, message, wParam)) return TRUE;
    if (message && message == gRun.MsgNext) {
        LogLine("  User: Finish");
        RunInstallerUninstall();
        PostPageEnd(0, PAGE_END_NEXT);
        return TRUE;
    }
    *result = 0;
    return FALSE;   // the close box: the skeleton's Exit question
}

static const PageDefinition kComponentDonePage = {
    "->Component-deletion-complete dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, ComponentDoneInit, NULL,
    ComponentDoneOther};
static const PageDefinition kAllDonePage = {
    "->All-deletion-complete dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, AllDoneInit, NULL, AllDoneOther};

INT_PTR CALLBACK ComponentDeletionCompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kComponentDonePage, page, message, wParam, lParam);
}

INT_PTR CALLBACK AllDeletionCompletePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kAllDonePage, page, message, wParam, lParam);
}
