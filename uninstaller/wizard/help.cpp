#include "wizard/help.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/fileprobes.h"
#include "core/messagebox.h"
#include "wizard/page.h"
#include <stdlib.h>
#include <string.h>

static DWORD SystemMajorVersion(BOOL *ok)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    *ok = GetVersionExA(&version);
    return *ok ? version.dwMajorVersion : 0;
}
DWORD (*gOsMajorVersion)(BOOL *ok) = SystemMajorVersion;

// Cuts the next dot-separated part off *rest; a text without a further dot gives 0.
static unsigned long NextVersionPart(char **rest)
{
    char *dot = strchr(*rest, '.');
    if (!dot) return 0;
    *dot = 0;
    unsigned long value = strtoul(*rest, NULL, 10);
    *rest = dot + 1;
    return value;
}

int CompareVersions(const char *installed, const char *required)
{
    char have[VL_TEXT_SIZE], need[VL_TEXT_SIZE];
    FormatText(have, sizeof have, "%s.", installed);
    FormatText(need, sizeof need, "%s.", required);
    char *haveRest = have, *needRest = need;
    for (int part = 0; part < 4; part++) {
        unsigned long a = NextVersionPart(&haveRest);
        unsigned long b = NextVersionPart(&needRest);
        if (a < b) return 1;
        if (a > b) return 0;
    }
    return 0;
}

static BOOL CheckInternetExplorer()
{
    LogLine("Checking for IE 4.01 SP1");
    char version[VL_TEXT_SIZE];
    DWORD type = 0, size = sizeof version;
    BOOL missing = TRUE;
    if (ReadRegString("SOFTWARE\\Microsoft\\Internet Explorer", "Version", &type, version, &size) == 0)
        missing = CompareVersions(version, VL_IE_REQUIRED_VERSION);
    LogLine(missing ? "IE 4.01 is not installed" : "IE 4.01 is installed");
    return missing;
}

// Reads the file version of hhctrl.ocx; 0 (and a log line) on failure.
static int ReadHtmlHelpVersion(char *version)
{
    static const char kFile[] = "hhctrl.ocx";
    DWORD handle = 0;
    SetLastError(0);
    DWORD size = GetFileVersionInfoSizeA(kFile, &handle);
    if (!size) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) LogLineF("***Can't find '%s'", kFile);
        else LogLineF("***GetFileVersionInfoSize error %d '%s'", (int)error, kFile);
        return 0;
    }
    void *buffer = malloc(size);
    if (!buffer) {
        LogLine("***Can't allocate version buffer");
        return 0;
    }
    int ok = 0;
    VS_FIXEDFILEINFO *info = NULL;
    UINT infoSize = 0;
    if (!GetFileVersionInfoA(kFile, handle, size, buffer)) {
        LogLineF("***GetFileVersionInfo error %d '%s'", (int)GetLastError(), kFile);
    } else if (!VerQueryValueA(buffer, "\\", (void **)&info, &infoSize) || !info) {
        LogLineF("***VerQueryValue error '%s'", kFile);
    } else {
        int a = HIWORD(info->dwFileVersionMS), b = LOWORD(info->dwFileVersionMS);
        int c = HIWORD(info->dwFileVersionLS), d = LOWORD(info->dwFileVersionLS);
        LogLineF("File version of '%s' is %d.%d.%d.%d", kFile, a, b, c, d);
        FormatText(version, VL_TEXT_SIZE, "%d.%d.%d.%d", a, b, c, d);
        ok = 1;
    }
    free(buffer);
    return ok;
}

