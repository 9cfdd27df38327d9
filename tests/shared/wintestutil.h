// Fixtures that the Win32 tests of several areas share: a key that refuses
// access and a file held open by another process (the probes whether a path
// or key exists are those of runner.h).
#pragma once
#include "runner.h"
#include <windows.h>
#include <string>

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
