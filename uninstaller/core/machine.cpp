// Every change the run makes to the machine, and its preview.
#include "core/machine.h"
#include "core/fileprobes.h"
#include "core/ledger.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <errno.h>
#include <string.h>
#include <map>
#include <string>

namespace {

BOOL Previewing() { return gRun.Preview; }

// A thing already gone is no change; a sharing violation is a thing in use.
void Record(int kind, const char *target, DWORD code)
{
    switch (code) {
    case ERROR_SUCCESS: LedgerRecord(kind, LEDGER_DONE, target); break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_SERVICE_DOES_NOT_EXIST:
    case ERROR_SERVICE_MARKED_FOR_DELETE:
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: LedgerRecord(kind, LEDGER_IN_USE, target, code); break;
    default: LedgerRecord(kind, LEDGER_FAILED, target, code); break;
    }
}

DWORD Held(int kind, const char *target)
{
    LedgerRecord(kind, LEDGER_WOULD, target);
    return MACHINE_HELD_BACK;
}

// "keyPath\valueName": a value's name in the ledger, so that a key's would-go
// count holds its values beside its subkeys.
void ValueTarget(char *out, size_t size, const char *keyPath, const char *valueName)
{
    if (!FormatText(out, size, "%s\\%s", keyPath, valueName ? valueName : "")) out[0] = 0;
}

// A key that still holds a subkey the preview keeps: RegDeleteKey refuses it.
BOOL KeyKeepsSubkeys(HKEY key, const char *keyPath)
{
    for (DWORD index = 0;; index++) {
        char name[VL_PATH_SIZE + 1];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) return FALSE;
        char sub[VL_TEXT_SIZE];
        if (!FormatText(sub, sizeof sub, "%s\\%s", keyPath, name) || !LedgerWouldGo(sub)) return TRUE;
    }
}

// A preview's values as it would have set them: "keypath\name" folded to
// lower case -> type and data. Any thread; guarded by sHeldLock.
struct HeldValue {
    DWORD Type;
    std::string Data;
};
std::map<std::string, HeldValue> sHeldValues;
struct HeldLock {
    CRITICAL_SECTION Section;
    HeldLock() { InitializeCriticalSection(&Section); }
} sHeldLock;

std::string HeldKey(const char *target)
{
    std::string key = target;
    for (char &c : key)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return key;
}

void HoldValue(const char *target, DWORD type, const void *data, DWORD size)
{
    EnterCriticalSection(&sHeldLock.Section);
    HeldValue &held = sHeldValues[HeldKey(target)];
    held.Type = type;
    held.Data.assign((const char *)data, size);
    LeaveCriticalSection(&sHeldLock.Section);
}

void DropHeldValue(const char *target)
{
    EnterCriticalSection(&sHeldLock.Section);
    sHeldValues.erase(HeldKey(target));
    LeaveCriticalSection(&sHeldLock.Section);
}

// 1 with the held value copied out as RegQueryValueEx would (ERROR_MORE_DATA
// in *rc when it does not fit), 0 when none is held.
int FindHeldValue(const char *target, DWORD *type, BYTE *data, DWORD *size, LONG *rc)
{
    EnterCriticalSection(&sHeldLock.Section);
    auto at = sHeldValues.find(HeldKey(target));
    int found = at != sHeldValues.end();
    if (found) {
        DWORD length = (DWORD)at->second.Data.size();
        if (type) *type = at->second.Type;
        *rc = ERROR_SUCCESS;
        if (data && size && *size < length) *rc = ERROR_MORE_DATA;
        else if (data && size) memcpy(data, at->second.Data.data(), length);
        if (size) *size = length;
    }
    LeaveCriticalSection(&sHeldLock.Section);
    return found;
}

}  // namespace

// Set by the GUI thread when a preview's stop begins; read by the probes.
static volatile LONG sStopHeld;

void MachineReset()
{
    EnterCriticalSection(&sHeldLock.Section);
    sHeldValues.clear();
    LeaveCriticalSection(&sHeldLock.Section);
    InterlockedExchange(&sStopHeld, 0);
}

