#include "testlog.h"
#include "fixture.h"
#include "core/log.h"
#include "core/nls.h"
#include <windows.h>

std::string OpenTestLog(const std::string &folder, bool silent, const char *name)
{
    MakeFolders(folder);
    std::string path = folder + "\\" + name;
    DeleteFileA(path.c_str());
    LogOpen(silent ? 1 : 0, 1, path.c_str(), NULL, NULL, VL_BIN_DIR "\\_isuser.dll");
    NlsLoadLibrary(VL_BIN_DIR "\\_isuser.dll");
    return path;
}
