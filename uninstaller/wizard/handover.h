// The hand-over to the installer's own uninstall program at the end of a
// whole-product removal.
#pragma once
#include <windows.h>

// Stores the installer's uninstall command, deletes the program folder's
// last item and the folder, and starts the installer's uninstall program
// without waiting for it. 1 when it was started.
int RunInstallerUninstall();