DWORD MachineDeleteFile(const char *path, const char *diskPath)
{
    if (!diskPath) diskPath = path;
    if (Previewing()) {
        if (LedgerWouldGo(path)) return ERROR_FILE_NOT_FOUND;
        DWORD attributes = GetFileAttributesA(diskPath);
        if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
        LogLineF("Would delete file: '%s'", path);
        return Held(LEDGER_FILE, path);
    }
    SetLastError(0);
    DWORD code = DeleteFileA(diskPath) ? 0 : GetLastError();
    Record(LEDGER_FILE, path, code);
    return code;
}

DWORD MachineRemoveFolder(const char *path, BOOL lastTry)
{
    if (Previewing()) {
        if (LedgerWouldGo(path)) return ERROR_FILE_NOT_FOUND;
        DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_DIRECTORY;
        if (FolderListState(path) == 0) return ERROR_DIR_NOT_EMPTY;
        LogLineF("Would delete path: '%s'", path);
        return Held(LEDGER_FOLDER, path);
    }
    SetLastError(0);
    DWORD code = RemoveDirectoryA(path) ? 0 : GetLastError();
    if (code != ERROR_SHARING_VIOLATION || lastTry) Record(LEDGER_FOLDER, path, code);
    return code;
}

DWORD MachineClearAttributes(const char *path)
{
    if (Previewing()) return MACHINE_HELD_BACK;
    return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) ? 0 : GetLastError();
}

FILE *MachineCreateTextFile(const char *path, const char *shownPath)
{
    if (Previewing()) {
        LogLineF("Would write: '%s'", shownPath);
        LedgerRecord(LEDGER_WRITE, LEDGER_WOULD, shownPath);
        return fopen("NUL", "wt");
    }
    FILE *file = fopen(path, "wt");
    if (!file) LedgerRecord(LEDGER_WRITE, LEDGER_FAILED, shownPath, (DWORD)errno);
    return file;
}

DWORD MachineReplaceFile(const char *from, const char *to)
{
    if (Previewing()) return MACHINE_HELD_BACK;  // listed when it was written
    DWORD code = MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ? 0 : GetLastError();
    Record(LEDGER_WRITE, to, code);
    return code;
}

LONG MachineDeleteKey(HKEY parent, const char *leaf, const char *keyPath)
{
    if (Previewing()) {
        // A key that is not there is passed over without a line: the real
        // run's caller reports a missing key as deleted, which a preview
        // must not claim.
        if (LedgerWouldGo(keyPath)) return MACHINE_HELD_BACK;
        HKEY key;
        LONG rc = RegOpenKeyExA(parent, leaf, 0, KEY_READ, &key);
        if (rc == ERROR_FILE_NOT_FOUND) return MACHINE_HELD_BACK;
        if (rc != ERROR_SUCCESS) return rc;
        BOOL kept = KeyKeepsSubkeys(key, keyPath);
        RegCloseKey(key);
        if (kept) return ERROR_ACCESS_DENIED;
        LogLineF("Would delete key: '%s'", keyPath);
        return (LONG)Held(LEDGER_KEY, keyPath);
    }
    LONG rc = RegDeleteKeyA(parent, leaf);
    Record(LEDGER_KEY, keyPath, (DWORD)rc);
    return rc;
}

LONG MachineDeleteValue(HKEY key, const char *keyPath, const char *valueName)
{
    char target[VL_TEXT_SIZE];
    ValueTarget(target, sizeof target, keyPath, valueName);
    if (Previewing()) {
        // The key may be open for setting only: it is opened once more, for reading.
        HKEY query;
        LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &query);
        if (rc != ERROR_SUCCESS) return rc;
        rc = MachineQueryValue(query, keyPath, valueName, NULL, NULL, NULL);
        RegCloseKey(query);
        if (rc != ERROR_SUCCESS) return rc;
        DropHeldValue(target);
        LogLineF("Would delete value [HKLM\\%s] '%s'", keyPath, valueName);
        return (LONG)Held(LEDGER_VALUE, target);
    }
    LONG rc = RegDeleteValueA(key, valueName);
    Record(LEDGER_VALUE, target, (DWORD)rc);
    return rc;
}

