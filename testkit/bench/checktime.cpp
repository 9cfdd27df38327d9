// The locked-file check of the removal benchmark, timed on the uninstaller's
// own pages: avliunin.exe removes the development toolkit, silently from a
// response file or clicked through its pages, and the time from the
// Checking-locked-files page's coming to the removal page's is printed in
// milliseconds. The program is ended as soon as its removal page is there.
//   vlbench_check silent ANSWERS | vlbench_check clicked
#include "wizarddriver.h"
#include "wizard/nlsids.h"
#include <windows.h>
#include <stdio.h>
#include <string.h>

namespace {

struct Search {
    DWORD ProcessId;
    const char *Caption;
    HWND Found;
};

// Hidden pages count too: a silent run never shows its pages.
BOOL CALLBACK MatchPage(HWND window, LPARAM data)
{
    Search *search = (Search *)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[256] = "";
    if (owner != search->ProcessId) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(caption, search->Caption) != 0) return TRUE;
    search->Found = window;
    return FALSE;
}

// Polls every 10 ms until the page is there; its tick count, or 0
// after timeoutMs.
DWORD WaitForPage(const WizardProcess &run, const char *caption, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        Search search = {run.Process.dwProcessId, caption, NULL};
        EnumWindows(MatchPage, (LPARAM)&search);
        DWORD now = GetTickCount();
        if (search.Found) return now ? now : 1;
        if (now - start > timeoutMs) return 0;
        Sleep(10);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    bool silent = argc == 3 && strcmp(argv[1], "silent") == 0;
    if (!silent && !(argc == 2 && strcmp(argv[1], "clicked") == 0)) {
        fprintf(stderr, "usage: vlbench_check silent ANSWERS | vlbench_check clicked\n");
        return 2;
    }
    WizardProcess run;
    if (!run.Start(silent ? std::string("-S -F1") + argv[2] : std::string())) return 1;
    if (!silent) {
        HWND select;
        if (!run.Choose(kMainCaption, IDC_OPTION_COMPONENTS, 60000) || !run.ClickAway(kMainCaption, IDC_NEXT, 60000) ||
            !(select = run.Window(kSelectCaption, 60000)) ||
            !WizardProcess::SelectListItem(select, IDC_COMPONENT_LIST, "Development Toolkit") ||
            !run.ClickAway(kSelectCaption, IDC_NEXT, 60000)) {
            fprintf(stderr, "the pages before the check did not come\n");
            return 1;
        }
        HWND confirm = run.Window(kConfirmComponentsCaption, 60000);
        if (!confirm) return 1;
        WizardProcess::Click(confirm, IDC_NEXT);
    }
    DWORD began = WaitForPage(run, kCheckingCaption, 120000);
    DWORD ended = began ? WaitForPage(run, kDeletingComponentsCaption, 600000) : 0;
    if (!began || !ended) {
        fprintf(stderr, "the check did not %s\n", began ? "end" : "begin");
        return 1;
    }
    printf("%lu\n", (unsigned long)(ended - began));
    fflush(stdout);
    return 0;
}
