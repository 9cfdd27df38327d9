// Checking-locked-files: tests every file of the selected components' lists
// with the lock test, one list line per message so the page, its bar and
// Cancel stay live. Locked-files-found: shows what is held.
#include "wizard/checkpages.h"
#include "checks/checks.h"
#include "checks/lockcheck.h"
#include "core/log.h"
#include "core/mbchar.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/listline.h"
#include "core/statusline.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The check of the page that exists now (GUI thread only).
struct LockCheckState {
    LockCheckEntry *Queue;
    FILE *List;
    char BaseFolder[VL_PATH_SIZE];
    int Locked;
    BOOL PerfLocked;
    BOOL CommonLocked;
    BOOL Asking;        // the Exit question is open: steps wait
    BOOL StepPending;   // a step arrived while asking
    HWND Status;        // the page's current-file line and bar, looked up once
    HWND Bar;
    char Current[VL_PATH_SIZE];  // the last file tested, shown once per slice
};
static LockCheckState sCheck;

static void CloseList()
{
    if (sCheck.List) fclose(sCheck.List);
    sCheck.List = NULL;
}

static void ResetCheck()
{
    CloseList();
    FreeLockCheckQueue(&sCheck.Queue);
    FreePathList(LockedFileList());
    sCheck = LockCheckState();
}

static void InitChecking(HWND page)
{
    ResetCheck();
    sCheck.Status = GetDlgItem(page, IDC_CHECK_STATUS);
    sCheck.Bar = GetDlgItem(page, IDC_PROGRESS);
    BuildLockCheckList(&sCheck.Queue, sCheck.Bar);
    StartPageTimer(page, PAGE_SILENT_DELAY_MS);
}

// Tests one listed file (one step of the bar, which the caller makes).
static void CheckListedFile(const char *relative)
{
    char path[VL_PATH_SIZE];
    if (!RelativePathIsContained(relative)) {
        // A list line that climbs out of its folder names nothing of this product.
        LogLineF("***Listed path outside '%s' not checked: '%s'", sCheck.BaseFolder, relative);
        return;
    }
    if (!FormatText(path, sizeof path, "%s%s", sCheck.BaseFolder, relative)) {
        LogLineF("***Path too long: '%s%s'", sCheck.BaseFolder, relative);
        return;
    }
    CopyText(sCheck.Current, sizeof sCheck.Current, path);
    if (!FileIsLocked(path) || !AddUniquePath(LockedFileList(), path)) return;
    sCheck.Locked++;
    LowerText(path);
    if (MbFindText(path, "avlmperf.dll")) sCheck.PerfLocked = TRUE;
    if (MbFindText(path, "avlxcs2.dll")) sCheck.CommonLocked = TRUE;
}

static void FinishCheck()
{
    LogLineF("%d locked files:", sCheck.Locked);
    if (sCheck.Locked > 0)
        for (PathNode *node = *LockedFileList(); node; node = node->Next) LogLineF("  '%s'", node->Path);
    // The performance monitor alone (with or without the common library it
    // loads) does not stop the removal.
    BOOL monitorOnly = (sCheck.Locked == 1 && sCheck.PerfLocked) ||
                       (sCheck.Locked == 2 && sCheck.PerfLocked && sCheck.CommonLocked);
    gRun.LockedFilesFound = monitorOnly ? FALSE : sCheck.Locked > 0;
    PostPageEnd(0, PAGE_END_NEXT);
}

// One step: open the next list, or test one line (counted in *steps). TRUE
// when the check is done.
static BOOL CheckStep(int *steps)
{
    if (!sCheck.List || feof(sCheck.List)) {
        CloseList();
        LockCheckEntry *entry = TakeLockCheckEntry(&sCheck.Queue);
        if (!entry) return TRUE;
        sCheck.List = fopen(entry->ListPath, "rt");
        CopyText(sCheck.BaseFolder, sizeof sCheck.BaseFolder, entry->BaseFolder);
        FreeLockCheckEntry(entry);
        return FALSE;
    }
    char line[LIST_LINE_SIZE];
    if (!fgets(line, sizeof line, sCheck.List)) return ferror(sCheck.List) != 0;
    const char *relative = ListLinePath(line);
    if (relative) {
        ++*steps;
        CheckListedFile(relative);
    }
    return FALSE;
}

