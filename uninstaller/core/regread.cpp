#include "core/regread.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

char gRegFilePath[260];
char gRegWorkPath[260];

// True for the product's own keys: "Software\Norvik\Varolink" and every key below it.
static BOOL IsProductKey(const char *subKey)
{
    static const char kRoot[] = "Software\\Norvik\\Varolink";
    const size_t n = sizeof kRoot - 1;
    return TextStartsNoCase(subKey, kRoot) && (subKey[n] == 0 || subKey[n] == '\\');
}

// Both set at start-up, before any other thread runs: the repair by the run
// (it lives with the other security code, above this reader), the switch by
// a second copy of the program.
static KeyRepairOpen sRepair;
static BOOL sRepairAllowed = TRUE;

void SetKeyRepair(KeyRepairOpen repair) { sRepair = repair; }
void AllowKeyRepair(BOOL allowed) { sRepairAllowed = allowed; }

LONG OpenProductKey(HKEY root, const char *subKey, REGSAM access, HKEY *key)
{
    if (!root) root = HKEY_LOCAL_MACHINE;
    // The product's own keys that refuse the administrator are repaired:
    // ownership, then the access list, then one more open. Any other key
    // (the system's, another product's) is read as it is and never changed.
    if (sRepair && sRepairAllowed && root == HKEY_LOCAL_MACHINE && IsProductKey(subKey))
        return sRepair(root, subKey, subKey, access, key);
    *key = NULL;
    return RegOpenKeyExA(root, subKey, 0, access, key);
}

// Opens a key to read its values. In a preview, a key the run would have
// created opens as NULL: the values it would have set answer from the held set.
static LONG OpenForValues(HKEY root, const char *subKey, HKEY *key)
{
    LONG rc = OpenProductKey(root, subKey, KEY_QUERY_VALUE, key);
    if (rc != ERROR_SUCCESS && (!root || root == HKEY_LOCAL_MACHINE) && MachineKeyPending(subKey)) {
        *key = NULL;
        return ERROR_SUCCESS;
    }
    return rc;
}

static void CloseForValues(HKEY key)
{
    if (key) RegCloseKey(key);
}

int ReadRegString(const char *subKey, const char *valueName, DWORD *type, char *text, DWORD *size)
{
    text[0] = 0;
    HKEY key;
    if (OpenForValues(HKEY_LOCAL_MACHINE, subKey, &key) != ERROR_SUCCESS) return -1;
    BYTE data[VL_TEXT_SIZE];
    DWORD kind = 0, length = sizeof data - 1;
    LONG rc = MachineQueryValue(key, subKey, valueName, &kind, data, &length);
    CloseForValues(key);
    if (type) *type = kind;
    if (size) *size = length;
    if (rc != ERROR_SUCCESS) return -1;
    if (kind == REG_DWORD && length == sizeof(DWORD)) {
        DWORD value;
        memcpy(&value, data, sizeof value);
        FormatText(text, VL_TEXT_SIZE, "%d", (int)value);
        return 0;
    }
    if (kind == REG_SZ) {
        data[length < sizeof data ? length : sizeof data - 1] = 0;
        if (!data[0]) return -1;
        CopyText(text, VL_TEXT_SIZE, (const char *)data);
        return 0;
    }
    return -1;
}

BOOL ReadRegValue(HKEY root, const char *subKey, const char *valueName, char **out, DWORD *outSize)
{
    if (out) *out = NULL;
    if (outSize) *outSize = 0;
    HKEY key;
    if (OpenForValues(root, subKey, &key) != ERROR_SUCCESS) return FALSE;
    const char *keyPath = !root || root == HKEY_LOCAL_MACHINE ? subKey : NULL;
    DWORD size = 0;
    LONG rc = MachineQueryValue(key, keyPath, valueName, NULL, NULL, &size);
    if (rc != ERROR_SUCCESS) { CloseForValues(key); return FALSE; }
    if (!out) { CloseForValues(key); return TRUE; }
    // One spare zero byte so that string data is always terminated.
    char *buffer = (char *)calloc(1, size + 2);
    if (!buffer) { CloseForValues(key); return FALSE; }
    rc = MachineQueryValue(key, keyPath, valueName, NULL, (BYTE *)buffer, &size);
    CloseForValues(key);
    if (rc != ERROR_SUCCESS) { free(buffer); return FALSE; }
    *out = buffer;
    if (outSize) *outSize = size;
    return TRUE;
}

BOOL ReadRegText(const char *subKey, const char *valueName, char *buffer)
{
    buffer[0] = 0;
    char *value;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, subKey, valueName, &value)) return FALSE;
    BOOL fits = CopyText(buffer, VL_TEXT_SIZE, value);
    free(value);
    if (!fits) buffer[0] = 0;
    return fits;
}

BOOL ComponentRecorded(const char *valueName)
{
    return ReadRegValue(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, valueName, NULL);
}

// Reads a product path value; a value that does not fit a path buffer is refused.
static void ReadPathValue(const char *valueName, char *out)
{
    out[0] = 0;
    char *value;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, valueName, &value)) return;
    if (!CopyText(out, VL_PATH_SIZE, value)) out[0] = 0;
    free(value);
}

void ReadProductPaths()
{
    ReadPathValue("FilePath", gRegFilePath);
    ReadPathValue("WorkPath", gRegWorkPath);
}
