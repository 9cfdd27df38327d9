// Registry value, key and key-tree deletion, and setting values. Key paths are
// given without the root; a NULL root is HKEY_LOCAL_MACHINE. Keys under HKLM
// that refuse access are repaired (ownership, access list) and opened once more.
#pragma once
#include <windows.h>

// Sets a value of an existing key (the key is not created). A negative size is
// worked out for REG_SZ / REG_EXPAND_SZ (length plus one); REG_DWORD is always 4.
int SetRegistryValue(HKEY root, const char *keyPath, const char *valueName, DWORD type,
                     const void *data, int size);

// An absent value or key is success; reportAll logs those cases too.
int DeleteRegistryValue(HKEY root, const char *keyPath, const char *valueName, BOOL reportAll);

// Deletes HKLM\keyPath (which must have no subkeys). A missing key is success.
int DeleteRegistryKey(const char *keyPath);

// Deletes HKLM\keyPath with its subkeys (recursive), keeping the direct subkey
// named spared (exact case; NULL or "" = none) and so its ancestors. Without
// recursive, the key goes only when it has no subkeys at all.
int DeleteRegistryTree(const char *keyPath, const char *spared, BOOL recursive);
// The same, recursive, keeping every key that one of the count relative paths
// of spared names below keyPath ("WebAdministration", "QueueManager\QM1";
// compared without regard to case, as the registry does) and so its
// ancestors. A spared key that does not exist spares nothing.
int DeleteRegistryTreeSparing(const char *keyPath, const char *const *spared, size_t count);
