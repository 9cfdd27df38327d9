// The one guard in front of every deleting primitive (files, directories, the
// tree walker, the list readers, shortcuts, the per-directory procedures,
// queue-manager and service-level cleanup). Paths come from the registry,
// configuration files and lists that anyone with write access may have
// written: a refused path is logged once ("***Unsafe path refused: '%s' (%s)")
// and the caller returns 0 without touching anything.
//
// It judges folders, not spellings:
// - the protected folders (Windows, system, Program Files, the profiles root
//   and every profile, the common and per-user application-data, documents,
//   desktop, Programs and Startup folders) are taken once per run, by their
//   spelling and by their identity (volume serial and file index, for each
//   of them and every folder holding one), so another drive letter, a short
//   name or a mount point of the same folder is recognised too;
// - network paths (UNC forms, a drive the system reports remote) are refused;
// - no deletion passes through a reparse point (junction, symbolic link,
//   mount point) from the product folder it belongs to downward (from the
//   drive root down when it belongs to none);
// - a product folder read from data (GuardAddRoot) that is, or holds, a
//   protected folder, or is a network path, refuses everything in it: one
//   "***" line naming the value it came from, the first time it is met.
// Safe to call from any thread. The protected folders are taken by whichever
// thread asks first (under a lock) and never change afterwards; the product
// folders are set on the GUI thread at start-up before the removal worker
// exists and only read afterwards.
#pragma once
#include <windows.h>
#include "core/pathrules.h"

// A folder that will be walked, emptied or removed. Refused when empty, not a
// full path, a drive root, a device or network form, climbing, too long, a
// protected folder or one holding one, a reparse point or below one, or in a
// refused product folder.
int GuardFolder(const char *folder, DWORD *error = NULL);
// A file that will be deleted (the last component may be a pattern): its
// folder part is refused as above, except that a named file inside a
// protected folder stays deletable.
int GuardFile(const char *path, DWORD *error = NULL);
// A folder below which listed files are deleted (a list's target directory,
// the program folder of the class lists): the rules of a file's folder part.
int GuardTargetFolder(const char *folder);
// A folder a file list emptied: 1 when it may be removed, 0 when refused
// (logged), -1 when it is a protected folder (passed over quietly: a list
// applied to the Windows folder gathers its system folder).
int GuardListedFolder(const char *folder);

// error (may be NULL) receives, for a refused path, the code a caller reports
// as the Win32 error of the operation: ERROR_FILENAME_EXCED_RANGE for a path
// too long, ERROR_ACCESS_DENIED for any other refusal; 0 when it passes.

// The same decisions without the log line, for callers that skip quietly.
PathVerdict FolderVerdict(const char *folder);
PathVerdict FileVerdict(const char *path);
// Logs the refusal line for a verdict the caller made itself (a reparse
// point met in a listing); 1 for PATH_SAFE, else 0.
int GuardVerdict(const char *path, PathVerdict verdict, DWORD *error = NULL);

// The walker's way in. GuardEnterFolder judges the folder a walk starts from
// as GuardFolder does; GuardEnterSubfolder a subfolder the walk listed (its
// parent is held). Both open the folder and keep it open without delete
// sharing (*held; INVALID_HANDLE_VALUE when it does not exist), having
// checked after the open that the path is no reparse point, so that it
// cannot be swapped for a link while it is walked. 1 passes, 0 refused (logged).
int GuardEnterFolder(const char *folder, HANDLE *held);
int GuardEnterSubfolder(const char *folder, HANDLE *held);
void GuardReleaseFolder(HANDLE *held);

// The product's folders read from data (FilePath, WorkPath, the log default
// path, a queue manager's folders, the Start-menu folder), with the name of
// the value each came from. A path belongs to the longest one holding it:
// links are looked for from there down. GUI thread, before the worker starts.
void GuardAddRoot(const char *source, const char *folder);
void GuardClearRoots();
