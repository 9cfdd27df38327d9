// Select-components and Confirm-components-delete.
#include "core/log.h"
#include "core/nls.h"
#include "core/response.h"
#include "core/runstate.h"
#include "wizard/componentorder.h"
#include "core/messagebox.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include "wizard/pages.h"

enum { MAX_SELECTED_ITEMS = 20 };

static int sSelectWidest;
static int sConfirmWidest;

// The item's text when it fits a text buffer, else empty.
static void ListItemText(HWND list, int item, char *text)
{
    text[0] = 0;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, item, 0);
    if (length >= 0 && length < VL_TEXT_SIZE) SendMessageA(list, LB_GETTEXT, item, (LPARAM)text);
}

static void FillSelectList(HWND page)
{
    if (gRun.SilentMode) return;
    HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
    sSelectWidest = 0;
    int added = 0;
    for (int i = 0; i < LISTED_COMPONENT_COUNT; i++) {
        const Component &component = gComponents[kSelectOrder[i]];
        if (!component.Installed) continue;
        const char *name = ComponentDisplayName(kSelectOrder[i]);
        LRESULT item = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)name);
        WidenListExtent(page, IDC_COMPONENT_LIST, &sSelectWidest, name);
        if (item == LB_ERR || item == LB_ERRSPACE) continue;
        added++;
        // A partly installed or removed component is always removed.
        if (component.Incomplete) SendMessageA(list, LB_SETSEL, TRUE, item);
    }
    if (added == 1) SendMessageA(list, LB_SETSEL, TRUE, 0);
}

// Incomplete components cannot be deselected: select them again.
static void KeepIncompleteSelected(HWND page)
{
    HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    char text[VL_TEXT_SIZE];
    for (int item = 0; item < count; item++) {
        ListItemText(list, item, text);
        int component = MatchComponentName(text);
        if (component >= 0 && gComponents[component].Incomplete) SendMessageA(list, LB_SETSEL, TRUE, item);
    }
}

static BOOL OtherSelectMessage(HWND page, UINT message, WPARAM wParam, LPARAM, INT_PTR *result)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_COMPONENT_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        KeepIncompleteSelected(page);
        *result = TRUE;
        return TRUE;
    }
    return FALSE;
}

static BOOL ReadSilentSelection()
{
    // Only the client-side components can be chosen in a silent run.
    static const int kSilentChoices[] = {COMP_TOOLKIT, COMP_WINDOWS_NT_CLIENT, COMP_JAVA_CLIENT,
                                         COMP_INTERNET_GATEWAY, COMP_INTERNET_GATEWAY_DOCS};
    BOOL ok = TRUE;
    for (int component : kSilentChoices)
        if (!ResponseComponentChoice(gComponents[component].ValueName, &gComponents[component].Selected)) ok = FALSE;
    return ok;
}

static BOOL ReadListSelection(HWND page)
{
    HWND list = GetDlgItem(page, IDC_COMPONENT_LIST);
    int items[MAX_SELECTED_ITEMS];
    LRESULT count = SendMessageA(list, LB_GETSELITEMS, MAX_SELECTED_ITEMS, (LPARAM)items);
    if (count <= 0) {
        char text[VL_TEXT_SIZE];
        LoadNlsString(text, 231);
        ShowMessage(page, text, MB_ICONSTOP);
        return FALSE;
    }
    char text[VL_TEXT_SIZE];
    for (int i = 0; i < count; i++) {
        ListItemText(list, items[i], text);
        int component = MatchComponentName(text);
        if (component >= 0) gComponents[component].Selected = TRUE;
    }
    return TRUE;
}

// A component that another installed one needs cannot go alone.
static BOOL DependenciesHold(HWND page)
{
    int message = 0;
    const Component *webAdmin = &gComponents[COMP_WEB_ADMIN];
    const Component *gateway = &gComponents[COMP_INTERNET_GATEWAY];
    if (gComponents[COMP_SERVER].Selected && webAdmin->Installed && !webAdmin->Selected) message = 233;
    else if (gComponents[COMP_WINDOWS_NT_CLIENT].Selected && gateway->Installed && !gateway->Selected) message = 268;
    if (!message) return TRUE;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, message);
    ShowMessage(page, text, MB_ICONSTOP);
    return FALSE;
}

static int SelectNext(HWND page, WPARAM *choice)
{
    for (int i = 0; i < COMPONENT_COUNT; i++) gComponents[i].Selected = gComponents[i].Incomplete;
    BOOL ok = gRun.SilentMode ? ReadSilentSelection() : ReadListSelection(page);
    if (ok) ok = DependenciesHold(page);
    if (!ok) {
        // A silent run cannot be corrected: it is cancelled.
        if (gRun.SilentMode) PostMessageA(page, gRun.MsgCancel, 0, 0);
        return 0;
    }
    *choice = 0;
    return 1;
}

static const PageDefinition kSelectPage = {
    "->Select-components dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, FillSelectList, SelectNext, OtherSelectMessage};

INT_PTR CALLBACK SelectComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kSelectPage, page, message, wParam, lParam);
}

static void FillConfirmList(HWND page)
{
    if (gRun.SilentMode) return;
    sConfirmWidest = 0;
    for (int i = 0; i < LISTED_COMPONENT_COUNT; i++) {
        if (!gComponents[kConfirmOrder[i]].Selected) continue;
        const char *name = ComponentDisplayName(kConfirmOrder[i]);
        SendDlgItemMessageA(page, IDC_COMPONENT_LIST, LB_ADDSTRING, 0, (LPARAM)name);
        WidenListExtent(page, IDC_COMPONENT_LIST, &sConfirmWidest, name);
    }
}

static const PageDefinition kConfirmPage = {
    "->Confirm-components-delete dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, FillConfirmList, NULL, NULL};

INT_PTR CALLBACK ConfirmComponentsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kConfirmPage, page, message, wParam, lParam);
}
