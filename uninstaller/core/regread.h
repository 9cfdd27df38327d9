// Registry reads of the product's values (HKEY_LOCAL_MACHINE).
#pragma once
#include <windows.h>

// 0 on success, -1 on failure. REG_DWORD comes back as decimal text; a
// non-empty REG_SZ unchanged (up to 516 bytes); anything else fails.
int ReadRegString(const char *subKey, const char *valueName, DWORD *type, char *text, DWORD *size);

// Reads a value into a new buffer (*out, caller frees with free()); with out
// NULL it only tests that the value exists. root NULL = HKEY_LOCAL_MACHINE.
// A product key that refuses access is repaired and opened once more; other
// keys are only read.
BOOL ReadRegValue(HKEY root, const char *subKey, const char *valueName, char **out, DWORD *outSize = NULL);

// ReadRegValue under HKEY_LOCAL_MACHINE, copied into a VL_TEXT_SIZE buffer.
// Fails (buffer empty) when the value does not fit.
BOOL ReadRegText(const char *subKey, const char *valueName, char *buffer);

// The value exists in the components key.
BOOL ComponentRecorded(const char *valueName);

// Re-reads "FilePath" and "WorkPath" of the product key into gRegFilePath/gRegWorkPath.
void ReadProductPaths();
extern char gRegFilePath[260];
extern char gRegWorkPath[260];

// Opens root\subKey (root NULL = HKLM). A product key (HKLM, at or below
// "Software\Norvik\Varolink") that refuses access is repaired: ownership,
// access list, one more open. Returns the RegOpenKeyEx result.
LONG OpenProductKey(HKEY root, const char *subKey, REGSAM access, HKEY *key);

// How a product key that refuses access is opened after repairing it (the
// security code's OpenKeyWithRepair). The run hands it down at start-up;
// until then (and with NULL) every key is read as it is.
typedef LONG (*KeyRepairOpen)(HKEY parent, const char *subKey, const char *fullPath, REGSAM access, HKEY *key);
void SetKeyRepair(KeyRepairOpen repair);
// Key repair on (the default) or off: a second copy of the program must not
// change the keys the running copy works on.
void AllowKeyRepair(BOOL allowed);
