// Access lists and ownership of the product's registry keys and files.
// The lists written grant full control to Administrators, to the product's
// administration group "vlm" and to LocalSystem and, when asked, an access
// for Everyone. Registry keys are named "MACHINE\<path below HKLM>".
#pragma once
#include <windows.h>
#include <aclapi.h>

// Secures the whole tree below HKLM\rootKey (status may be NULL). 1 / 0.
int SecureProductRegistry(const char *rootKey, HWND status);
// Secures the open key (path below HKLM) and every key below it. 1 / 0.
int SecureKeyTree(HKEY key, const char *path, HWND status);

// everyoneMode NOT_USED_ACCESS (0) = no Everyone entry. Repair form:
// (path, FALSE, NOT_USED_ACCESS, 0); tree form: (path, TRUE, GRANT_ACCESS, GENERIC_READ).
int SecureRegistryKey(const char *keyPath, BOOL replace, ACCESS_MODE everyoneMode, DWORD everyonePermissions);
int SecureFile(const char *path, BOOL replace, ACCESS_MODE everyoneMode, DWORD everyonePermissions);

// Makes Administrators the owner. type SE_REGISTRY_KEY (name below HKLM, with
// or without "MACHINE\") or SE_FILE_OBJECT. Always returns 1.
int TakeOwnership(const char *name, SE_OBJECT_TYPE type);

// 8 primary domain controller, 16 backup domain controller, 0 otherwise.
int GetDomainControllerRole();

// Cached well-known SIDs and the "vlm" group SID; NULL on failure.
PSID CreateAdminSid();
PSID CreateSystemSid();
PSID CreateWorldSid();
PSID CreateVlmSid();

// The repair sequence for a key below HKLM: open parent\subKey; on access
// denied take ownership of fullPath, repair its access list and open once more.
// parent HKEY_LOCAL_MACHINE with subKey == fullPath opens by full path.
LONG OpenKeyWithRepair(HKEY parent, const char *subKey, const char *fullPath, REGSAM access, HKEY *key);
