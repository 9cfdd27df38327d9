#include "removal/setvalue.h"
#include "core/log.h"
#include "core/regread.h"
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
    if (rc != ERROR_SUCCESS) {
        LogLineF("Error %d opening key '%s'", (int)rc, keyPath);
        return 0;
    }
    rc = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, (DWORD)size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) {
        LogLineF("Error %d setting key '%s' value '%s'", (int)rc, keyPath, valueName);
        return 0;
    }
    return 1;
}
