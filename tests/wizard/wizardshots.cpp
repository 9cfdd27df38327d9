// Draws every wizard page under Wine and saves a picture of each as a BMP
// file, for the documentation (the Stop-VL dialog and the locked-file pages
// are drawn during a real run by checkshots.exe). The option and component
// pages run with their real procedures on a sample run state, the deleting
// pages in the middle of a real removal of a sample installation
// (C:\vlwizshots_install); the other templates are shown with their pictures only.
// Usage: wizardshots.exe OUTPUT_FOLDER
#include "pageharness.h"
#include "core/log.h"
#include "fixture.h"
#include "engine/worker.h"
#include "core/runstate.h"
#include "wizard/nlsids.h"
#include "core/statusline.h"
#include "wizard/page.h"
#include "wizard/pagetable.h"
#include "windowpicture.h"
#include <commctrl.h>
#include <stdio.h>
#include <string>
#include <vector>

static PageHarness sHarness;
static std::string sFolder;

static void Pump(unsigned ms)
{
    sHarness.PumpUntil([] { return false; }, ms);
}

// A picture of the window in the output folder.
static bool SavePicture(HWND window, const std::string &name)
{
    return SaveWindowPicture(window, sFolder + "\\" + name + ".bmp");
}

static INT_PTR CALLBACK PicturesOnlyProc(HWND page, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG) return FALSE;
    if (GetDlgItem(page, IDC_SIDE_PICTURE)) ShowPageBitmap(page);
    if (GetDlgItem(page, IDC_PAGE_ICON)) ShowPageIcon(page);
    CentreWindow(GetDesktopWindow(), page);
    ShowWindow(page, SW_SHOW);
    if (GetDlgItem(page, IDC_DELETE_ANIMATION)) {
        gRun.DisplayColours = 256;
        StartDeletingAnimation(page);
        SetDlgItemTextA(page, IDC_STATUS_1, "Uninstalling Development Toolkit");
        SetDlgItemTextA(page, IDC_STATUS_2, "Removing the Development Toolkit files");
        SetDlgItemTextA(page, IDC_STATUS_3, "c:\\program files\\norvik\\varolink\\tools\\...\\vlsample.c");
        ProgressReset(GetDlgItem(page, IDC_PROGRESS), 10);
        for (int i = 0; i < 6; i++) ProgressStep(GetDlgItem(page, IDC_PROGRESS));
    }
    if (GetDlgItem(page, IDC_CHECK_STATUS))
        SetDlgItemTextA(page, IDC_CHECK_STATUS, "c:\\program files\\norvik\\varolink\\bin\\avlxssvn.exe");
    if (GetDlgItem(page, IDC_LOCKED_LIST))
        SendDlgItemMessageA(page, IDC_LOCKED_LIST, LB_ADDSTRING, 0,
                            (LPARAM) "C:\\Program Files\\Norvik\\Varolink\\bin\\avlxssvn.exe");
    if (GetDlgItem(page, IDC_PROGRESS) && !GetDlgItem(page, IDC_DELETE_ANIMATION))
        SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, 40, 0);
    return TRUE;
}

static void Shoot(int templateId, const char *name, bool realProcedure)
{
    HWND page;
    if (realProcedure) {
        page = sHarness.Create(templateId);
    } else {
        sHarness.Destroy();
        HRSRC resource = FindResourceA(gRun.NlsDataModule, MAKEINTRESOURCEA(templateId), (LPCSTR)RT_DIALOG);
        const DLGTEMPLATE *tpl = (const DLGTEMPLATE *)LockResource(LoadResource(gRun.NlsDataModule, resource));
        page = CreateDialogIndirectParamA(GetModuleHandleA(NULL), tpl, NULL, PicturesOnlyProc, 0);
        sHarness.Page = page;
    }
    if (!page) {
        printf("cannot create %d\n", templateId);
        return;
    }
    Pump(400);
    SavePicture(page, name);
}

