#include "wizard/page.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "wizard/help.h"
#include "wizard/nlsids.h"
#include <commctrl.h>
#include <string.h>

static const char kTimerProperty[] = "isuPageTimer";

// Used for the picture cache when there is no shared log block.
static DWORD sLocalBitmap, sLocalIcon;

void PostPageEnd(WPARAM choice, LPARAM how)
{
    PostMessageA(gRun.MainWindow, gRun.MsgStopDlg, choice, how);
}

void StartPageTimer(HWND page, UINT ms)
{
    UINT_PTR id = SetTimer(page, PAGE_TIMER_ID, ms, NULL);
    SetPropA(page, kTimerProperty, (HANDLE)id);
}

UINT_PTR PageTimerId(HWND page)
{
    return (UINT_PTR)GetPropA(page, kTimerProperty);
}

void StopPageTimer(HWND page)
{
    UINT_PTR id = PageTimerId(page);
    if (id) KillTimer(page, id);
    SetPropA(page, kTimerProperty, (HANDLE)0);
}

void CancelPage(HWND page)
{
    if (ConfirmExit(page, IDD_EXIT) == 1) PostPageEnd(0, PAGE_END_RUN);
}

static void ShowPageAndHelp(HWND page, BOOL needsPrerequisites)
{
    ShowWindow(page, SW_SHOW);
    BOOL help = gRun.HelpFilePath[0] != 0;
    if (needsPrerequisites && (gRun.HtmlHelpMissing || gRun.IeMissing)) help = FALSE;
    if (help) ShowWindow(GetDlgItem(page, IDC_HELP_BUTTON), SW_SHOW);
}

INT_PTR RunPageSkeleton(const PageDefinition *definition, HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = 0;
    if (message == WM_INITDIALOG) {
        LogLine(definition->EntryLine);
        SetPropA(page, kTimerProperty, (HANDLE)0);
        if (definition->Picture == PAGE_PICTURE_BITMAP) ShowPageBitmap(page);
        if (definition->Picture == PAGE_PICTURE_ICON) ShowPageIcon(page);
        CentreWindow(GetDesktopWindow(), page);
        if (!gRun.SilentMode) ShowPageAndHelp(page, definition->HelpNeedsPrerequisites);
        if (definition->Init) definition->Init(page);
        if (gRun.SilentMode && !definition->OwnSilentTimer) StartPageTimer(page, PAGE_SILENT_DELAY_MS);
        return TRUE;
    }
    if (definition->Other && definition->Other(page, message, wParam, lParam, &result)) return result;

    if (message == WM_TIMER) {
        // Only the page's own timer counts; a foreign id is ignored.
        UINT_PTR id = PageTimerId(page);
        if (id && wParam == id) {
            StopPageTimer(page);
            PostMessageA(page, gRun.MsgNext, 0, 0);
        }
        return TRUE;
    }
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            PostMessageA(page, gRun.MsgNext, 0, 0);
            return TRUE;
        case IDC_CANCEL_PAGE:
            PostMessageA(page, gRun.MsgCancel, 0, 0);
            return TRUE;
        case IDC_BACK:
            LogLine("  User: Back");
            PostPageEnd(0, PAGE_END_BACK);
            return TRUE;
        case IDC_HELP_BUTTON:
            LogLine("  User: Help");
            ShowHelpTopic(page, "iuninsta.htm");
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_CLOSE) {
        LogLine("  User: Close");
        CancelPage(page);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        StopPageTimer(page);
        RemovePropA(page, kTimerProperty);
        return FALSE;
    }
    if (message && message == gRun.MsgNext) {
        LogLine("  User: Next");
        WPARAM choice = 0;
        if (!definition->Next || definition->Next(page, &choice)) PostPageEnd(choice, PAGE_END_NEXT);
        return TRUE;
    }
    if (message && message == gRun.MsgCancel) {
        LogLine("  User: Cancel");
        CancelPage(page);
        return TRUE;
    }
    return FALSE;
}

