// Deletes every queue manager of the queue-manager list: its files, folders
// and registry keys. The status window is the deleting page's status line on
// which the name of the queue manager being processed is shown (may be NULL).
// Runs on the removal worker thread; it walks the list with the one shared
// cursor, so no other walk of the list may run meanwhile.
#pragma once
#include <windows.h>

// dataDir is the product's data folder: the folders deleted here (queue-
// manager folders, their qmgrs parents and log folders) must lie inside it,
// or, for log folders, inside logDefaultPath (the configured log default
// path; may be NULL). Any other is logged and left, and so are the registry
// keys of its queue manager (one line says so), so that nothing is left on
// disk that no key names; the result is then 0. A folder that could not be
// emptied (a file in use) stays with its refusal logged, and its keys go.
// 1 when every step succeeded, 0 otherwise.
int DeleteQueueManagers(const char *dataDir, HWND status, const char *logDefaultPath = NULL);

// Deletes the product's Configuration key with its subkeys, keeping the Web
// Administration subkey and the keys of every queue manager whose keys
// DeleteQueueManagers kept (their folders stayed on disk). Removal worker
// thread; walks the queue-manager list without its cursor. 1 on success.
int DeleteConfigurationTree();
