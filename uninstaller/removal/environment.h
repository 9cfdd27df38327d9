// Taking the product's entries out of the system environment variables (the
// values of the Session Manager's Environment key) and the installer's record
// of the variables it created ("CreationMask").
#pragma once
#include <windows.h>

#include "core/machine.h"   // VL_ENVIRONMENT_KEY

// CreationMask bits of the variables the installer created.
enum { CREATED_INCLUDE = 0x80, CREATED_LIB = 0x100, CREATED_CLASSPATH = 0x200 };

// Removes every occurrence of entry from the system variable name. A missing
// variable or entry is no failure; an emptied variable is deleted only when
// the installer created it.
BOOL RemoveEnvEntry(const char *name, const char *entry);
BOOL SetCreationMaskBits(DWORD bits, BOOL set);
BOOL CreationMaskHas(DWORD bits);
// Drops the Java sample folders of every language named in "classpath".
BOOL RemoveOtherLanguageClasspath(const char *base);
// The language folder of the installation ("en_us" ...), from NLS string 606.
const char *CurrentLanguageFolder();
BOOL BroadcastEnvironmentChange();
