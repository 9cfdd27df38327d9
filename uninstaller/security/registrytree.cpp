// Securing the product's registry tree at start-up, and the repair sequence
// every opener of a product key uses when a key refuses access.
#include "security/security.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/statusline.h"

LONG OpenKeyWithRepair(HKEY parent, const char *subKey, const char *fullPath, REGSAM access, HKEY *key)
{
    *key = NULL;
    LONG rc = RegOpenKeyExA(parent, subKey, 0, access, key);
    if (rc != ERROR_ACCESS_DENIED) return rc;
    TakeOwnership(fullPath, SE_REGISTRY_KEY);
    SecureRegistryKey(fullPath, FALSE, NOT_USED_ACCESS, 0);
    rc = RegOpenKeyExA(parent, subKey, 0, access, key);
    return rc;
}

int SecureKeyTree(HKEY key, const char *path, HWND status)
{
    if (status) SetStatusText(status, path, TRUE);
    if (!SecureRegistryKey(path, TRUE, GRANT_ACCESS, GENERIC_READ)) return 0;

    int result = 1;
    for (DWORD index = 0; result; index++) {
        char name[VL_PATH_SIZE + 1];
        DWORD length = sizeof name;
        LONG rc = RegEnumKeyExA(key, index, name, &length, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't enumerate key: '%s' %d", path, (int)rc);
            result = 0;
            break;
        }
        char subPath[VL_TEXT_SIZE];
        if (!FormatText(subPath, sizeof subPath, "%s\\%s", path, name)) {
            LogLineF("***Can't open subKey: '%s' %d", name, (int)ERROR_FILENAME_EXCED_RANGE);
            result = 0;
            break;
        }
        HKEY subKey;
        rc = OpenKeyWithRepair(key, name, subPath, KEY_ALL_ACCESS, &subKey);
        if (rc == ERROR_ACCESS_DENIED) {
            LogLineF("***ERROR_ACCESS_DENIED subKey: '%s'", name);
            result = 0;
        } else if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't open subKey: '%s' %d", name, (int)rc);
            result = 0;
        } else {
            result &= SecureKeyTree(subKey, subPath, status);
            RegCloseKey(subKey);
        }
    }
    return result;
}

int SecureProductRegistry(const char *rootKey, HWND status)
{
    LogLineF("Securing Varolink registry; root key: '%s'", rootKey);
    HKEY key;
    LONG rc = OpenKeyWithRepair(HKEY_LOCAL_MACHINE, rootKey, rootKey, KEY_ALL_ACCESS, &key);
    int result = 0;
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Unable to open key: '%s' %d", rootKey, (int)rc);
    } else {
        result = SecureKeyTree(key, rootKey, status);
        RegCloseKey(key);
    }
    LogLine(result ? "Varolink registry secured" : "***Error securing Varolink registry");
    return result;
}
