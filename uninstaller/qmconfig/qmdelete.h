// Deletes every queue manager of the queue-manager list: its files, folders
// and registry keys. The status window is the deleting page's status line on
// which the name of the queue manager being processed is shown (may be NULL).
#pragma once
#include <windows.h>

// dataDir is accepted and not used. 1 when every step succeeded, 0 otherwise.
int DeleteQueueManagers(const char *dataDir, HWND status);
