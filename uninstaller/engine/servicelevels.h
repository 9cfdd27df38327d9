// Removes the applied service levels of one tree (program files or data):
// their shipping lists, folders, backups, program-folder shortcuts and
// registry records. otherTreeRoot is the tree the other call handles (NULL or
// "" when none): a service level whose folder lies there is left to it, one
// whose folder lies in neither tree stays with a failure line. Two-pass contract: counting returns the number of
// progress steps and changes nothing; working returns 1 / 0. The window
// arguments are addresses of the deleting page's status line 3 and progress
// bar (either may be NULL or hold NULL). Runs on the removal worker thread;
// the lists it gathers live for one call.
#pragma once
#include <windows.h>

int RemoveServiceLevels(BOOL counting, const char *treeRoot, const char *otherTreeRoot,
                        const char *programFolderName, HWND *status, HWND *progress);