void CentreWindow(HWND reference, HWND window)
{
    RECT area, own;
    if (!GetWindowRect(reference, &area) || !GetWindowRect(window, &own)) return;
    int w = own.right - own.left, h = own.bottom - own.top;
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

int CountDisplayColours(HWND window)
{
    HDC dc = GetDC(window);
    if (!dc) {
        LogLine("Unable to get number of supported colors");
        return 16;
    }
    int colours = GetDeviceCaps(dc, NUMCOLORS);
    ReleaseDC(window, dc);
    // More than 256 colours is reported as -1.
    if (colours < 0) colours = 256;
    LogLineF("Video subsystem supports %d colors", colours);
    return colours;
}

// The side picture suited to the page: small when 166 dialog units map to
// fewer than 265 pixels, each in a 16- and a 256-colour version.
int SideBitmapId(HWND page, int colours)
{
    RECT box = {0, 0, 166, 166};
    BOOL small = MapDialogRect(page, &box) && (box.bottom - box.top) < 265;
    if (small) return colours >= 256 ? IDB_SIDE_SMALL_256 : IDB_SIDE_SMALL_16;
    return colours >= 256 ? IDB_SIDE_LARGE_256 : IDB_SIDE_LARGE_16;
}

// The cached bitmap and icon live in 32-bit words of the shared log block.
// GDI and USER handles are 32-bit values on 64-bit Windows too (so that 32-
// and 64-bit programs can share them); a 64-bit build widens the word back
// with sign extension, as Windows does.
static HANDLE CachedHandle(DWORD word)
{
    return LongToHandle((LONG)word);
}

void ShowPageBitmap(HWND page)
{
    int colours = CountDisplayColours(page);
    int id = SideBitmapId(page, colours);
    SharedLogBlock *block = LogBlock();
    DWORD *cache = block ? &block->WizardBitmap : &sLocalBitmap;
    // Loaded once per run; later pages reuse it whatever their size.
    if (!*cache) {
        HMODULE library = NlsLibrary();
        if (library) *cache = HandleToUlong(LoadBitmapA(library, MAKEINTRESOURCEA(id)));
    }
    if (*cache)
        SendDlgItemMessageA(page, IDC_SIDE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)CachedHandle(*cache));
}

void ShowPageIcon(HWND dialog)
{
    SharedLogBlock *block = LogBlock();
    DWORD *cache = block ? &block->WizardIcon : &sLocalIcon;
    if (!*cache) {
        HMODULE library = NlsLibrary();
        if (library) *cache = HandleToUlong(LoadIconA(library, MAKEINTRESOURCEA(IDI_PAGE)));
    }
    if (*cache) SendDlgItemMessageA(dialog, IDC_PAGE_ICON, STM_SETICON, (WPARAM)CachedHandle(*cache), 0);
}

// Opens a clip of the program's own resources (the control's instance) and
// plays it endlessly from the first to the last frame.
static void PlayClip(HWND page, int controlId, int clip)
{
    HWND control = GetDlgItem(page, controlId);
    if (!control) return;
    SendMessageA(control, ACM_OPENA, 0, (LPARAM)MAKEINTRESOURCEA(clip));
    SendMessageA(control, ACM_PLAY, (WPARAM)-1, MAKELONG(0, 0xFFFF));
}

void StartMainAnimation(HWND page)
{
    PlayClip(page, IDC_MAIN_ANIMATION, gRun.DisplayColours >= 256 ? IDA_MAIN_256 : IDA_MAIN_16);
}

void StartDeletingAnimation(HWND page)
{
    BOOL rich = gRun.DisplayColours >= 256 || gRun.DisplayColours <= 0;
    PlayClip(page, IDC_DELETE_ANIMATION, rich ? IDA_DELETING_256 : IDA_DELETING_16);
}

void WidenListExtent(HWND page, int listId, int *widest, const char *text)
{
    HWND list = GetDlgItem(page, listId);
    HDC dc = list ? GetDC(list) : NULL;
    if (!dc) return;
    // Measure with the list's own font, not the display context's default.
    HFONT font = (HFONT)SendMessageA(list, WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : NULL;
    int length = (int)strlen(text);
    SIZE size = {0, 0};
    TEXTMETRICA metrics = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    GetTextMetricsA(dc, &metrics);
    int width = size.cx - metrics.tmOverhang;
    if (width == 0) width = length * metrics.tmMaxCharWidth;
    if (oldFont) SelectObject(dc, oldFont);
    ReleaseDC(list, dc);
    if (width > *widest) {
        *widest = width;
        SendMessageA(list, LB_SETHORIZONTALEXTENT, (WPARAM)width, 0);
    }
}
