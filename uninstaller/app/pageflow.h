// The hidden main window, its registered messages and the page sequencing.
#pragma once
#include <windows.h>

// Registers the five messages and the window class and creates the hidden
// main window. FALSE on any failure.
BOOL CreateMainWindow(HINSTANCE instance);
// Runs the message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();
// Hides the current page and shows the next one, or ends the run.
void PageDone(WPARAM choice, LPARAM how);
void ShowNextPage(WPARAM choice, LPARAM how);
