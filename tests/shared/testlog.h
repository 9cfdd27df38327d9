// The one way a Win32 test opens the uninstall log.
#pragma once
#include <string>

// Makes folder, deletes an old folder\name and opens the uninstall log there
// with the build's NLS library loaded; returns the log's path. Silent (the
// default) shows nothing: message boxes and status lines only go to the log.
std::string OpenTestLog(const std::string &folder, bool silent = true, const char *name = "test.log");
