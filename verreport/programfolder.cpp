// Finds the product's program folder through the registry.
#include "verreport.h"

static const char kProductKey[] = "SOFTWARE\\Norvik\\Varolink\\CurrentVersion";

int ReadProgramFolder(char* folder)
{
    HKEY key;
    folder[0] = '\0';
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    DWORD size = MAX_PATH;
    LONG rc = RegQueryValueExA(key, "FilePath", NULL, NULL, (BYTE*)folder, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || size > MAX_PATH) {
        folder[0] = '\0';
        return 0;
    }
    // The type is not checked, so the value may come without its terminator;
    // a value that leaves no room for one does not fit.
    if (size == 0 || folder[size - 1] != '\0') {
        if (size >= MAX_PATH) {
            folder[0] = '\0';
            return 0;
        }
        folder[size] = '\0';
    }
    // An empty value names no folder; walking it would mean the current drive's root.
    return folder[0] != '\0';
}
