#include "fixturelayout.h"
#include "fixturelists.h"
#include <shlobj.h>
#include <map>
#include <stdlib.h>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif

static const char kUninstallEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1";

static std::vector<std::string> Words(const std::string &text)
{
    std::vector<std::string> words;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// "FIRST REST": the first word and everything after its blank.
static std::pair<std::string, std::string> FirstAndRest(const std::string &text)
{
    size_t blank = text.find(' ');
    if (blank == std::string::npos) return {text, ""};
    return {text.substr(0, blank), text.substr(blank + 1)};
}

int FixtureReadLayoutLine(const std::string &key, const std::string &text, FixtureDescription *d)
{
    if (key == "datalistline") d->DataListLines.push_back(FirstAndRest(text));
    else if (key == "windowslistline") d->WindowsListLines.push_back(FirstAndRest(text));
    else if (key == "scriptmanager") d->ScriptQueueManagers.push_back(Words(text));
    else if (key == "file") d->Files.push_back(FirstAndRest(text));
    else if (key == "objectclass") d->ObjectClasses.push_back(FirstAndRest(text));
    else if (key == "startup") d->StartupShortcuts.push_back(text);
    else if (key == "uninstallentry") d->UninstallEntry = true;
    else if (key == "envappend") d->EnvironmentEntries.push_back(FirstAndRest(text));
    else if (key == "creationmask") {
        d->CreationMaskGiven = true;
        d->CreationMask = strtoul(text.c_str(), NULL, 0);
    }
    else return 0;
    return 1;
}

static std::string WindowsFolder()
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    return windows;
}

static std::string LogFolder(const FixtureDescription &d)
{
    return d.LogDefaultPath.empty() ? FixtureWorkFolder(d) + "\\log" : d.LogDefaultPath;
}

static std::string TreeFolder(const FixtureDescription &d, const std::string &tree)
{
    if (tree == "program") return FixtureProgramFolder(d);
    if (tree == "data") return FixtureWorkFolder(d);
    if (tree == "log") return LogFolder(d);
    return "";
}

// Appends the lines of one list to listFolder\name.u00 and creates the files
// they name below target (the list may already hold program-folder lines).
static int AppendListLines(const std::string &listFolder, const std::string &name,
                           const std::vector<std::string> &lines, const std::string &target)
{
    std::string path = listFolder + "\\" + name + ".u00";
    std::string text = ReadTextFile(path);
    int ok = 1;
    for (const std::string &line : lines) {
        text += line + "\r\n";
        size_t slash = line.find('\\');
        if (slash == std::string::npos || line[0] == ';' || line[0] == '#') continue;
        for (const std::string &file : FixtureListedFiles(target, line.substr(slash)))
            ok &= WriteTextFile(file, "listed file\r\n");
    }
    return WriteTextFile(path, text) && ok;
}

static int InstallListsAt(const FixtureDescription &d, const std::vector<std::pair<std::string, std::string>> &lines,
                          const std::string &target)
{
    std::map<std::string, std::vector<std::string>> lists;
    for (const auto &line : lines) lists[line.first].push_back(line.second);
    int ok = 1;
    for (const auto &list : lists) ok &= AppendListLines(FixtureProgramFolder(d) + "\\uninst", list.first, list.second, target);
    return ok;
}

static int InstallObjectClasses(const FixtureDescription &d)
{
    std::string program = FixtureProgramFolder(d);
    std::map<std::string, std::vector<std::string>> lists;
    int ok = 1;
    bool libraries = false;
    for (const auto &entry : d.ObjectClasses) {
        lists[entry.first].push_back(entry.second);
        std::string path = program + entry.second;
        size_t slash = path.rfind('\\');
        MakeFolders(path.substr(0, slash));
        bool server = path.size() > 4 && !lstrcmpiA(path.c_str() + path.size() - 4, ".exe");
        if (server) ok &= CopyFileA(VL_BIN_DIR "\\localserver.exe", path.c_str(), FALSE) != 0;
        else ok &= WriteTextFile(path, "library with object classes\r\n");
        libraries |= !server;
    }
    for (const auto &list : lists) {
        std::string path = program + "\\uninst\\" + list.first + ".u00", text = ReadTextFile(path);
        for (const std::string &line : list.second) text += line + "\r\n";
        ok &= WriteTextFile(path, text);
    }
    if (libraries) ok &= CopyFileA(VL_BIN_DIR "\\avliregn.exe", (program + "\\uninst\\avliregn.exe").c_str(), FALSE) != 0;
    return ok;
}

