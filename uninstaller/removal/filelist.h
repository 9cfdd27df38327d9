// Component file lists (.u00), service-level shipping lists (.log) and the
// unregistration of the object classes they name. Every operation follows the
// two-pass contract: with counting set it changes nothing and returns the
// number of progress steps the working call takes; working, it returns 1 / 0.
#pragma once
#include <windows.h>
#include "core/pathlist.h"   // PathNode, AddUniquePath

// Deletes every file of listFolder\listName.u00 (.log with serviceLevel)
// below targetDir, then the directories the deletions emptied, never
// targetDir itself nor anything outside it. Windows may be NULL. An empty,
// relative or root targetDir is refused (logged, result 0, count 0).
int ProcessFileList(BOOL counting, BOOL serviceLevel, UINT phaseTextId, HWND phaseText, HWND itemText,
                    HWND progress, const char *listName, const char *listFolder, const char *targetDir);

// One listed path: expands "-lang1-" / "-lang5-" over the ten language folders.
int DeleteListedPath(const char *path, BOOL counting, PathNode **directories, HWND itemText,
                     HWND progress);
// Deletes one file and gathers its ancestor directories. diskPath (may be
// NULL) is the same path as the list spells it, under which the file is
// deleted (see DeleteFilePathSpelt); path is what the log shows.
int DeleteListedFile(const char *path, PathNode **directories, const char *diskPath = NULL);
// The path begins with directory and a backslash (without regard to case).
int IsUnderDirectory(const char *path, const char *directory);
// Puts double quotes around a path holding a blank (unless it starts with
// one). 0 when the quoted path would not fit size.
int QuoteIfSpaced(char *path, size_t size);

// Unregisters the local servers (" -UnregServer") and libraries (avliregn.exe
// "%s -u") named by programFiles\uninst\listName.u00.
int UnregisterObjectClasses(BOOL counting, const char *listName, HWND itemText, HWND progress,
                            const char *programFiles);
