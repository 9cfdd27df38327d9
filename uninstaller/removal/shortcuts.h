// The product's shortcuts in the common Start menu: deleting items of the
// program folder and the Startup folder, sweeping items older releases and
// other languages left behind, and telling the shell to refresh the menu.
#pragma once
#include <windows.h>

// With item: deletes <common Programs>\folder\item.lnk. Without (NULL):
// removes <common Programs>\folder when it is empty.
BOOL DeleteProgramFolderItem(const char *folder, const char *item);
// Deletes <common Startup>\name.lnk.
BOOL DeleteStartupLink(const char *name);
BOOL DeleteObsoleteProgramFolderItems(const char *folder);
BOOL RefreshStartMenu(const char *folder);