// The steps one message handles: lines are read for up to a slice of time
// (at least one line). Posting the next message, moving the bar and drawing
// the current file cost more than testing a file, so they are done once per
// slice: the bar moves once for all lines the slice tested and the status
// line shows the last of them. A shown page redraws both at the end of each
// slice, which costs it more than a hidden one: its slices are longer, and
// between two of them it still paints and takes Cancel within a twentieth
// of a second.
enum { CHECK_SLICE_MS = 20, SHOWN_CHECK_SLICE_MS = 50 };

static BOOL CheckSlice()
{
    int steps = 0;
    BOOL done;
    DWORD slice = gRun.SilentMode ? CHECK_SLICE_MS : SHOWN_CHECK_SLICE_MS;
    DWORD start = GetTickCount();
    sCheck.Current[0] = 0;
    do {
        done = CheckStep(&steps);
    } while (!done && GetTickCount() - start < slice);
    if (sCheck.Current[0]) SetStatusText(sCheck.Status, sCheck.Current, TRUE);
    ProgressAdvance(sCheck.Bar, steps);
    return done;
}

static void Cancel(HWND page)
{
    LogLine("  User: Cancel");
    sCheck.Asking = TRUE;
    int exit = ConfirmExit(page, IDD_EXIT);
    sCheck.Asking = FALSE;
    if (exit == 1) {
        PostPageEnd(0, PAGE_END_RUN);
    } else if (sCheck.StepPending) {
        sCheck.StepPending = FALSE;
        PostMessageA(page, gRun.MsgNext, 0, 0);
    }
}

static BOOL CheckingOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (message == WM_TIMER) {
        UINT_PTR id = PageTimerId(page);
        if (id && wParam == id) {
            LogLine("Next");
            StopPageTimer(page);
            PostMessageA(page, gRun.MsgNext, 0, 0);
        }
        return TRUE;
    }
    if (message && message == gRun.MsgNext) {
        if (sCheck.Asking) sCheck.StepPending = TRUE;
        else if (CheckSlice()) FinishCheck();
        else PostMessageA(page, gRun.MsgNext, 0, 0);
        return TRUE;
    }
    if (message && message == gRun.MsgCancel) {
        Cancel(page);
        return TRUE;
    }
    if (message == WM_CLOSE || message == WM_COMMAND) {
        *result = FALSE;  // no buttons, and the close box is ignored
        return TRUE;
    }
    if (message == WM_DESTROY) {
        // The locked paths stay for the Locked-files-found page.
        CloseList();
        FreeLockCheckQueue(&sCheck.Queue);
    }
    return FALSE;
}

static int sWidestLocked;

static void InitLockedFound(HWND page)
{
    sWidestLocked = 0;
    // The list is emptied as the page takes its entries.
    while (PathNode *node = PopPath(LockedFileList())) {
        SendDlgItemMessageA(page, IDC_LOCKED_LIST, LB_ADDSTRING, 0, (LPARAM)node->Path);
        WidenListExtent(page, IDC_LOCKED_LIST, &sWidestLocked, node->Path);
        FreePathNode(node);
    }
}

static BOOL LockedFoundOther(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    *result = TRUE;
    if (message != WM_TIMER) return FALSE;
    UINT_PTR id = PageTimerId(page);
    if (id && wParam == id) {
        StopPageTimer(page);
        ApplyLockedFilesOrCancel(page);
    }
    return TRUE;
}

static const PageDefinition kCheckingPage = {
    "->Checking-locked-files dialog", PAGE_PICTURE_ICON, FALSE, TRUE, InitChecking, NULL, CheckingOther};
static const PageDefinition kLockedFoundPage = {
    "->Locked-files-found dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, InitLockedFound, NULL, LockedFoundOther};

INT_PTR CALLBACK CheckingLockedFilesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kCheckingPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK LockedFilesFoundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kLockedFoundPage, page, message, wParam, lParam);
}