int FixtureInstallLayout(const FixtureDescription &d)
{
    int ok = InstallListsAt(d, d.DataListLines, FixtureWorkFolder(d));
    ok &= InstallListsAt(d, d.WindowsListLines, WindowsFolder());
    if (!d.ScriptQueueManagers.empty()) {
        std::vector<FixtureQueueManager> qms;
        for (const std::vector<std::string> &words : d.ScriptQueueManagers) {
            FixtureQueueManager qm;
            qm.KeyName = words.size() > 0 ? words[0] : "QM3";
            qm.Name = words.size() > 1 ? words[1] : qm.KeyName;
            qm.Prefix = FixtureWorkFolder(d);
            qm.LogPath = LogFolder(d) + "\\" + qm.KeyName;
            qm.Tcp = words.size() > 2 && words[2] == "tcp";
            qms.push_back(qm);
        }
        ok &= FixtureConfigReg(FixtureWorkFolder(d), FixtureWorkFolder(d), qms);
    }
    for (const auto &file : d.Files) {
        std::string folder = TreeFolder(d, file.first);
        ok &= !folder.empty() && WriteTextFile(folder + file.second, "fixture file " + file.second + "\r\n");
    }
    ok &= InstallObjectClasses(d);
    for (const std::string &name : d.StartupShortcuts)
        ok &= FixtureShortcut(FixtureCommonFolder(CSIDL_COMMON_STARTUP) + "\\" + name + ".lnk",
                              FixtureProgramFolder(d) + "\\bin\\" + name + ".exe");
    for (const auto &entry : d.EnvironmentEntries) {
        std::string value = FixtureSystemEnv(entry.first);
        if (value.rfind("<", 0) == 0) value.clear();
        if (!value.empty() && value.back() != ';') value += ";";
        ok &= FixtureSetSystemEnv(entry.first, value + entry.second);
    }
    if (d.CreationMaskGiven) ok &= FixtureSetCreationMask((DWORD)d.CreationMask);
    if (d.UninstallEntry) {
        HKEY key = NULL;
        ok &= RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallEntry, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
              ERROR_SUCCESS;
        if (key) {
            std::string uninstall = "C:\\windows\\isuninst.exe -f\"" + FixtureProgramFolder(d) + "\\uninst\\Uninst.isu\"";
            ok &= RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE *)"Norvik Varolink", 16) == ERROR_SUCCESS;
            ok &= RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE *)uninstall.c_str(),
                                 (DWORD)uninstall.size() + 1) == ERROR_SUCCESS;
            RegCloseKey(key);
        }
    }
    return ok;
}

// Takes entry out of the system variable name again (all its occurrences,
// without regard to case), leaving the other entries as they are.
static void RemoveEnvironmentEntry(const std::string &name, const std::string &entry)
{
    std::string value = FixtureSystemEnv(name);
    if (value.rfind("<", 0) == 0) return;
    std::string kept;
    for (size_t at = 0; at <= value.size();) {
        size_t end = value.find(';', at);
        if (end == std::string::npos) end = value.size();
        std::string one = value.substr(at, end - at);
        if (!one.empty() && lstrcmpiA(one.c_str(), entry.c_str()) != 0) kept += (kept.empty() ? "" : ";") + one;
        at = end + 1;
    }
    if (kept != value) FixtureSetSystemEnv(name, kept);
}

// Removes the listed files below the Windows folder and the folders that
// held them, when those are empty afterwards.
static void RemoveWindowsListFiles(const FixtureDescription &d)
{
    std::string windows = WindowsFolder();
    for (const auto &line : d.WindowsListLines) {
        size_t slash = line.second.find('\\');
        if (slash == std::string::npos) continue;
        for (const std::string &file : FixtureListedFiles(windows, line.second.substr(slash))) {
            DeleteFileA(file.c_str());
            for (std::string folder = file.substr(0, file.rfind('\\'));
                 folder.size() > windows.size() && RemoveDirectoryA(folder.c_str());
                 folder = folder.substr(0, folder.rfind('\\'))) {
            }
        }
    }
}

void FixtureRemoveLayout(const FixtureDescription &d)
{
    if (d.UninstallEntry) DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallEntry);
    for (const auto &entry : d.EnvironmentEntries) RemoveEnvironmentEntry(entry.first, entry.second);
    RemoveWindowsListFiles(d);
    for (const std::string &name : d.StartupShortcuts)
        DeleteFileA((FixtureCommonFolder(CSIDL_COMMON_STARTUP) + "\\" + name + ".lnk").c_str());
}
