// Helpers of the queue-manager data and service-level tests: a fixture
// installation in a temp folder with the test log opened beside it (with the
// shared probes and file holder of wintestutil.h).
#pragma once
#include "fixture.h"
#include "runner.h"
#include "testlog.h"
#include "wintestutil.h"
#include <windows.h>
#include <string>
#include <vector>

#define VL_CONFIG_KEY "Software\\Norvik\\Varolink\\CurrentVersion\\Configuration"

// A description rooted in a new temp folder (no NLS library copied).
FixtureDescription TempDescription(const char *tag);
// The log's entries after the header a fresh log begins with.
std::vector<std::string> LogBody(const std::string &logPath);
// A value of HKLM\keyPath as text ("<none>" when missing); type receives its type.
std::string RegText(const std::string &keyPath, const char *name, DWORD *type = NULL);
// Removes the product's registry tree even where a test restricted a key
// (the uninstaller's own deletion, which repairs access first).
void ClearProductKey();
// Lines of a text file (CR LF or LF), without line ends.
std::vector<std::string> FileLines(const std::string &path);
