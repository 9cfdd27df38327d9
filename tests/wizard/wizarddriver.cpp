#include "wizarddriver.h"
#include <vector>

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
    const char *Caption;
    HWND Found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    Search *search = (Search *)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char caption[256] = "", kind[32] = "";
    if (owner != search->ProcessId || !IsWindowVisible(window)) return TRUE;
    GetClassNameA(window, kind, sizeof kind);
    GetWindowTextA(window, caption, sizeof caption);
    if (strcmp(kind, "#32770") != 0 || strcmp(caption, search->Caption) != 0) return TRUE;
    search->Found = window;
    return FALSE;
}
}  // namespace

HWND WizardProcess::Window(const char *caption, DWORD timeoutMs)
{
    Search search = {Process.dwProcessId, caption, NULL};
    WaitFor([&] {
        search.Found = NULL;
        EnumWindows(MatchWindow, (LPARAM)&search);
        return search.Found != NULL;
    }, timeoutMs);
    return search.Found;
}

std::string WizardProcess::BoxText(HWND box)
{
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

void WizardProcess::Click(HWND window, int id) { PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool WizardProcess::ClickAway(const char *caption, int id)
{
    HWND window = Window(caption);
    if (!window) return false;
    Click(window, id);
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); });
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
