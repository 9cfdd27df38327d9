// The one place where the run changes the machine. Every deletion, write,
// securing, service change, program start and process end of the uninstaller
// is made here, so that a preview is the real run with its changes held back.
//
// Real run: each function makes the one system call, records the outcome in
// the ledger (done; in use for a sharing violation; failed with the error; a
// thing already gone is not recorded) and returns the system's code, 0 for
// success. The caller logs its own outcome line from that code, as before.
//
// Preview (gRun.Preview): nothing is changed. A change that the real run
// would attempt is logged as its fixed "Would ..." line, recorded as
// LEDGER_WOULD, and MACHINE_HELD_BACK is returned: the caller logs nothing
// more and carries on as after success. A thing the real call would not find
// (absent, or already recorded as would-go) gives the code the real call
// would give, so the caller's lines and results stay those of the real run.
//
// Threads: any thread; the ledger locks itself, the log appends atomically.
#pragma once
#include <windows.h>
#include <aclapi.h>
#include <shellapi.h>
#include <stdio.h>

// The run is a preview: the change was logged as what would be done.
// (Bit 29 marks an application's own code: no system error has it.)
enum { MACHINE_HELD_BACK = 0x20000001 };

#define VL_ENVIRONMENT_KEY "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment"

// Forgets what a preview held back (its values and its stop): for a new run
// in the same process (tests).
void MachineReset();

// Files and folders. path is what the log and the ledger show; diskPath (NULL:
// path) is the same path as the file system is given it.
DWORD MachineDeleteFile(const char *path, const char *diskPath = NULL);
// lastTry: a folder in use is recorded as such only on the caller's last try.
DWORD MachineRemoveFolder(const char *path, BOOL lastTry = TRUE);
// Clears the attributes of a file (FILE_ATTRIBUTE_NORMAL) before its deletion;
// held back quietly in a preview (the deletion that follows is what it lists).
DWORD MachineClearAttributes(const char *path);
// Creates a file for writing ("wt"): the real file, or in a preview the null
// device, after "Would write: 'shownPath'", so the writer runs as it would.
// NULL with errno set when it cannot be opened.
FILE *MachineCreateTextFile(const char *path, const char *shownPath);
// Moves a written file over its final name (replacing it).
DWORD MachineReplaceFile(const char *from, const char *to);

// Registry (keys below HKLM; keyPath names them in lines and the ledger).
// parent is the open parent of the key leaf. A preview passes over a key
// that is not there (or would be gone) with MACHINE_HELD_BACK and no line.
LONG MachineDeleteKey(HKEY parent, const char *leaf, const char *keyPath);
LONG MachineDeleteValue(HKEY key, const char *keyPath, const char *valueName);
// key may be NULL in a preview only, for a key that a held-back
// MachineCreateKey would have made.
LONG MachineSetValue(HKEY key, const char *keyPath, const char *valueName, DWORD type, const void *data,
                     DWORD size);
// A preview's key that MachineCreateKey held back (never in a real run).
BOOL MachineKeyPending(const char *keyPath);
// Reads a value as the run has left it: in a preview, a value it would have
// set reads as set and one it would have deleted (or whose key it would have
// deleted) as absent; otherwise (and always in a real run) RegQueryValueEx.
// keyPath names the key below HKLM, NULL for a key of another root; key may
// be NULL for a key a preview would have made (no value of it then is read).
LONG MachineQueryValue(HKEY key, const char *keyPath, const char *valueName, DWORD *type, BYTE *data,
                       DWORD *size);
// Creates (or opens) HKLM\keyPath for setting values; *key is NULL after a
// held-back creation of a key that does not exist.
LONG MachineCreateKey(const char *keyPath, HKEY *key);

// Security. object is as SetNamedSecurityInfo takes it.
DWORD MachineSetOwner(const char *object, SE_OBJECT_TYPE type, PSID owner);
DWORD MachineSetAccessList(const char *object, SE_OBJECT_TYPE type, PACL list);

// Services.
DWORD MachineDeleteService(SC_HANDLE service, const char *name);
// A service the staged stop is about to stop through the product's support
// library: a preview lists it ("Would stop service"); a real run leaves the
// line and the record to the library entry that stops it.
void MachineNoteServiceStop(const char *name);

// The staged stop. MachineStopStarted: the stop sequence begins (a preview
// holds it back from here on: nothing it would end is counted as running).
void MachineStopStarted();
BOOL MachineStopHeld();
// A preview listed this service as stopped or deleted.
BOOL MachineServiceHeld(const char *name);
// Whether another process holds the file open: 1 held, 0 not, -1 the open
// was refused access. A real run opens it for writing, sharing nothing; a
// preview opens nothing for writing: it asks for reading, sharing nothing.
int MachineFileHeldOpen(const char *path);

// Outside programs. info is as ShellExecuteEx takes it; in a preview no
// process is started and info->hProcess stays NULL. announce (may be NULL)
// is the real run's line logged just before the start.
DWORD MachineStartProgram(SHELLEXECUTEINFOA *info, const char *announce = NULL);
// A library entry run on a thread: a preview only lists it; a real run logs
// announce (may be NULL) and gives 0: the caller runs it.
DWORD MachineRunLibraryEntry(const char *library, const char *entry, const char *announce = NULL);
DWORD MachineEndProcess(HANDLE process, DWORD id, const char *path);

// The environment broadcast (send is the real sending, called only in a real run).
DWORD MachineBroadcastEnvironment(void (*send)(void *), void *context);
// Any other write (the status MIF): write makes it and says 1/0.
DWORD MachineWrite(const char *target, int (*write)(void *), void *context);
