// Existence probes and path splitting shared by every Part of the uninstaller.
#pragma once
#include <windows.h>

int FileExists(const char *path);     // exact name or pattern
int FolderExists(const char *path);   // 0 for ""
int FolderIsEmpty(const char *path);  // a folder that cannot be found counts as empty
// 1 empty or not found, 0 holds entries, -1 cannot be listed (logged).
int FolderListState(const char *path);
// Drops one trailing backslash and splits at the last one; parent and last
// are VL_PATH_SIZE buffers (either may be NULL); a path longer than that
// gives two empty parts.
void SplitPath(const char *path, char *parent, char *last);
