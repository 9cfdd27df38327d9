#include "qmconfig/qmlist.h"
#include "qmconfig/configtext.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/fileprobes.h"
#include <stdlib.h>
#include <string.h>

static QueueManagerEntry *sHead;
// The cursor: the entry returned last, and whether a walk has begun (after
// the last entry the walk stays at its end until the next First).
static QueueManagerEntry *sCurrent;
static BOOL sWalking;

QueueManagerEntry *QmListHead() { return sHead; }

static void CopyOut(QueueManagerEntry *entry, char *name, char *directory, char *logPath, DWORD *flags)
{
    if (name) CopyText(name, MAX_PATH, entry->Name ? entry->Name : "");
    if (directory) CopyText(directory, MAX_PATH, entry->Directory ? entry->Directory : "");
    if (logPath) CopyText(logPath, MAX_PATH, entry->LogPath ? entry->LogPath : "");
    if (flags) *flags = entry->Flags;
}

BOOL QmListFirst(char *name, char *directory, char *logPath, DWORD *flags)
{
    sWalking = TRUE;
    sCurrent = sHead;
    if (!sCurrent) return FALSE;
    CopyOut(sCurrent, name, directory, logPath, flags);
    return TRUE;
}

BOOL QmListNext(char *name, char *directory, char *logPath, DWORD *flags)
{
    if (!sWalking) return QmListFirst(name, directory, logPath, flags);
    if (!sCurrent) return FALSE;
    sCurrent = sCurrent->Next;
    if (!sCurrent) return FALSE;
    CopyOut(sCurrent, name, directory, logPath, flags);
    return TRUE;
}

static QueueManagerEntry *FindByName(const char *name)
{
    for (QueueManagerEntry *entry = sHead; entry; entry = entry->Next)
        if (entry->Name && strcmp(entry->Name, name) == 0) return entry;
    return NULL;
}

BOOL QmListSetFlags(const char *name, DWORD flags)
{
    QueueManagerEntry *entry = NULL;
    if (sCurrent && sCurrent->Name && strcmp(sCurrent->Name, name) == 0) entry = sCurrent;
    if (!entry) entry = FindByName(name);
    if (!entry) return FALSE;
    entry->Flags = flags;
    return TRUE;
}

static void FreeStrings(QueueManagerEntry *entry)
{
    free(entry->Name);
    free(entry->Directory);
    free(entry->LogPath);
    entry->Name = entry->Directory = entry->LogPath = NULL;
}

void QmListFree()
{
    while (sHead) {
        QueueManagerEntry *next = sHead->Next;
        FreeStrings(sHead);
        free(sHead);
        sHead = next;
    }
    sCurrent = NULL;
    sWalking = FALSE;
}

// A heap copy of exactly the string's length; logs and fails when out of memory.
static char *CopyString(const char *text, const char *what, BOOL *result)
{
    size_t length = strlen(text);
    char *copy = (char *)malloc(length + 1);
    if (!copy) {
        LogLineF("***Can't allocate %s memory for '%s'", what, text);
        *result = FALSE;
        return NULL;
    }
    memcpy(copy, text, length + 1);
    return copy;
}

BOOL AddQmListEntry(const char *name, const char *directory, const char *logPath, BOOL tcpFlag,
                    BOOL overwrite)
{
    BOOL result = TRUE;
    char dir[VL_PATH_SIZE], log[VL_PATH_SIZE];
    CopyText(dir, sizeof dir, directory);
    CopyText(log, sizeof log, logPath);
    StripTrailingBackslash(dir);
    StripTrailingBackslash(log);

    if (!dir[0]) {
        LogLineF("***No QM directory for '%s'", name);
        result = FALSE;
    } else if (!FolderExists(dir)) {
        LogLineF("***Can't find QM directory '%s' for '%s'", dir, name);
        result = FALSE;
    }
    if (!log[0]) {
        LogLineF("***No log directory for '%s'", name);
        result = FALSE;
    } else if (!FolderExists(log)) {
        LogLineF("***Can't find log directory '%s' for '%s'", log, name);
        result = FALSE;
    }

    QueueManagerEntry *entry = FindByName(name);
    if (entry) {
        if (!overwrite) {
            LogLineF("Duplicate QM list entry for '%s' ignored", name);
            return result;
        }
        LogLineF("Overwriting duplicate QM list entry for '%s'", name);
        FreeStrings(entry);
    } else {
        entry = (QueueManagerEntry *)calloc(1, sizeof *entry);
        if (!entry) {
            LogLine("***Can't allocate memory for QM list");
            return FALSE;
        }
        entry->Next = sHead;
        sHead = entry;
    }

    entry->Flags = tcpFlag ? QM_FLAG_TCP_LISTENER : 0;
    entry->Name = CopyString(name, "name", &result);
    entry->Directory = CopyString(dir, "dir", &result);
    entry->LogPath = CopyString(log, "log", &result);

    if (entry->Name) LogLineF("QM list entry for '%s' Added", entry->Name);
    if (entry->Directory) LogLineF(" Directory:    '%s'", entry->Directory);
    if (entry->LogPath) LogLineF(" Log:          '%s'", entry->LogPath);
    LogLine(tcpFlag ? " TCP listener: Y" : " TCP listener: N");
    return result;
}

BOOL MarkTcpListener(const char *keyName)
{
    for (QueueManagerEntry *entry = sHead; entry; entry = entry->Next) {
        char last[VL_PATH_SIZE];
        SplitPath(entry->Directory ? entry->Directory : "", NULL, last);
        if (!TextEqualNoCase(last, keyName)) continue;
        if (entry->Name) QmListSetFlags(entry->Name, entry->Flags | QM_FLAG_TCP_LISTENER);
        else entry->Flags |= QM_FLAG_TCP_LISTENER;
        LogLineF("TCP listener flag set for QM '%s'", entry->Name ? entry->Name : "");
        return TRUE;
    }
    LogLineF("***Can't find QM '%s' in list", keyName);
    return FALSE;
}