LONG MachineSetValue(HKEY key, const char *keyPath, const char *valueName, DWORD type, const void *data,
                     DWORD size)
{
    char target[VL_TEXT_SIZE];
    ValueTarget(target, sizeof target, keyPath, valueName);
    if (Previewing()) {
        if (TextEqualNoCase(keyPath, VL_ENVIRONMENT_KEY))
            LogLineF("Would set '%s' variable", valueName);
        else
            LogLineF("Would set value [HKLM\\%s] '%s'", keyPath, valueName);
        LedgerRecord(LEDGER_WRITE, LEDGER_WOULD, target);
        HoldValue(target, type, data, size);
        return MACHINE_HELD_BACK;
    }
    if (!key) return ERROR_INVALID_HANDLE;
    LONG rc = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, size);
    Record(LEDGER_WRITE, target, (DWORD)rc);
    return rc;
}

LONG MachineQueryValue(HKEY key, const char *keyPath, const char *valueName, DWORD *type, BYTE *data,
                       DWORD *size)
{
    if (keyPath && Previewing()) {
        char target[VL_TEXT_SIZE];
        ValueTarget(target, sizeof target, keyPath, valueName);
        LONG rc;
        if (LedgerWouldGo(keyPath)) return ERROR_FILE_NOT_FOUND;
        if (FindHeldValue(target, type, data, size, &rc)) return rc;
        if (LedgerWouldGo(target)) return ERROR_FILE_NOT_FOUND;
    }
    if (!key) return ERROR_FILE_NOT_FOUND;   // a key a preview would have made, without this value
    return RegQueryValueExA(key, valueName, NULL, type, data, size);
}

BOOL MachineKeyPending(const char *keyPath)
{
    LedgerItem item;
    return LedgerFind(keyPath, &item) && item.Kind == LEDGER_WRITE && item.Outcome == LEDGER_WOULD;
}

LONG MachineCreateKey(const char *keyPath, HKEY *key)
{
    *key = NULL;
    if (Previewing()) {
        // An existing key is only opened; a missing one would be made with its value.
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, key) == ERROR_SUCCESS) return 0;
        *key = NULL;
        LedgerRecord(LEDGER_WRITE, LEDGER_WOULD, keyPath);
        return MACHINE_HELD_BACK;
    }
    LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, NULL, 0, KEY_SET_VALUE, NULL, key, NULL);
    if (rc != ERROR_SUCCESS) {
        *key = NULL;
        LedgerRecord(LEDGER_WRITE, LEDGER_FAILED, keyPath, (DWORD)rc);
    }
    return rc;
}

DWORD MachineSetOwner(const char *object, SE_OBJECT_TYPE type, PSID owner)
{
    if (Previewing()) {
        LogLineF("Would set owner of '%s'", object);
        return Held(LEDGER_SECURITY, object);
    }
    DWORD rc = SetNamedSecurityInfoA((LPSTR)object, type, OWNER_SECURITY_INFORMATION, owner, NULL, NULL, NULL);
    Record(LEDGER_SECURITY, object, rc);
    return rc;
}

DWORD MachineSetAccessList(const char *object, SE_OBJECT_TYPE type, PACL list)
{
    if (Previewing()) {
        LogLineF("Would set access list of '%s'", object);
        return Held(LEDGER_SECURITY, object);
    }
    DWORD rc = SetNamedSecurityInfoA((LPSTR)object, type, DACL_SECURITY_INFORMATION, NULL, NULL, list, NULL);
    // Refused access is repaired by the caller and tried once more.
    if (rc != ERROR_ACCESS_DENIED) Record(LEDGER_SECURITY, object, rc);
    return rc;
}

