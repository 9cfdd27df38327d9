#include "core/log.h"
#include "core/nls.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"

static INT_PTR CALLBACK ExitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        ShowPageIcon(dialog);
        CentreWindow((HWND)lParam, dialog);
        SetFocus(GetDlgItem(dialog, IDC_RESUME));
        return FALSE;  // the focus is set: no default focus
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_EXIT) EndDialog(dialog, 1);
        else if (LOWORD(wParam) == IDC_RESUME || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

int ConfirmExit(HWND owner, int templateId)
{
    LogLine("->Exit dialog");
    if (LogSilent()) {
        LogLine("  User: Exit");
        return 1;
    }
    HMODULE library = NlsLibrary();
    INT_PTR result = library ? DialogBoxParamA(library, MAKEINTRESOURCEA(templateId), owner, ExitDialogProc,
                                               (LPARAM)owner)
                             : -1;
    // A dialog that cannot be shown never traps the user on the page.
    if (result < 0 || result == 1) {
        LogLine("  User: Exit");
        return 1;
    }
    LogLine("  User: Resume");
    return 0;
}
