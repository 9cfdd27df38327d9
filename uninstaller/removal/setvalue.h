#pragma once
#include <windows.h>

// Sets a value of an existing key (the key is not created). root NULL =
// HKEY_LOCAL_MACHINE; a negative size is worked out for string types.
int SetRegistryValue(HKEY root, const char *keyPath, const char *valueName, DWORD type,
                     const void *data, int size);
