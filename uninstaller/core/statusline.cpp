#include "core/statusline.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <commctrl.h>
#include <string.h>

// Sends to a control of the GUI thread: directly on that thread, with a time
// limit from any other.
static LRESULT SendToControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(control)) return 0;
    if (GetWindowThreadProcessId(control, NULL) == GetCurrentThreadId())
        return SendMessageA(control, message, wParam, lParam);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(control, message, wParam, lParam, SMTO_NORMAL, VL_STATUS_SEND_TIMEOUT_MS, &result))
        return 0;
    return (LRESULT)result;
}

int SetStatusText(HWND control, const char *text, BOOL isPath)
{
    if (LogSilent()) return 1;
    char copy[VL_TEXT_SIZE];
    CopyText(copy, sizeof copy, text);
    if (isPath && strchr(copy, '\\')) {
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
    SendToControl(bar, PBM_SETRANGE32, 0, count);
    SendToControl(bar, PBM_SETSTEP, 1, 0);
    SendToControl(bar, PBM_SETPOS, 0, 0);
}

void ProgressStep(HWND bar)
{
    if (bar) SendToControl(bar, PBM_STEPIT, 0, 0);
}
