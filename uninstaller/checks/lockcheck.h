// The component file lists the locked-file check walks, and the locked files
// it found (handed to the Locked-files-found page).
#pragma once
#include <windows.h>
#include "core/pathlist.h"

// One list to check: the list file and the folder its lines are below.
struct LockCheckEntry {
    LockCheckEntry *Next;
    char *ListPath;
    char *BaseFolder;
};

// Queues every list of the selected components (see the table in the source)
// and sets the bar's range to the total number of listed files.
int BuildLockCheckList(LockCheckEntry **queue, HWND progress);
// Queues uninst\listName.u00 when it lists any file; its number of files.
int AddLockCheckFileList(const char *listName, const char *baseFolder, LockCheckEntry **queue);
// Takes the head entry off the queue (the caller frees it with FreeLockCheckEntry).
LockCheckEntry *TakeLockCheckEntry(LockCheckEntry **queue);
void FreeLockCheckEntry(LockCheckEntry *entry);
void FreeLockCheckQueue(LockCheckEntry **queue);

// The distinct locked paths of the last check, newest first. Owned by the
// check until the Locked-files-found page takes the entries.
PathNode **LockedFileList();
