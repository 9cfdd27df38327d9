// The names the installer's component file lists (.u00 in the uninstallation
// folder) give, taken before the removal deletes the lists, so that the end
// of the run can tell a file of the product from one somebody else put into
// its folders.
//
// Threads: taken and read on the GUI thread only (start-up and the end of the
// run).
#pragma once

// Reads every *.u00 list of the folder (at most a fixed number of names;
// the rest are not kept). Replaces what an earlier call kept.
void NoteProductListNames(const char *uninstFolder);
// 1 when a list names path below root (a listed "\bin\x.dll" names
// root\bin\x.dll for any root; compared without case, by character).
int ProductListNames(const char *root, const char *path);
// 1 when a list names something below this folder of root.
int ProductListNamesBelow(const char *root, const char *folder);
