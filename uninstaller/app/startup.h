#pragma once
#include <windows.h>

// The whole run: start-up checks, the page loop and the end of the run.
// Returns the exit code (1 for a stop during start-up, otherwise 0).
int RunUninstaller(HINSTANCE instance, const char *commandLine);

// The MIF path checks: syntax and a drive of this machine.
BOOL ValidMifPath(const char *path);
// FALSE when another instance holds the single-instance mapping.
BOOL SingleInstanceTest();
