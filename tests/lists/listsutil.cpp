#include "listsutil.h"
#include "core/log.h"
#include "core/nls.h"
#include "fixture.h"
#include "runner.h"
#include <windows.h>
#include <stdio.h>
#include <algorithm>

std::string ListsTempFolder(const char *tag) { return MakeUniqueTempFolder(tag); }

std::string ListsStartLog(const std::string &folder)
{
    std::string path = folder + "\\test.log";
    DeleteFileA(path.c_str());
    LogOpen(1, 1, path.c_str(), NULL, NULL, VL_BIN_DIR "\\_isuser.dll");
    NlsLoadLibrary(VL_BIN_DIR "\\_isuser.dll");
    return path;
}


bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return (char)tolower((unsigned char)c); });
    return text;
}
