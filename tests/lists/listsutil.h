// Helpers of the list, environment, shortcut and queue-manager tests.
#pragma once
#include "runner.h"
#include "testlog.h"
#include <string>
#include <vector>

// A new empty folder below %TEMP% unique to this process and call.
std::string ListsTempFolder(const char *tag);
std::string Lower(std::string text);
