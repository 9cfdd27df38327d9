// Drives avliunin.exe from a test as a user would: starts it, finds its
// windows by caption and clicks their buttons.
#pragma once
#include <windows.h>
#include <functional>
#include <string>

// Polls done() every 20 ms until it holds or timeoutMs passed.
bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 10000);

struct ClickedRun {
    PROCESS_INFORMATION Process = {};

    // Starts avliunin.exe of the build with the parameters.
    bool Start(const std::string &parameters = "");
    // Ends the program if it still runs and forgets it.
    void Stop();
    // The visible top-level dialog with this caption (NULL after timeoutMs).
    HWND Window(const char *caption, DWORD timeoutMs = 10000);
    static void Click(HWND window, int id);
    // Clicks the button and waits until the window is gone from the screen.
    bool ClickAway(const char *caption, int id, DWORD timeoutMs = 10000);
    // Checks a radio button of the page.
    bool Choose(const char *caption, int option);
    // The exit code once the program has ended, -2 after timeoutMs.
    int ExitCode(DWORD timeoutMs = 20000);
};
