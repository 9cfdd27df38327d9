// Deleting-component and Deleting-all: one behaviour. The page starts the
// removal worker and waits for its end notice; only Cancel (and the close
// box) act, through the Exit question. The worker is driven by its own
// thread in both modes, so the page has no silent timer.
#include "core/log.h"
#include "core/runstate.h"
#include "engine/worker.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include "wizard/pages.h"

static void DeletingInit(HWND page)
{
    if (!gRun.SilentMode) StartDeletingAnimation(page);
    // The record belongs to the GUI thread until the worker starts; the page
    // touches it no more afterwards.
    gRun.Worker.Page = page;
    gRun.Worker.Status1 = GetDlgItem(page, IDC_STATUS_1);
    gRun.Worker.Status2 = GetDlgItem(page, IDC_STATUS_2);
    gRun.Worker.Status3 = GetDlgItem(page, IDC_STATUS_3);
    gRun.Worker.Progress = GetDlgItem(page, IDC_PROGRESS);
    StartRemovalWorker(&gRun.Worker);
}

static BOOL DeletingOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_CANCEL_PAGE) {
            LogLine("  User: Cancel");
            PostMessageA(page, gRun.MsgCancel, 0, 0);
        }
        return TRUE;
    }
    if (message && message == gRun.MsgEndDel) {
        PostPageEnd(0, PAGE_END_NEXT);
        return TRUE;
    }
    // Next never comes from this page; a stray one must not end it.
    if (message && message == gRun.MsgNext) return TRUE;
    if (message == WM_TIMER) return TRUE;
    *result = 0;
    return FALSE;   // Cancel and the close box: the skeleton's Exit question
}

static const PageDefinition kDeletingComponentPage = {
    "->Deleting-component dialog", PAGE_PICTURE_BITMAP, FALSE, TRUE, DeletingInit, NULL, DeletingOther};
static const PageDefinition kDeletingAllPage = {
    "->Deleting-all dialog", PAGE_PICTURE_BITMAP, FALSE, TRUE, DeletingInit, NULL, DeletingOther};

INT_PTR CALLBACK DeletingComponentPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kDeletingComponentPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK DeletingAllPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kDeletingAllPage, page, message, wParam, lParam);
}
