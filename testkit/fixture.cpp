#include "fixture.h"
#include "fixturelayout.h"
#include "fixturelists.h"
#include "fixturerun.h"
#include <shlobj.h>
#include <map>
#include <shlwapi.h>
#include <stdio.h>
#include <string.h>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif

static const char kProductKey[] = "Software\\Norvik\\Varolink\\CurrentVersion";

std::string FixtureProgramFolder(const FixtureDescription &d) { return d.Root + "\\Program"; }
std::string FixtureWorkFolder(const FixtureDescription &d) { return d.Root + "\\Data"; }

void DeleteKeyTree(HKEY root, const char *path)
{
    SHDeleteKeyA(root, path);
}

void DeleteFolderTree(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) DeleteFolderTree(child);
            else DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

std::string MakeUniqueTempFolder(const char *tag)
{
    static int counter;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%svl-%s-%lu-%d", temp, tag, GetCurrentProcessId(), ++counter);
    DeleteFolderTree(path);
    MakeFolders(path);
    return path;
}

// The separators of a path, by character of the system code page (a second
// byte may be '\\').
static std::vector<size_t> Separators(const std::string &path)
{
    std::vector<size_t> at;
    for (const char *c = path.c_str(); *c; c = CharNextA(c))
        if (*c == '\\') at.push_back((size_t)(c - path.c_str()));
    return at;
}

