// Helpers of the list, environment, shortcut and queue-manager tests.
#pragma once
#include "runner.h"
#include <string>
#include <vector>

// A new empty folder below %TEMP% unique to this process and call.
std::string ListsTempFolder(const char *tag);
// Opens the uninstall log (silent, so nothing is ever shown) on folder\test.log
// with the NLS library of the build; returns the log path.
std::string ListsStartLog(const std::string &folder);
bool Exists(const std::string &path);
std::string Lower(std::string text);
