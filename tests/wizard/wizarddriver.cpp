#include "wizarddriver.h"
#include <string.h>

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

bool WizardProcess::Start(const std::string &parameters)
{
    std::string commandLine = std::string("\"") + VL_BIN_DIR "\\avliunin.exe\" " + parameters;
    STARTUPINFOA startup = {sizeof startup};
    std::vector<char> text(commandLine.begin(), commandLine.end());
    text.push_back(0);
    return CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &Process) != 0;
}

namespace {
struct Search {
    DWORD ProcessId;
    const std::vector<const char *> *Captions;
    HWND Found;
    size_t Which;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    Search *search = (Search *)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[256] = "", kind[32] = "";
    if (owner != search->ProcessId || !IsWindowVisible(window)) return TRUE;
    GetClassNameA(window, kind, sizeof kind);
    if (strcmp(kind, "#32770") != 0) return TRUE;
    GetWindowTextA(window, caption, sizeof caption);
    for (size_t i = 0; i < search->Captions->size(); i++) {
        if (strcmp(caption, (*search->Captions)[i]) != 0) continue;
        search->Found = window;
        search->Which = i;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND WizardProcess::AnyWindow(const std::vector<const char *> &captions, DWORD timeoutMs, size_t *which)
{
    Search search = {Process.dwProcessId, &captions, NULL, 0};
    WaitFor([&] {
        search.Found = NULL;
        EnumWindows(MatchWindow, (LPARAM)&search);
        return search.Found != NULL;
    }, timeoutMs);
    if (which) *which = search.Which;
    return search.Found;
}

HWND WizardProcess::Window(const char *caption, DWORD timeoutMs) { return AnyWindow({caption}, timeoutMs, NULL); }

std::string WizardProcess::BoxText(HWND box)
{
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void WizardProcess::Click(HWND window, int id) { PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool WizardProcess::AnswerBox(HWND box, DWORD timeoutMs)
{
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return WaitFor([&] { return !IsWindow(box); }, timeoutMs);
}

bool WizardProcess::ClickAway(const char *caption, int id, DWORD timeoutMs)
{
    HWND window = Window(caption, timeoutMs);
    return window && ClickGone(window, id, timeoutMs);
}

bool WizardProcess::ClickGone(HWND window, int id, DWORD timeoutMs)
{
    Click(window, id);
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool WizardProcess::Choose(const char *caption, int option, DWORD timeoutMs)
{
    HWND page = Window(caption, timeoutMs);
    if (!page) return false;
    Click(page, option);
    return WaitFor([&] { return IsDlgButtonChecked(page, option) == BST_CHECKED; }, timeoutMs);
}

bool WizardProcess::SelectListItem(HWND page, int listId, const char *text)
{
    int item = (int)SendDlgItemMessageA(page, listId, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
    if (item < 0) return false;
    return SendDlgItemMessageA(page, listId, LB_SETSEL, TRUE, item) != LB_ERR;
}

int WizardProcess::ExitCode(DWORD timeoutMs)
{
    if (!Process.hProcess || WaitForSingleObject(Process.hProcess, timeoutMs) != WAIT_OBJECT_0) return -2;
    DWORD code = 0;
    GetExitCodeProcess(Process.hProcess, &code);
    return (int)code;
}

void WizardProcess::End()
{
    if (!Process.hProcess) return;
    if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(Process.hProcess, 3);
        WaitForSingleObject(Process.hProcess, 10000);
    }
    CloseHandle(Process.hProcess);
    CloseHandle(Process.hThread);
    Process = {};
}
