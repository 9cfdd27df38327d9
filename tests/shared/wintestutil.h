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
// The Unix name of a Windows path, from Wine's own export ("" when it has none).
std::string UnixName(const std::string &path);

// Starts holdopen.exe on path (file or directory) and waits until it holds
// it; Release ends it.
struct Holder {
    HANDLE Process = NULL;
    HANDLE Stop = NULL;
};
Holder HoldOpen(const std::string &path);
void Release(Holder &holder);

// Links that Wine reports as reparse points: Unix symbolic links, made by
// vllink.sh (a Unix program in the tests' bin folder) and waited for. Both
// paths are Windows paths inside the prefix (the test runner turns links that
// leave the prefix into empty folders). MakeDrive gives a second drive letter
// to a folder (dosdevices link); the runner removes extra drives before each
// run, and the test removes its own with RemoveDrive.
bool MakeLink(const std::string &link, const std::string &target);
bool RemoveLink(const std::string &link);
bool MakeDrive(char letter, const std::string &folder);
bool RemoveDrive(char letter);
