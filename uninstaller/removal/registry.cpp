// Setting and deleting registry values, keys and key trees.
#include "removal/registry.h"
#include "core/mbchar.h"
#include "core/ledger.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathlist.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdlib.h>
#include <string.h>

int SetRegistryValue(HKEY root, const char *keyPath, const char *valueName, DWORD type,
                     const void *data, int size)
{
    if (type == REG_DWORD) size = 4;
    else if (size < 0) {
        if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
        size = (int)strlen((const char *)data) + 1;
    }
    HKEY key;
    LONG rc = OpenProductKey(root, keyPath, KEY_SET_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND && MachineKeyPending(keyPath)) {
        key = NULL;   // a preview's key that would have been made first
        rc = ERROR_SUCCESS;
    }
    if (rc != ERROR_SUCCESS) {
        LogLineF("Error %d opening key '%s'", (int)rc, keyPath);
        return 0;
    }
    rc = MachineSetValue(key, keyPath, valueName, type, data, (DWORD)size);
    if (key) RegCloseKey(key);
    if (rc != ERROR_SUCCESS && rc != MACHINE_HELD_BACK) {
        LogLineF("Error %d setting key '%s' value '%s'", (int)rc, keyPath, valueName);
        return 0;
    }
    return 1;
}

int DeleteRegistryValue(HKEY root, const char *keyPath, const char *valueName, BOOL reportAll)
{
    if (!valueName || !valueName[0]) return 1;
    HKEY key;
    LONG rc = OpenProductKey(root, keyPath, KEY_SET_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND) {
        if (reportAll) LogLineF("Delete value key not found [HKLM\\%s] '%s'", keyPath, valueName);
        return 1;
    }
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Delete value open key error %d [HKLM\\%s] '%s'", (int)rc, keyPath, valueName);
        return 0;
    }
    int result = 1;
    rc = MachineDeleteValue(key, keyPath, valueName);
    if (rc == MACHINE_HELD_BACK) {
    } else if (rc == ERROR_SUCCESS) {
        LogLineF("Deleted value [HKLM\\%s] '%s'", keyPath, valueName);
    } else if (rc == ERROR_FILE_NOT_FOUND) {
        if (reportAll) LogLineF("Delete value not found [HKLM\\%s] '%s'", keyPath, valueName);
    } else {
        LogLineF("***Delete value error %d [HKLM\\%s] '%s'", (int)rc, keyPath, valueName);
        result = 0;
    }
    RegCloseKey(key);
    return result;
}

int DeleteRegistryKey(const char *keyPath)
{
    // Key paths may be longer than a file path; a path that does not fit is
    // refused rather than cut into the name of some other key.
    char parent[VL_TEXT_SIZE];
    if (!CopyText(parent, sizeof parent, keyPath)) {
        LogLineF("***RegOpenKeyEx error %d '%s'", (int)ERROR_FILENAME_EXCED_RANGE, keyPath);
        return 0;
    }
    char *slash = MbFindLastChar(parent, '\\');
    if (!slash) return 1;
    *slash = 0;
    const char *leaf = slash + 1;

    HKEY key;
    LONG rc = OpenProductKey(HKEY_LOCAL_MACHINE, parent, KEY_ALL_ACCESS, &key);
    if (rc == ERROR_FILE_NOT_FOUND) return 1;
    if (rc != ERROR_SUCCESS) {
        LogLineF("***RegOpenKeyEx error %d '%s'", (int)rc, keyPath);
        return 0;
    }
    int result = 1;
    rc = MachineDeleteKey(key, leaf, keyPath);
    if (rc == MACHINE_HELD_BACK) {
    } else if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        LogLineF("Deleted key '%s'", keyPath);
    } else if (rc == ERROR_ACCESS_DENIED) {
        LogLineF("***RegDeleteKey ERROR_ACCESS_DENIED '%s'", keyPath);
        result = 0;
    } else {
        LogLineF("***RegDeleteKey error %d '%s'", (int)rc, keyPath);
        result = 0;
    }
    RegCloseKey(key);
    return result;
}