int CheckHelpPrerequisites(BOOL *htmlHelpMissing, BOOL *ieMissing)
{
    int result = 1;
    BOOL ok = FALSE;
    DWORD major = gOsMajorVersion(&ok);
    if (!ok) {
        LogLine("Can't get OS version; assuming 4");
        major = 4;
    }
    if (major >= 5) {
        LogLineF("OS major version is %d; assuming prereqs are satisfied", (int)major);
        gRun.IeMissing = FALSE;
        gRun.HtmlHelpMissing = FALSE;
    } else {
        gRun.IeMissing = CheckInternetExplorer();
        LogLine("Checking for HTML Help 1.2");
        char version[VL_TEXT_SIZE];
        if (ReadHtmlHelpVersion(version)) {
            gRun.HtmlHelpMissing = CompareVersions(version, VL_HTMLHELP_REQUIRED_VERSION);
        } else {
            gRun.HtmlHelpMissing = TRUE;
            result = 0;
        }
        LogLine(gRun.HtmlHelpMissing ? "HTML Help 1.2 is not installed" : "HTML Help 1.2 is installed");
    }
    if (htmlHelpMissing) *htmlHelpMissing = gRun.HtmlHelpMissing;
    if (ieMissing) *ieMissing = gRun.IeMissing;
    return result;
}

// HtmlHelpA, bound at its first use; a failure is remembered.
typedef HWND (WINAPI *HtmlHelpFunction)(HWND, LPCSTR, UINT, DWORD_PTR);
static HtmlHelpFunction sHtmlHelp;
static BOOL sHtmlHelpFailed;

static HtmlHelpFunction BindHtmlHelp()
{
    if (sHtmlHelp || sHtmlHelpFailed) return sHtmlHelp;
    HMODULE library = NULL;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        char path[VL_PATH_SIZE] = "";
        DWORD size = sizeof path - 1, type = 0;
        if (RegQueryValueExA(key, NULL, NULL, &type, (BYTE *)path, &size) == ERROR_SUCCESS && type == REG_SZ) {
            path[size < sizeof path ? size : sizeof path - 1] = 0;
            if (path[0]) library = LoadLibraryA(path);
        }
        RegCloseKey(key);
    }
    if (!library) library = LoadLibraryA("hhctrl.ocx");
    if (library) sHtmlHelp = (HtmlHelpFunction)GetProcAddress(library, MAKEINTRESOURCEA(14));
    if (!sHtmlHelp) sHtmlHelpFailed = TRUE;
    return sHtmlHelp;
}

// The help file: first in the uninstallation folder of the log block, then in
// the "bin" folder of the program files folder as registered now.
static void FindHelpFile(const char *name, char *found)
{
    found[0] = 0;
    SharedLogBlock *block = LogBlock();
    char path[VL_PATH_SIZE];
    if (block && block->UninstFolder[0] && FormatText(path, sizeof path, "%s\\%s", block->UninstFolder, name) &&
        FileExists(path)) {
        CopyText(found, VL_PATH_SIZE, path);
        return;
    }
    ReadProductPaths();
    if (gRegFilePath[0] && FormatText(path, sizeof path, "%s\\%s\\%s", gRegFilePath, "bin", name) &&
        FileExists(path))
        CopyText(found, VL_PATH_SIZE, path);
}

int ShowHelpTopic(HWND owner, const char *topic)
{
    if (gRun.HtmlHelpMissing) {
        if (!gRun.IeMissing && !gRun.HelpUpgradeTried) {
            char question[VL_TEXT_SIZE];
            LoadNlsString(question, 666);
            if (ShowMessage(owner, question, MB_YESNO | MB_ICONQUESTION) == IDYES) {
                gRun.HelpUpgradeTried = RunHelpUpgradeDialog(owner);
                CheckHelpPrerequisites(NULL, NULL);
            }
        }
        if (gRun.HtmlHelpMissing) return 0;
    }
    char name[VL_TEXT_SIZE];
    if (gRun.IeMissing || !LoadNlsString(name, 651)) return 0;
    char file[VL_PATH_SIZE];
    FindHelpFile(name, file);
    LogLineF("Help: '%s' '%s'", file, topic);
    if (!file[0]) return 0;
    HtmlHelpFunction htmlHelp = BindHtmlHelp();
    if (!htmlHelp) return 0;
    htmlHelp(GetDesktopWindow(), file, 0 /* HH_DISPLAY_TOPIC */, (DWORD_PTR)topic);
    return 1;
}
