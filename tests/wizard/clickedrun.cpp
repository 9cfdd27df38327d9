#include "clickedrun.h"
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

bool ClickedRun::Start(const std::string &parameters)
{
    std::string commandLine = std::string("\"") + VL_BIN_DIR "\\avliunin.exe\" " + parameters;
    STARTUPINFOA startup = {sizeof startup};
    std::vector<char> text(commandLine.begin(), commandLine.end());
    text.push_back(0);
    return CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &Process) != 0;
}

void ClickedRun::Stop()
{
    if (!Process.hProcess) return;
    if (WaitForSingleObject(Process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(Process.hProcess, 3);
    WaitForSingleObject(Process.hProcess, 5000);
    CloseHandle(Process.hProcess);
    CloseHandle(Process.hThread);
    Process = {};
}

HWND ClickedRun::Window(const char *caption, DWORD timeoutMs)
{
    HWND window = NULL;
    WaitFor([&] {
        window = FindWindowA("#32770", caption);
        return window && IsWindowVisible(window);
    }, timeoutMs);
    return window && IsWindowVisible(window) ? window : NULL;
}

void ClickedRun::Click(HWND window, int id) { PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0); }

bool ClickedRun::ClickAway(const char *caption, int id, DWORD timeoutMs)
{
    HWND window = Window(caption, timeoutMs);
    if (!window) return false;
    Click(window, id);
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

bool ClickedRun::Choose(const char *caption, int option)
{
    HWND page = Window(caption);
    if (!page) return false;
    Click(page, option);
    return WaitFor([&] { return IsDlgButtonChecked(page, option) == BST_CHECKED; });
}

int ClickedRun::ExitCode(DWORD timeoutMs)
{
    if (WaitForSingleObject(Process.hProcess, timeoutMs) != WAIT_OBJECT_0) return -2;
    DWORD code = 0;
    GetExitCodeProcess(Process.hProcess, &code);
    return (int)code;
}