// A deleting page while its worker removes the Development Toolkit of a
// sample installation: the picture is taken once the bar is about half way.
static void ShootDeleting(int templateId, const char *name, BOOL wholeProduct)
{
    FixtureDescription d;
    d.Root = "C:\\vlwizshots_install";
    d.Components = {{"Development Toolkit", ""}};
    for (int i = 0; i < 400; i++)
        d.ListLines.push_back({"toolkit", "\\tools\\c\\samples\\vlsample" + std::to_string(i) + ".c"});
    if (!FixtureInstall(d)) {
        printf("cannot install the sample for %d\n", templateId);
        return;
    }
    RunState saved = gRun;
    lstrcpyA(gRun.ProgramFilesPath, FixtureProgramFolder(d).c_str());
    lstrcpyA(gRun.ProductWorkPath, FixtureWorkFolder(d).c_str());
    lstrcpyA(gRun.UninstFolder, (FixtureProgramFolder(d) + "\\uninst").c_str());
    gRun.ProgramFolderName[0] = gRun.LogDefaultPath[0] = 0;
    gRun.RemoveWholeProduct = wholeProduct;
    gRun.RemoveAllWithData = FALSE;
    gRun.SkipBroadcast = TRUE;
    for (Component &c : gComponents) c.Selected = FALSE;
    gComponents[COMP_TOOLKIT].Selected = TRUE;
    HWND page = sHarness.Create(templateId);
    if (page) {
        HWND bar = GetDlgItem(page, IDC_PROGRESS);
        sHarness.PumpUntil([bar] {
            int top = (int)SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
            return top > 100 && SendMessageA(bar, PBM_GETPOS, 0, 0) * 2 >= top;
        }, 60000);
        Pump(300);
        SavePicture(page, name);
        sHarness.WaitForEnd(120000);
    }
    StopRemovalWorker(90000);
    sHarness.Destroy();
    FixtureRemove(d);
    gRun = saved;
}

static void CALLBACK ShootExitDialog(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindWindowA("#32770", "Exit Varolink Uninstall");
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(NULL, id);
    UpdateWindow(dialog);
    Sleep(100);
    SavePicture(dialog, "21082-exit");
    PostMessageA(GetDlgItem(dialog, IDC_RESUME), BM_CLICK, 0, 0);
}

int main(int argc, char **argv)
{
    if (argc < 2) return 2;
    sFolder = argv[1];
    CreateDirectoryA(sFolder.c_str(), NULL);
    sHarness.Open(false, "C:\\vlwizshots");
    lstrcpyA(gRun.HelpFilePath, "C:\\Varolink\\bin\\avlhlpaw.chm");
    gRun.QueueManagersFound = 1;
    gRun.WebAdminDataExists = TRUE;
    const int installed[] = {COMP_SERVER, COMP_WINDOWS_NT_CLIENT, COMP_JAVA_CLIENT, COMP_TOOLKIT,
                             COMP_INTERNET_GATEWAY, COMP_WEB_ADMIN, COMP_HTML_LIBRARY, COMP_LANG_FR_FR};
    for (int c : installed) gComponents[c].Installed = TRUE;
    gComponents[COMP_JAVA_CLIENT].Incomplete = TRUE;

    Shoot(IDD_MAIN, "21090-main", true);
    Shoot(IDD_SELECT_COMPONENTS, "21084-select-components", true);
    SendDlgItemMessageA(sHarness.Page, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 3);
    Pump(100);
    SavePicture(sHarness.Page, "21084-select-components");
    gComponents[COMP_TOOLKIT].Selected = gComponents[COMP_JAVA_CLIENT].Selected = TRUE;
    gComponents[COMP_SERVER].Selected = gComponents[COMP_WEB_ADMIN].Selected = TRUE;
    Shoot(IDD_CONFIRM_COMPONENTS, "21104-confirm-components-delete", true);
    Shoot(IDD_ASK_DELETE_VL_DATA, "21102-ask-delete-vl-data", true);
    Shoot(IDD_ASK_DELETE_WEBADMIN, "21103-ask-delete-web-administration-data", true);
    Shoot(IDD_CONFIRM_DELETE_KEEP, "21087-confirm-delete-all", true);
    Shoot(IDD_CONFIRM_DELETE_DATA, "21088-confirm-delete-all-data", true);
    SetTimer(NULL, 0, 50, ShootExitDialog);
    ConfirmExit(sHarness.Page, IDD_EXIT);

    Shoot(IDD_VL_RUNNING, "21101-vl-running", false);
    Shoot(IDD_PERFMON_RUNNING, "21105-performance-monitor-running", false);
    ShootDeleting(IDD_DELETING_COMPONENT, "21085-deleting-component", FALSE);
    ShootDeleting(IDD_DELETING_ALL, "21089-deleting-all", TRUE);
    Shoot(IDD_COMPONENT_DELETION_DONE, "21086-component-deletion-complete", false);
    Shoot(IDD_ALL_DELETION_DONE, "21100-all-deletion-complete", false);
    Shoot(IDD_UPGRADING_HELP, "21068-upgrading-help", false);
    sHarness.Close();
    return 0;
}
