// Deletion of a Windows NT service (it is not stopped here).
#pragma once
#include <windows.h>

// 0 on success (also: not found, already marked for delete), else the Win32 error.
DWORD DeleteServiceByName(const char *name);
