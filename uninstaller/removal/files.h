// File, directory and directory-tree deletion. Every outcome is logged; a
// thing that is already gone is success. error (may be NULL) receives the
// last Win32 error of the deletion call (0 after success). Every path passes
// the guard of core/pathguard.h first: a refused one is logged once and
// gives 0 with nothing touched.
#pragma once
#include <windows.h>
#include "core/fileprobes.h"

// path may end in a pattern ("*" in the last component): then the matching
// files of that one directory are deleted. Deleting the log file itself
// switches logging off first.
int DeleteFilePath(const char *path, BOOL reportAll, DWORD *error = NULL);
// DeleteFilePath for a path the log shows lower-cased: the file is deleted
// under diskPath, the same path in the case it came in (the same text
// without regard to case; any other text is not used), which the file
// system finds at once where a name in another case makes it search the
// folders on the way.
int DeleteFilePathSpelt(const char *path, const char *diskPath, BOOL reportAll);

// Removes an empty directory; one in use is retried 20 times, 1 s apart.
// A directory that still holds something is left (quiet unless reportAll).
int RemoveDirectoryPath(const char *path, BOOL reportAll, DWORD *error = NULL);
// RemoveDirectoryPath (report-all off) for a directory a file list emptied,
// except that a protected folder is passed over quietly with 1 rather than
// refused: a list applied to the Windows folder gathers its system folder,
// which is never empty and never removed.
int RemoveListedDirectory(const char *path);

// The walker. files: path is "<dir>\<pattern>" and matching files are deleted;
// recurse: the same in every subdirectory, depth first; directories: each
// directory visited is removed once it is empty. status/progress may be NULL.
// A reparse point met in a listing is never entered nor removed (refused, 0);
// each folder is held open while it is walked.
int DeleteTree(const char *path, BOOL files, BOOL directories, BOOL recurse, HWND status, HWND progress);
// For tests: called with each listed subfolder's path after its level was
// listed and before it is entered (NULL: none).
typedef void (*WalkHook)(const char *subfolder);
void SetWalkHook(WalkHook hook);

// Deletes <dir>\conv\ccsid*.tbl at any depth and the folders left empty. Always 1.
int DeleteCcsidTables(const char *directory);

// Deletes the component file lists (*.u00, *.u01) of the uninst folder; with
// full also everything else in it and the folder itself.
int DeleteInstallerLeftovers(const char *uninstFolder, BOOL full);