int MakeFolders(const std::string &path)
{
    for (size_t at : Separators(path))
        if (at >= 3) CreateDirectoryA(path.substr(0, at).c_str(), NULL);
    CreateDirectoryA(path.c_str(), NULL);
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int WriteTextFile(const std::string &path, const std::string &text)
{
    std::vector<size_t> separators = Separators(path);
    size_t slash = separators.empty() ? std::string::npos : separators.back();
    if (slash != std::string::npos) MakeFolders(path.substr(0, slash));
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    fwrite(text.data(), 1, text.size(), file);
    fclose(file);
    return 1;
}

std::string ReadTextFile(const std::string &path)
{
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return "";
    std::string text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

static int SetString(HKEY key, const char *name, const std::string &value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size() + 1) ==
           ERROR_SUCCESS;
}

static HKEY CreateKey(const std::string &path)
{
    HKEY key = NULL;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    return key;
}

static std::string ShortcutFolder()
{
    return FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\Norvik Varolink";
}

static FixtureQueueManager QueueManagerFrom(const FixtureDescription &d, const std::vector<std::string> &words)
{
    FixtureQueueManager qm;
    qm.KeyName = words.size() > 0 ? words[0] : "QM1";
    qm.Name = words.size() > 1 ? words[1] : qm.KeyName;
    qm.Prefix = FixtureWorkFolder(d);
    qm.LogPath = FixtureWorkFolder(d) + "\\log\\" + qm.KeyName;
    qm.Tcp = words.size() > 2 && words[2] == "tcp";
    return qm;
}

// Queue managers, component lists, shortcuts, environment values, Web Administration data.
static int InstallExtras(const FixtureDescription &d)
{
    int ok = 1;
    for (const std::vector<std::string> &words : d.RegistryQueueManagers)
        ok &= FixtureRegistryQueueManager(QueueManagerFrom(d, words));
    if (!d.IniQueueManagers.empty()) {
        std::vector<FixtureQueueManager> qms;
        for (const std::vector<std::string> &words : d.IniQueueManagers) qms.push_back(QueueManagerFrom(d, words));
        ok &= FixtureVlsIni(FixtureWorkFolder(d), FixtureWorkFolder(d), qms);
    }
    std::map<std::string, std::vector<std::string>> lists;
    for (const auto &line : d.ListLines) lists[line.first].push_back(line.second);
    for (const auto &list : lists)
        ok &= FixtureComponentList(FixtureProgramFolder(d) + "\\uninst", list.first, list.second,
                                   FixtureProgramFolder(d));
    for (const std::string &name : d.Shortcuts)
        ok &= FixtureShortcut(ShortcutFolder() + "\\" + name + ".lnk", FixtureProgramFolder(d) + "\\bin\\" + name + ".exe");
    for (const auto &value : d.Environment) ok &= FixtureSetSystemEnv(value.first, value.second);
    if (d.WebAdminData) ok &= WriteTextFile(FixtureWorkFolder(d) + "\\vlwa\\scripts\\public\\index.html", "<html></html>\n");
    ok &= FixtureInstallData(d);
    return ok;
}

int FixtureInstall(const FixtureDescription &d)
{
    FixtureRemove(d);
    std::string program = FixtureProgramFolder(d), work = FixtureWorkFolder(d);
    int ok = MakeFolders(program + "\\uninst") && MakeFolders(program + "\\bin");
    if (d.CreateWorkFolder) ok &= MakeFolders(work);

    HKEY product = CreateKey(kProductKey);
    if (!product) return 0;
    if (d.WriteFilePath) ok &= SetString(product, "FilePath", program);
    if (d.WriteWorkPath) ok &= SetString(product, "WorkPath", work);
    if (!d.UninstName.empty()) ok &= SetString(product, "UninstName", d.UninstName);
    else if (d.InstallerUninstall) ok &= SetString(product, "UninstName", program + "\\uninst\\isuninst.exe");
    if (d.Release == "5.1" || d.Release == "5.0") {
        ok &= SetString(product, "ProgramFolder", "Norvik Varolink");
        ok &= SetString(product, "VLServerVersion", "5");
        if (d.Release == "5.1") ok &= SetString(product, "VLServerRelease", "1");
    }
    if (d.Release == "2.0") {
        for (const FixtureComponent &c : d.Components)
            ok &= SetString(product, c.ValueName.c_str(), c.Value.empty() ? "1" : c.Value);
    } else {
        HKEY components = CreateKey(std::string(kProductKey) + "\\Components");
        ok &= components != NULL;
        for (const FixtureComponent &c : d.Components)
            ok &= SetString(components, c.ValueName.c_str(), c.Value);
        if (components) RegCloseKey(components);
    }
    if (!d.LogDefaultPath.empty()) {
        HKEY defaults = CreateKey(std::string(kProductKey) + "\\Configuration\\LogDefaults");
        ok &= defaults && SetString(defaults, "LogDefaultPath", d.LogDefaultPath);
        if (defaults) RegCloseKey(defaults);
    }
    RegCloseKey(product);
    ok &= InstallExtras(d);
    ok &= FixtureInstallLayout(d);
    if (d.CopyNlsLibrary)
        ok &= CopyFileA(VL_BIN_DIR "\\_isuser.dll", (program + "\\uninst\\_isuser.dll").c_str(), FALSE) != 0;
    // The installer's own files, which its uninstall program is handed.
    ok &= WriteTextFile(program + "\\uninst\\Uninst.isu", "fixture installer record\n");
    ok &= WriteTextFile(program + "\\uninst\\avliisun.dll", "fixture installer library\n");
    if (d.InstallerUninstall)
        ok &= CopyFileA(VL_BIN_DIR "\\isuninst.exe", (program + "\\uninst\\isuninst.exe").c_str(), FALSE) != 0;
    if (d.CopyPsapi) {
        char system[MAX_PATH];
        GetSystemDirectoryA(system, sizeof system);
        ok &= CopyFileA((std::string(system) + "\\psapi.dll").c_str(), (program + "\\uninst\\psapi.dll").c_str(),
                        FALSE) != 0;
    }
    for (const std::string &name : d.Standins) ok &= FixtureCopyStandin(d, name);
    if (d.Services) ok &= FixtureStartServices(d);
    for (const std::string &key : d.RunningQueueManagers) ok &= FixtureRunQueueManager(d, key);
    for (const std::string &file : d.HeldBinFiles)
        ok &= FixtureHoldFile(d, program + "\\bin\\" + file, "VlStandin.hold." + file);
    for (const auto &run : d.Runs) ok &= FixtureStartProgram(d, run.first, run.second);
    return ok;
}

void FixtureRemove(const FixtureDescription &d)
{
    FixtureStopRunning(d);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik");
    FixtureRemoveLayout(d);
    DeleteFolderTree(d.Root);
    if (!d.Shortcuts.empty() || !d.ServiceLevels.empty()) DeleteFolderTree(ShortcutFolder());
    for (const auto &value : d.Environment) FixtureDeleteSystemEnv(value.first);
}

int FixtureReadDescription(const char *path, FixtureDescription *d)
{
    FILE *file = fopen(path, "rt");
    if (!file) return 0;
    char line[1024];
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = 0;
        if (!line[0] || line[0] == '#') continue;
        char *value = strchr(line, ' ');
        std::string key = value ? std::string(line, value - line) : line;
        std::string text = value ? value + 1 : "";
        if (key == "release") d->Release = text;
        else if (key == "root") d->Root = text;
        else if (key == "component") d->Components.push_back({text, ""});
        else if (key == "incomplete") d->Components.push_back({text, "Incomplete"});
        else if (key == "uninstname") d->UninstName = text;
        else if (key == "logdefaultpath") d->LogDefaultPath = text;
        else if (key == "noworkfolder") d->CreateWorkFolder = false;
        else if (key == "queuemanager" || key == "inimanager") {
            std::vector<std::string> words;
            for (size_t at = 0; at < text.size();) {
                size_t end = text.find(' ', at);
                if (end == std::string::npos) end = text.size();
                if (end > at) words.push_back(text.substr(at, end - at));
                at = end + 1;
            }
            (key == "queuemanager" ? d->RegistryQueueManagers : d->IniQueueManagers).push_back(words);
        } else if (key == "listline" || key == "env") {
            size_t blank = text.find(' ');
            std::string first = text.substr(0, blank), rest = blank == std::string::npos ? "" : text.substr(blank + 1);
            (key == "listline" ? d->ListLines : d->Environment).push_back({first, rest});
        } else if (key == "shortcut") d->Shortcuts.push_back(text);
        else if (key == "webadmindata") d->WebAdminData = true;
        else if (key == "nonls") d->CopyNlsLibrary = false;
        else if (key == "isuninst") d->InstallerUninstall = true;
        else if (key == "nopsapi") d->CopyPsapi = false;
        else if (key == "standin") d->Standins.push_back(text);
        else if (key == "runqm") d->RunningQueueManagers.push_back(text);
        else if (key == "hold") d->HeldBinFiles.push_back(text);
        else if (key == "services") d->Services = true;
        else if (key == "run") {
            size_t blank = text.find(' ');
            d->Runs.push_back({text.substr(0, blank), blank == std::string::npos ? "" : text.substr(blank + 1)});
        }
        else if (FixtureReadLayoutLine(key, text, d)) continue;
        else if (FixtureReadDataLine(key, text, d)) continue;
        else {
            fclose(file);
            fprintf(stderr, "unknown description key '%s'\n", key.c_str());
            return 0;
        }
    }
    fclose(file);
    return 1;
}
