// Drives a running avliunin.exe through its real windows: starts it, finds its
// visible pages and message boxes by caption, clicks their buttons and waits
// for its exit code. Windows are looked for in that one process only, so two
// copies of the program can run side by side.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 10000);

struct WizardProcess {
    PROCESS_INFORMATION Process = {};

    ~WizardProcess() { End(); }
    // avliunin.exe of the build with these parameters; false when it did not start.
    bool Start(const std::string &parameters);
    // A visible dialog window of this process with the caption (waits up to timeoutMs), or NULL.
    HWND Window(const char *caption, DWORD timeoutMs = 10000);
    // The text of a message box (its static text control).
    static std::string BoxText(HWND box);
    static void Click(HWND window, int id);
    // Clicks the button and waits until the window is gone from the screen.
    bool ClickAway(const char *caption, int id);
    // The exit code, -2 when the process is still running after timeoutMs.
    int ExitCode(DWORD timeoutMs = 20000);
    // Ends the process if it still runs and closes its handles.
    void End();
};
