// Probes and fixtures that the Win32 tests of several areas share: whether a
// path or key exists, a key that refuses access, and a file held open by
// another process.
#pragma once
#include <windows.h>
#include <string>

bool PathExists(const std::string &path);
// A key below HKEY_LOCAL_MACHINE that can be opened for reading.
bool KeyExists(const std::string &path);
// Gives the key (below HKLM) an access list that grants only read access to
// LocalSystem, so that opening it for the uninstaller needs the access repair.
void RestrictKey(const std::string &path);

// Starts holdopen.exe on path (file or directory) and waits until it holds
// it; Release ends it.
struct Holder {
    HANDLE Process = NULL;
    HANDLE Stop = NULL;
};
Holder HoldOpen(const std::string &path);
void Release(Holder &holder);
