// Drives a running avliunin.exe through its real windows as a user would:
// starts it, finds its visible pages and message boxes by caption, clicks
// their buttons and waits for its exit code. Windows are looked for in that
// one process only, so two copies of the program can run side by side. Every
// wait is for a condition, polled, with a time limit.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// Captions of the pages and dialogs of the NLS library.
const char kMainCaption[] = "Varolink Uninstall - Welcome";
const char kSelectCaption[] = "Varolink Uninstall - Select Components";
const char kConfirmKeepCaption[] = "Varolink Uninstall - Confirm Removal";
const char kConfirmDataCaption[] = "Varolink Uninstall - Confirm Removal of All Data";
const char kConfirmComponentsCaption[] = "Varolink Uninstall - Confirm Components";
const char kVlDataCaption[] = "Varolink Uninstall - Queue Manager Data";
const char kWebDataCaption[] = "Varolink Uninstall - Web Administration Data";
const char kVlRunningCaption[] = "Varolink Uninstall - Varolink Is Running";
const char kStopCaption[] = "Stopping Varolink";
const char kPerfCaption[] = "Varolink Uninstall - Performance Monitor Running";
const char kCheckingCaption[] = "Varolink Uninstall - Checking Files";
const char kLockedCaption[] = "Varolink Uninstall - Files In Use";
const char kDeletingComponentsCaption[] = "Varolink Uninstall - Removing Components";
const char kDeletingAllCaption[] = "Varolink Uninstall - Removing Varolink";
const char kComponentsDoneCaption[] = "Varolink Uninstall - Components Removed";
const char kAllDoneCaption[] = "Varolink Uninstall - Varolink Removed";
const char kExitCaption[] = "Exit Varolink Uninstall";
const char kMessageCaption[] = "Norvik Varolink";  // message boxes (NLS string 604)

// Polls done() every 20 ms until it holds (true) or timeoutMs passed (false).
bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 10000);

struct WizardProcess {
    PROCESS_INFORMATION Process = {};

    ~WizardProcess() { End(); }
    // avliunin.exe of the build with these parameters; false when it did not start.
    bool Start(const std::string &parameters = "");
    // A visible dialog window of this process with the caption (waits up to timeoutMs), or NULL.
    HWND Window(const char *caption, DWORD timeoutMs = 10000);
    // The first visible dialog of this process whose caption is one of these
    // (waits up to timeoutMs), or NULL; *which receives its index.
    HWND AnyWindow(const std::vector<const char *> &captions, DWORD timeoutMs, size_t *which);
    // The text of a message box (its static text control).
    static std::string BoxText(HWND box);
    static void Click(HWND window, int id);
    // Answers a message box with OK and waits until it is gone.
    static bool AnswerBox(HWND box, DWORD timeoutMs = 10000);
    // Clicks the button of the page with this caption (waiting up to timeoutMs
    // for it) and waits up to timeoutMs until the page is gone from the screen.
    bool ClickAway(const char *caption, int id, DWORD timeoutMs = 10000);
    // Clicks the button of this window and waits up to timeoutMs until the
    // window is gone from the screen.
    static bool ClickGone(HWND window, int id, DWORD timeoutMs);
    // Checks a radio button of the page and waits until it shows checked.
    bool Choose(const char *caption, int option, DWORD timeoutMs = 10000);
    // Selects, besides those already selected, the item with exactly this
    // text in a multiple-selection list box; false when there is none.
    static bool SelectListItem(HWND page, int listId, const char *text);
    // The exit code, -2 when the process is still running after timeoutMs.
    int ExitCode(DWORD timeoutMs = 20000);
    // Ends the process if it still runs and closes its handles.
    void End();
};
