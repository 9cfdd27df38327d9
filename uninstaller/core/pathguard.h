// The one guard in front of every deleting primitive (files, directories, the
// tree walker, the list readers, shortcuts, the per-directory procedures,
// queue-manager and service-level cleanup). Paths come from the registry,
// configuration files and lists that anyone with write access may have
// written: a refused path is logged once ("***Unsafe path refused: '%s' (%s)")
// and the caller returns 0 without touching anything.
// Safe to call from any thread. The protected folders (and their short
// spellings) are looked up from the system and the shell until found and
// then kept for the run; see pathguard.cpp for which thread writes them.
#pragma once
#include <windows.h>
#include "core/pathrules.h"

// A folder that will be walked, emptied or removed. Refused when empty, not a
// full path, a drive or share root, a device form, climbing, too long, or the
// Windows folder, the system folder, the root of the common Programs or
// common Startup folder, or a folder holding one of them.
int GuardFolder(const char *folder, DWORD *error = NULL);
// A file that will be deleted (the last component may be a pattern): its
// folder part is refused as above, except that a named file inside the
// Windows or system folder or a shell folder stays deletable.
int GuardFile(const char *path, DWORD *error = NULL);
// A folder below which listed files are deleted (a list's target directory,
// the program folder of the class lists): the rules of a file's folder part.
int GuardTargetFolder(const char *folder);

// error (may be NULL) receives, for a refused path, the code a caller reports
// as the Win32 error of the operation: ERROR_FILENAME_EXCED_RANGE for a path
// too long, ERROR_ACCESS_DENIED for any other refusal; 0 when it passes.

// The same decisions without the log line, for callers that skip quietly.
PathVerdict FolderVerdict(const char *folder);
PathVerdict FileVerdict(const char *path);
// The refusal of the guard for a verdict made above: logged, 0, unless it is
// PATH_SAFE (1). Lets a caller that skips some verdicts quietly look the
// folder up once.
int GuardVerdict(const char *path, PathVerdict verdict, DWORD *error = NULL);
