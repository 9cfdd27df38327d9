// What to clear in the program, data, Web Administration and queue-manager
// log directories when the product goes. The window arguments are addresses
// of the deleting page's status line 3 and progress bar (either may be NULL
// or hold NULL).
#pragma once
#include <windows.h>

int CleanLogDirectory(const char *logDir, HWND *status, HWND *progress);
int CleanDataDirectory(const char *dataDir, const char *programDir, HWND *status, HWND *progress,
                       BOOL *wholeRemoval);
int CleanWebAdminDirectory(const char *dataDir, HWND *status, HWND *progress);
int CleanProgramDirectory(const char *programDir, HWND *status, HWND *progress, BOOL *wholeRemoval);
