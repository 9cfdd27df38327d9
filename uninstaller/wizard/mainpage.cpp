// The Main page: remove selected components, the whole product keeping its
// data, or the whole product with its data.
#include "core/log.h"
#include "core/response.h"
#include "core/runstate.h"
#include "core/text.h"
#include "wizard/componentorder.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include "wizard/pages.h"

static int CountInstalledComponents()
{
    int count = 0;
    for (int i = 0; i < LISTED_COMPONENT_COUNT; i++)
        if (gComponents[kSelectOrder[i]].Installed) count++;
    return count;
}

static void PresetOptions(HWND page)
{
    int installed = CountInstalledComponents();
    BOOL noData = !gRun.QueueManagersFound && !gRun.WebAdminDataExists;
    if (installed == 0) {
        EnableWindow(GetDlgItem(page, IDC_OPTION_COMPONENTS), FALSE);
        gRun.RemoveSelected = FALSE;
    }
    // Keeping data only makes sense when there is data to keep.
    if (noData) {
        EnableWindow(GetDlgItem(page, IDC_OPTION_REMOVE), FALSE);
        gRun.RemoveAllKeepData = FALSE;
    }
    int option;
    if (gRun.RemoveSelected && installed > 0) option = IDC_OPTION_COMPONENTS;
    else if (gRun.RemoveAllKeepData) option = IDC_OPTION_REMOVE;
    else if (gRun.RemoveAllWithData) option = IDC_OPTION_REMOVE_DATA;
    else if (installed > 0) option = IDC_OPTION_COMPONENTS;
    else if (noData) option = IDC_OPTION_REMOVE_DATA;
    else option = IDC_OPTION_REMOVE;
    CheckRadioButton(page, IDC_OPTION_COMPONENTS, IDC_OPTION_REMOVE_DATA, option);
}

static void ReadSilentChoice(HWND page)
{
    char value[VL_TEXT_SIZE];
    if (!ResponseLookup("Varolink", "Varolink", value)) {
        // Nothing to decide from: the page cancels itself like a user would.
        SendDlgItemMessageA(page, IDC_CANCEL_PAGE, BM_CLICK, 0, 0);
        return;
    }
    if (TextEqualNoCase(value, "REMOVE")) gRun.RemoveAllKeepData = TRUE;
    else if (TextEqualNoCase(value, "REMOVEDATA")) gRun.RemoveAllWithData = TRUE;
    else if (TextEqualNoCase(value, "REMOVECOMPONENTS")) gRun.RemoveSelected = TRUE;
    else {
        LogLineF("Unknown value [%s] %s=%s", "Varolink", "Varolink", value);
        PostMessageA(page, gRun.MsgCancel, 0, 0);
    }
    StartPageTimer(page, PAGE_SILENT_DELAY_MS);
}

static void InitMainPage(HWND page)
{
    if (!gRun.SilentMode) PresetOptions(page);
    // Each visit starts a new selection.
    for (int i = 0; i < COMPONENT_COUNT; i++) gComponents[i].Selected = FALSE;
    if (!gRun.SilentMode) {
        gRun.DisplayColours = CountDisplayColours(page);
        StartMainAnimation(page);
    } else {
        ReadSilentChoice(page);
    }
}

static void SetChoice(BOOL keepData, BOOL withData, BOOL selected)
{
    gRun.RemoveAllKeepData = keepData;
    gRun.RemoveAllWithData = withData;
    gRun.RemoveSelected = selected;
    gRun.DeleteQueueManagerData = withData;
    gRun.DeleteWebAdminData = withData;
    gRun.RemoveWholeProduct = keepData || withData;
}

static BOOL Chosen(HWND page, int option, BOOL silentFlag)
{
    return gRun.SilentMode ? silentFlag : IsDlgButtonChecked(page, option) == BST_CHECKED;
}

static int MainNext(HWND page, WPARAM *choice)
{
    if (Chosen(page, IDC_OPTION_REMOVE, gRun.RemoveAllKeepData)) {
        LogLine("  REMOVE");
        SetChoice(TRUE, FALSE, FALSE);
        *choice = IDC_OPTION_REMOVE;
    } else if (Chosen(page, IDC_OPTION_REMOVE_DATA, gRun.RemoveAllWithData)) {
        LogLine("  REMOVEDATA");
        SetChoice(FALSE, TRUE, FALSE);
        *choice = IDC_OPTION_REMOVE_DATA;
    } else if (Chosen(page, IDC_OPTION_COMPONENTS, gRun.RemoveSelected)) {
        LogLine("  REMOVECOMPONENTS");
        SetChoice(FALSE, FALSE, TRUE);
        *choice = IDC_OPTION_COMPONENTS;
    } else {
        *choice = 0;  // no choice: the run ends
    }
    return 1;
}

static const PageDefinition kMainPage = {
    "->Main dialog", PAGE_PICTURE_NONE, TRUE, TRUE, InitMainPage, MainNext, NULL};

INT_PTR CALLBACK MainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kMainPage, page, message, wParam, lParam);
}
