// The process-wide list of queue managers found at start-up, walked with one
// shared cursor (so walks never nest).
#pragma once
#include <windows.h>

#define QM_FLAG_TCP_LISTENER 4
// Set by the queue-manager deletion when the queue manager's folder or log
// folder was refused: its registry keys stay with it.
#define QM_FLAG_KEYS_KEPT 8

struct QueueManagerEntry {
    QueueManagerEntry *Next;
    char *Name;        // as configured, case kept
    char *Directory;   // <prefix>\qmgrs\<directory>, no trailing backslash
    char *LogPath;     // log directory, no trailing backslash (may be empty)
    DWORD Flags;
};

// Each output may be NULL; string outputs are MAX_PATH buffers ("" for a
// missing string). First: FALSE on an empty list. Next: FALSE at the end;
// before any First it starts at the front.
BOOL QmListFirst(char *name, char *directory, char *logPath, DWORD *flags);
BOOL QmListNext(char *name, char *directory, char *logPath, DWORD *flags);
// Stores flags in the entry named exactly name (current entry tried first).
BOOL QmListSetFlags(const char *name, DWORD flags);
void QmListFree();

// Adds or (with overwrite) replaces the entry for name; missing directories
// are logged and reported, but the entry is still added.
BOOL AddQmListEntry(const char *name, const char *directory, const char *logPath, BOOL tcpFlag,
                    BOOL overwrite);
// Sets the TCP listener flag of the entry whose directory ends in keyName.
BOOL MarkTcpListener(const char *keyName);

// The list head, for tests and diagnostics only.
QueueManagerEntry *QmListHead();
