// Confirm-delete-all (data kept, or data deleted): one page for both.
#include "core/runstate.h"
#include "wizard/page.h"
#include "wizard/pages.h"

// A whole-product removal checks and removes the client-side components
// through their own procedures; everything else goes with the directory trees.
static int ConfirmAllNext(HWND, WPARAM *choice)
{
    static const int kClientSide[] = {COMP_WINDOWS_NT_CLIENT, COMP_TOOLKIT, COMP_JAVA_CLIENT,
                                      COMP_INTERNET_GATEWAY, COMP_INTERNET_GATEWAY_DOCS};
    for (int component : kClientSide) gComponents[component].Selected = gComponents[component].Installed;
    *choice = 0;
    return 1;
}

static const PageDefinition kConfirmAllPage = {
    "->Confirm-delete-all dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, NULL, ConfirmAllNext, NULL};

INT_PTR CALLBACK ConfirmDeleteAllPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kConfirmAllPage, page, message, wParam, lParam);
}