DWORD MachineDeleteService(SC_HANDLE service, const char *name)
{
    if (Previewing()) {
        if (LedgerWouldGo(name)) return ERROR_SERVICE_MARKED_FOR_DELETE;
        LogLineF("Would delete service '%s'", name);
        return Held(LEDGER_SERVICE, name);
    }
    DWORD code = DeleteService(service) ? 0 : GetLastError();
    Record(LEDGER_SERVICE, name, code);
    return code;
}

void MachineNoteServiceStop(const char *name)
{
    if (Previewing()) {
        LogLineF("Would stop service '%s'", name);
        LedgerRecord(LEDGER_PROGRAM, LEDGER_WOULD, name);
    }
}

void MachineStopStarted()
{
    if (Previewing()) InterlockedExchange(&sStopHeld, 1);
}

BOOL MachineStopHeld() { return InterlockedCompareExchange(&sStopHeld, 0, 0) != 0; }

BOOL MachineServiceHeld(const char *name)
{
    LedgerItem item;
    return LedgerFind(name, &item) && item.Outcome == LEDGER_WOULD &&
           (item.Kind == LEDGER_SERVICE || item.Kind == LEDGER_PROGRAM);
}

int MachineFileHeldOpen(const char *path)
{
    DWORD access = Previewing() ? GENERIC_READ : GENERIC_WRITE;
    SetLastError(0);
    HANDLE file = CreateFileA(path, access, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error = GetLastError();
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 0;
    }
    if (error == ERROR_SHARING_VIOLATION) return 1;
    if (error == ERROR_ACCESS_DENIED) return -1;
    return 0;
}

DWORD MachineStartProgram(SHELLEXECUTEINFOA *info, const char *announce)
{
    char target[VL_TEXT_SIZE];
    if (!FormatText(target, sizeof target, "%s %s", info->lpFile, info->lpParameters ? info->lpParameters : ""))
        CopyText(target, sizeof target, info->lpFile);
    info->hProcess = NULL;
    if (Previewing()) {
        LogLineF("Would start: '%s' '%s'", info->lpFile, info->lpParameters ? info->lpParameters : "");
        return Held(LEDGER_PROGRAM, target);
    }
    if (announce) LogLine(announce);
    SetLastError(0);
    DWORD code = ShellExecuteExA(info) ? 0 : GetLastError();
    Record(LEDGER_PROGRAM, target, code);
    return code;
}

DWORD MachineRunLibraryEntry(const char *library, const char *entry, const char *announce)
{
    char target[VL_TEXT_SIZE];
    if (!FormatText(target, sizeof target, "%s(%s)", library, entry)) CopyText(target, sizeof target, library);
    if (Previewing()) {
        LogLineF("Would run: '%s(%s)'", library, entry);
        return Held(LEDGER_PROGRAM, target);
    }
    if (announce) LogLine(announce);
    LedgerRecord(LEDGER_PROGRAM, LEDGER_DONE, target);
    return 0;
}

DWORD MachineEndProcess(HANDLE process, DWORD id, const char *path)
{
    if (Previewing()) {
        LogLineF("Would end process ID %d '%s'", (int)id, path);
        return Held(LEDGER_PROCESS, path);
    }
    DWORD code = TerminateProcess(process, 0) ? 0 : GetLastError();
    Record(LEDGER_PROCESS, path, code);
    return code;
}

DWORD MachineBroadcastEnvironment(void (*send)(void *), void *context)
{
    if (Previewing()) {
        LogLine("Would broadcast environment changes");
        LedgerRecord(LEDGER_WRITE, LEDGER_WOULD, "Environment");
        return MACHINE_HELD_BACK;
    }
    send(context);
    LedgerRecord(LEDGER_WRITE, LEDGER_DONE, "Environment");
    return 0;
}

DWORD MachineWrite(const char *target, int (*write)(void *), void *context)
{
    if (Previewing()) {
        LogLineF("Would write: '%s'", target);
        return Held(LEDGER_WRITE, target);
    }
    DWORD code = write(context) ? 0 : ERROR_WRITE_FAULT;
    Record(LEDGER_WRITE, target, code);
    return code;
}
