// Runs wizard pages inside the test process: a hidden main window that
// records how each page ended, the five registered messages, the shared log
// block with a log file of the test's own, and message pumping with time limits.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

struct PageEnd {
    WPARAM Choice;
    LPARAM How;
};

struct PageHarness {
    std::string Folder;    // the test's own folder (log, response file, help files)
    std::string LogPath;
    std::vector<PageEnd> Ends;
    HWND Page = NULL;

    // Fresh run state, log and main window; silent sets the run mode.
    void Open(bool silent, const std::string &folder);
    void Close();
    // Creates the page from its NLS template with its registered procedure.
    HWND Create(int templateId);
    void Destroy();
    // Pumps messages until done() is true or timeoutMs passed; returns done().
    bool PumpUntil(const std::function<bool()> &done, unsigned timeoutMs = 5000);
    // Pumps until the page has ended (posted the stop message).
    bool WaitForEnd(unsigned timeoutMs = 5000);
    // Clicks a button of the page as a user would.
    void Click(int controlId);
    // Answers the next Exit question with Exit (30285) or Resume (30286).
    void AnswerExitWith(int buttonId);
    // Answers the next modal dialog with this caption (a message box is
    // "Norvik Varolink") by clicking the button.
    void AnswerDialog(const char *caption, int buttonId);
    // The focus was on Resume when the last answered dialog appeared.
    bool ExitFocusWasOnResume();
    // A response file in Folder, read into the run state.
    bool UseResponseFile(const std::string &text);
    std::vector<std::string> Log();
    // The log lines written after the first line equal to from.
    std::vector<std::string> LogAfter(const std::string &from);
};

// The text of a page's control.
std::string ControlText(HWND page, int id);
