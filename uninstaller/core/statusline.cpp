#include "core/statusline.h"
#include "core/mbchar.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <commctrl.h>
#include <string.h>

static BOOL OnControlThread(HWND control)
{
    return GetWindowThreadProcessId(control, NULL) == GetCurrentThreadId();
}

// Sends to a control of the GUI thread: directly on that thread, with a time
// limit from any other.
static LRESULT SendToControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(control)) return 0;
    if (OnControlThread(control)) return SendMessageA(control, message, wParam, lParam);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, lParam, SMTO_NORMAL, VL_STATUS_SEND_TIMEOUT_MS, &result))
        return 0;
    return (LRESULT)result;
}

// Sends a message that needs no answer (and carries no pointer): directly on
// the control's thread; from any other it is queued without waiting, among
// the messages this thread sends, so it is handled before any message the
// thread sends after it.
static void NotifyControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(control)) return;
    if (OnControlThread(control)) SendMessageA(control, message, wParam, lParam);
    else SendNotifyMessageA(control, message, wParam, lParam);
}

// The steps a thread other than the bar's has made and not sent yet. Each
// thread has its own (thread_local): only the thread that counted them
// sends them.
struct PendingSteps {
    HWND Bar;
    int Count;
    DWORD LastSent;   // GetTickCount of the last send
};
static thread_local PendingSteps tPending;

// Moves the bar by the counted steps; with wait, returns once it has moved.
static void SendPendingSteps(BOOL wait)
{
    if (tPending.Bar && tPending.Count > 0) {
        if (wait) SendToControl(tPending.Bar, PBM_DELTAPOS, (WPARAM)tPending.Count, 0);
        else NotifyControl(tPending.Bar, PBM_DELTAPOS, (WPARAM)tPending.Count, 0);
    }
    tPending.Count = 0;
    tPending.LastSent = GetTickCount();
}

void ProgressFlush()
{
    SendPendingSteps(TRUE);
}

// Steps counted for another bar are sent before this bar's are counted.
static void CountFor(HWND bar)
{
    if (tPending.Bar == bar) return;
    SendPendingSteps(FALSE);
    tPending.Bar = bar;
    // The first step on a bar shows at once.
    tPending.LastSent = GetTickCount() - VL_PROGRESS_SEND_MS;
}

int SetStatusText(HWND control, const char *text, BOOL isPath)
{
    if (LogSilent()) return 1;
    char copy[VL_TEXT_SIZE];
    if (!CopyText(copy, sizeof copy, text)) MbDropCutLead(copy);   // never half a character
    if (isPath && MbFindChar(copy, '\\')) {
        LowerText(copy);
        RECT area;
        GetClientRect(control, &area);
        HDC controlDc = GetDC(control);
        HDC memoryDc = controlDc ? CreateCompatibleDC(controlDc) : NULL;
        if (memoryDc) {
            HFONT font = (HFONT)SendToControl(control, WM_GETFONT, 0, 0);
            HGDIOBJ oldFont = font ? SelectObject(memoryDc, font) : NULL;
            // DT_MODIFYSTRING may write up to four characters more than the text.
            if (strlen(copy) + 5 < sizeof copy)
                DrawTextExA(memoryDc, copy, -1, &area,
                            DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING, NULL);
            if (oldFont) SelectObject(memoryDc, oldFont);
            DeleteDC(memoryDc);
        }
        if (controlDc) ReleaseDC(control, controlDc);
    }
    return SendToControl(control, WM_SETTEXT, 0, (LPARAM)copy) ? 1 : 0;
}

void ProgressReset(HWND bar, int count)
{
    if (!bar) return;
    if (!OnControlThread(bar)) {
        // Steps counted before the reset belong to the old range.
        CountFor(bar);
        tPending.Count = 0;
        tPending.LastSent = GetTickCount() - VL_PROGRESS_SEND_MS;
    }
    NotifyControl(bar, PBM_SETRANGE32, 0, count);
    NotifyControl(bar, PBM_SETSTEP, 1, 0);
    NotifyControl(bar, PBM_SETPOS, 0, 0);
}

void ProgressAdvance(HWND bar, int steps)
{
    if (!bar || steps <= 0) return;
    if (OnControlThread(bar)) {
        if (steps == 1) SendMessageA(bar, PBM_STEPIT, 0, 0);
        else SendMessageA(bar, PBM_DELTAPOS, (WPARAM)steps, 0);
        return;
    }
    CountFor(bar);
    tPending.Count += steps;
    if (GetTickCount() - tPending.LastSent >= (DWORD)VL_PROGRESS_SEND_MS) SendPendingSteps(FALSE);
}

void ProgressStep(HWND bar)
{
    ProgressAdvance(bar, 1);
}

int ProgressPosition(HWND bar)
{
    if (!bar) return 0;
    // The counted steps go first, so the answer includes them.
    if (tPending.Bar == bar) SendPendingSteps(FALSE);
    return (int)SendToControl(bar, PBM_GETPOS, 0, 0);
}

int ProgressRangeTop(HWND bar)
{
    if (!bar) return 0;
    return (int)SendToControl(bar, PBM_GETRANGE, FALSE, 0);
}