// Lists the subkey names of keyPath into *list (a key that cannot be opened
// has none). A subkey named spared, when given, is left out with its line and
// sets *sparedFound. 0 when the key could not be listed in full.
static int ListSubkeys(const char *keyPath, const char *spared, PathNode **list, BOOL *sparedFound)
{
    int result = 1;
    HKEY key;
    if (OpenProductKey(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return 1;
    for (DWORD index = 0;; index++) {
        char name[VL_PATH_SIZE + 1];
        DWORD length = sizeof name;
        LONG rc = RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL);
        if (rc != ERROR_SUCCESS) {
            if (rc != ERROR_NO_MORE_ITEMS) {
                LogLineF("***Can't enumerate key: '%s' %d", keyPath, (int)rc);
                result = 0;
            }
            break;
        }
        char subPath[VL_TEXT_SIZE];
        // A preview's subkey that an earlier step would have deleted is gone.
        if (FormatText(subPath, sizeof subPath, "%s\\%s", keyPath, name) && LedgerWouldGo(subPath)) continue;
        if (spared && spared[0] && strcmp(name, spared) == 0) {
            LogLineF("Not deleting subkey '%s'", name);
            *sparedFound = TRUE;
            continue;
        }
        if (!PushPath(list, name, "***Can't allocate memory for subkey")) {
            result = 0;
            break;
        }
    }
    RegCloseKey(key);
    return result;
}

int DeleteRegistryTree(const char *keyPath, const char *spared, BOOL recursive)
{
    BOOL sparedFound = FALSE;
    PathNode *list = NULL;   // the subkey names of this key
    int result = ListSubkeys(keyPath, spared, &list, &sparedFound);
    BOOL deleteThisKey = !sparedFound;

    while (PathNode *node = PopPath(&list)) {
        if (recursive) {
            char subPath[VL_TEXT_SIZE];
            if (FormatText(subPath, sizeof subPath, "%s\\%s", keyPath, node->Path)) {
                result &= DeleteRegistryTree(subPath, "", TRUE);
            } else {
                LogLineF("***Can't enumerate key: '%s' %d", keyPath, (int)ERROR_FILENAME_EXCED_RANGE);
                result = 0;
                deleteThisKey = FALSE;
            }
        } else {
            deleteThisKey = FALSE;  // a key with subkeys is kept
        }
        FreePathNode(node);
    }

    if (deleteThisKey)
        DeleteRegistryKey(keyPath);  // logs its own outcome
    else if (recursive)
        LogLineF("Not deleting key '%s'; it has subkeys", keyPath);
    return result;
}

// 1 when spared names the subkey name itself, 2 when it names a key below it
// (*rest: the path below name), else 0.
static int SparedMatch(const char *spared, const char *name, const char **rest)
{
    size_t length = strlen(name);
    if (!TextStartsNoCase(spared, name)) return 0;
    if (!spared[length]) return 1;
    if (spared[length] != '\\' || !spared[length + 1]) return 0;
    *rest = spared + length + 1;
    return 2;
}

// *kept: keyPath stays because something below it was spared.
static int DeleteTreeSparing(const char *keyPath, const char *const *spared, size_t count, BOOL *kept)
{
    *kept = FALSE;
    PathNode *list = NULL;
    int result = ListSubkeys(keyPath, NULL, &list, kept);
    if (!result) *kept = TRUE;

    while (PathNode *node = PopPath(&list)) {
        const char *name = node->Path;
        BOOL whole = FALSE;
        size_t below = 0;
        const char **rests = count ? (const char **)malloc(count * sizeof *rests) : NULL;
        for (size_t i = 0; i < count && !whole; i++) {
            const char *rest = NULL;
            int match = spared[i] ? SparedMatch(spared[i], name, &rest) : 0;
            if (match == 1) whole = TRUE;
            else if (match == 2 && rests) rests[below++] = rest;
        }
        char subPath[VL_TEXT_SIZE];
        if (whole) {
            LogLineF("Not deleting subkey '%s'", name);
            *kept = TRUE;
        } else if (count && !rests) {
            LogLine("***Can't allocate memory for subkey");   // which keys to spare is unknown: keep all
            result = 0;
            *kept = TRUE;
        } else if (!FormatText(subPath, sizeof subPath, "%s\\%s", keyPath, name)) {
            LogLineF("***Can't enumerate key: '%s' %d", keyPath, (int)ERROR_FILENAME_EXCED_RANGE);
            result = 0;
            *kept = TRUE;
        } else if (below) {
            BOOL subKept;
            result &= DeleteTreeSparing(subPath, rests, below, &subKept);
            if (subKept) *kept = TRUE;
        } else {
            result &= DeleteRegistryTree(subPath, "", TRUE);
        }
        free(rests);
        FreePathNode(node);
    }

    if (!*kept)
        DeleteRegistryKey(keyPath);   // logs its own outcome
    else
        LogLineF("Not deleting key '%s'; it has subkeys", keyPath);
    return result;
}

int DeleteRegistryTreeSparing(const char *keyPath, const char *const *spared, size_t count)
{
    BOOL kept;
    return DeleteTreeSparing(keyPath, spared, count, &kept);
}
