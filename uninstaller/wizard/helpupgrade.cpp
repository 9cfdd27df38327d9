// The Upgrading-help dialog: starts the HTML Help upgrade program and keeps a
// progress bar moving until it has ended.
#include "core/launch.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/fileprobes.h"
#include "wizard/help.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include <commctrl.h>

enum { UPGRADE_TIMER_MS = 50 };

static UINT_PTR sUpgradeTimer;
static int sUpgradeCounter;

// HHUPD.EXE in the uninstallation folder F, or else in
// <parent of F's parent>\Prereqs\HTMLHelp\<last part of F>.
static BOOL FindUpgradeProgram(char *program, char *folder)
{
    SharedLogBlock *block = LogBlock();
    const char *uninst = block ? block->UninstFolder : "";
    if (!CopyText(folder, VL_PATH_SIZE, uninst)) return FALSE;
    if (!FormatText(program, VL_PATH_SIZE, "%s\\%s", folder, "HHUPD.EXE")) return FALSE;
    if (FileExists(program)) return TRUE;
    char parent[VL_PATH_SIZE], last[VL_PATH_SIZE], grandParent[VL_PATH_SIZE];
    SplitPath(uninst, parent, last);
    SplitPath(parent, grandParent, NULL);
    if (!FormatText(folder, VL_PATH_SIZE, "%s\\Prereqs\\HTMLHelp\\%s", grandParent, last)) return FALSE;
    // A missing program is not handed to the shell, which would stop on an error box.
    return FormatText(program, VL_PATH_SIZE, "%s\\%s", folder, "HHUPD.EXE") && FileExists(program);
}

static INT_PTR CALLBACK UpgradeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        LogLine("->Upgrading-help dialog");
        sUpgradeTimer = 0;
        ShowPageIcon(dialog);
        CentreWindow(GetDesktopWindow(), dialog);
        sUpgradeCounter = 0;
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
        SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        char program[VL_PATH_SIZE], folder[VL_PATH_SIZE];
        if (FindUpgradeProgram(program, folder) && LaunchProcess(NULL, program, folder, " "))
            sUpgradeTimer = SetTimer(dialog, PAGE_TIMER_ID, UPGRADE_TIMER_MS, NULL);
        else
            EndDialog(dialog, 0);
        return TRUE;
    }
    if (message == WM_TIMER && sUpgradeTimer && wParam == sUpgradeTimer) {
        DWORD exitCode;
        if (PollLaunchedProcess(&exitCode)) {
            if (++sUpgradeCounter > 100) sUpgradeCounter = 0;
            SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, sUpgradeCounter, 0);
        } else {
            KillTimer(dialog, sUpgradeTimer);
            sUpgradeTimer = 0;
            EndDialog(dialog, 1);
        }
        return TRUE;
    }
    return FALSE;
}

int RunHelpUpgradeDialog(HWND owner)
{
    HMODULE library = NlsLibrary();
    if (!library) return -1;
    return (int)DialogBoxParamA(library, MAKEINTRESOURCEA(IDD_UPGRADING_HELP), owner, UpgradeDialogProc, 0);
}
