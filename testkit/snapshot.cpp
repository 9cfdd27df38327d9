// Takes a snapshot: drive, common Programs and Startup folders, registry
// trees, services and the system environment (see snapshot.h for the lines).
#include "snapshot.h"
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <stdio.h>
#include <algorithm>

static const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

std::vector<std::string> SnapshotDefaultRegistryRoots()
{
    return {"Software\\Norvik", "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Varolink",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1"};
}

std::vector<std::string> SnapshotDefaultSecuredFolders()
{
    return {"C:\\Varolink\\Program", "C:\\Varolink\\Program\\uninst", "C:\\Varolink\\Data"};
}

static std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

static std::string WithoutTrailingSlash(std::string path)
{
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

// Data as one line of text: control bytes (tabs and line ends among them)
// become \xNN, so that a value never breaks the line or its identity.
static std::string Printable(const char *data, size_t size)
{
    std::string text;
    for (size_t i = 0; i < size; i++) {
        unsigned char c = (unsigned char)data[i];
        if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\x%02x", c);
            text += escape;
        } else {
            text += (char)c;
        }
    }
    return text;
}

// The "owner" and "acl" lines of an object from its security descriptor, in
// SDDL ("O:BA", "D:AI(A;CI;KA;;;BA)..."); one line saying why when it cannot be read.
static void SecurityLines(DWORD rc, PSECURITY_DESCRIPTOR descriptor, const std::string &object,
                          std::vector<std::string> *lines)
{
    if (rc != ERROR_SUCCESS) {
        lines->push_back("acl " + object + "\tunreadable " + std::to_string((unsigned long)rc));
        return;
    }
    struct Part {
        const char *Kind;
        SECURITY_INFORMATION Information;
    };
    for (const Part &part : {Part{"owner", OWNER_SECURITY_INFORMATION}, Part{"acl", DACL_SECURITY_INFORMATION}}) {
        char *text = NULL;
        std::string state = "unreadable";
        if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, part.Information, &text,
                                                                 NULL)) {
            state = text;
            LocalFree(text);
        }
        lines->push_back(std::string(part.Kind) + " " + object + "\t" + state);
    }
    LocalFree(descriptor);
}

static void SnapshotKeySecurity(HKEY key, const std::string &label, std::vector<std::string> *lines)
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    DWORD rc = GetSecurityInfo(key, SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL,
                               NULL, NULL, NULL, &descriptor);
    SecurityLines(rc, descriptor, "key " + label, lines);
}

// The folder's "dir" identity as the drive walk spells it (the names found on
// disk), so that its security lines go and come with that line.
static std::string FolderIdentity(const std::string &folder)
{
    std::string spelt = folder.substr(0, 2);
    spelt[0] = (char)toupper((unsigned char)spelt[0]);
    size_t at = 2;
    while (at < folder.size()) {
        size_t next = folder.find('\\', at + 1);
        std::string sofar = spelt + folder.substr(at, next == std::string::npos ? std::string::npos : next - at);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(sofar.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return "";
        FindClose(search);
        spelt += "\\" + std::string(found.cFileName);
        if (next == std::string::npos) break;
        at = next;
    }
    return "dir " + spelt;
}

static void SnapshotFolderSecurity(const std::vector<std::string> &folders, std::vector<std::string> *lines)
{
    for (const std::string &given : folders) {
        std::string folder = WithoutTrailingSlash(given);
        DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        std::string identity = FolderIdentity(folder);
        if (identity.empty()) continue;
        PSECURITY_DESCRIPTOR descriptor = NULL;
        DWORD rc = GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT,
                                         OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL, NULL, NULL,
                                         NULL, &descriptor);
        SecurityLines(rc, descriptor, identity, lines);
    }
}

static std::string FileState(const std::string &path, const WIN32_FIND_DATAA &found, bool withCrc)
{
    char state[64];
    unsigned long long size = ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
    if (!withCrc) {
        snprintf(state, sizeof state, "size=%llu", size);
        return state;
    }
    unsigned long crc = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        snprintf(state, sizeof state, "size=%llu crc=unreadable", size);
        return state;
    }
    static char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) crc = SnapshotCrc32(crc, buffer, got);
    CloseHandle(file);
    snprintf(state, sizeof state, "size=%llu crc=%08lx", size, crc);
    return state;
}

struct DriveWalk {
    std::vector<std::string> Excluded;  // lower case, no trailing backslash
    std::string WindowsFolder;          // lower case
    std::vector<std::string> *Lines;
};

static bool IsExcluded(const DriveWalk &walk, const std::string &lowerPath)
{
    return std::find(walk.Excluded.begin(), walk.Excluded.end(), lowerPath) != walk.Excluded.end();
}

static bool IsBelow(const std::string &lowerPath, const std::string &lowerFolder)
{
    return lowerPath.size() > lowerFolder.size() && lowerPath.compare(0, lowerFolder.size(), lowerFolder) == 0 &&
           lowerPath[lowerFolder.size()] == '\\';
}

// Walks folder; lines are "<kind> <label><path below folder>".
static void WalkFolder(const DriveWalk &walk, const std::string &folder, const std::string &kind,
                       const std::string &label)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = folder + "\\" + name, lower = Lower(path);
        if (IsExcluded(walk, lower)) continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            walk.Lines->push_back(kind + " " + label + name + (kind == "menu" ? "\\" : ""));
            // A link to somewhere else (the host's folders, for one) is
            // recorded but not followed.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) WalkFolder(walk, path, kind, label + name + "\\");
        } else {
            bool windows = lower == walk.WindowsFolder || IsBelow(lower, walk.WindowsFolder);
            walk.Lines->push_back((kind == "menu" ? kind : std::string("file")) + " " + label + name + "\t" +
                                  FileState(path, found, !windows));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

static std::string CommonFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (!SHGetSpecialFolderPathA(NULL, path, csidl, FALSE)) return "";
    return WithoutTrailingSlash(path);
}

static void SnapshotDrive(const SnapshotOptions &options, std::vector<std::string> *lines)
{
    DriveWalk walk;
    walk.Lines = lines;
    char windows[MAX_PATH] = "", temp[MAX_PATH] = "", profile[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    walk.WindowsFolder = Lower(WithoutTrailingSlash(windows));
    for (const char *churn : {"temp", "logs", "Installer", "Prefetch"})
        walk.Excluded.push_back(walk.WindowsFolder + "\\" + Lower(churn));
    if (GetTempPathA(sizeof temp, temp)) walk.Excluded.push_back(Lower(WithoutTrailingSlash(temp)));
    // The user's own profile: temp files of every program, and links to the host's home folders.
    if (GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile) && profile[0])
        walk.Excluded.push_back(Lower(WithoutTrailingSlash(profile)));
    std::string programs = CommonFolder(CSIDL_COMMON_PROGRAMS), startup = CommonFolder(CSIDL_COMMON_STARTUP);
    if (!programs.empty()) walk.Excluded.push_back(Lower(programs));
    if (!startup.empty()) walk.Excluded.push_back(Lower(startup));
    for (const std::string &folder : options.ExcludedFolders) walk.Excluded.push_back(Lower(WithoutTrailingSlash(folder)));
    WalkFolder(walk, options.Drive, "dir", options.Drive + "\\");

    // The Startup folder lies inside the Programs folder: recorded once, as itself.
    DriveWalk menu = walk;
    menu.Excluded.clear();
    if (!startup.empty()) menu.Excluded.push_back(Lower(startup));
    if (!programs.empty()) WalkFolder(menu, programs, "menu", "Programs\\");
    if (!startup.empty()) WalkFolder(menu, startup, "menu", "Startup\\");
}

static std::string ValueText(DWORD type, const std::vector<char> &data, DWORD size)
{
    char number[32];
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        size_t length = strnlen(data.data(), size);
        return std::string(type == REG_SZ ? "REG_SZ " : "REG_EXPAND_SZ ") + Printable(data.data(), length);
    }
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ " + Printable(data.data(), size);
    case REG_DWORD:
        if (size == 4) {
            snprintf(number, sizeof number, "REG_DWORD 0x%08lx", *(const unsigned long *)data.data());
            return number;
        }
        break;
    default:
        break;
    }
    snprintf(number, sizeof number, "type%lu ", (unsigned long)type);
    std::string text = number;
    for (DWORD i = 0; i < size; i++) {
        snprintf(number, sizeof number, "%02x", (unsigned char)data[i]);
        text += number;
    }
    return text;
}

static void SnapshotValues(HKEY key, const std::string &keyLabel, const std::string &kind, std::vector<std::string> *lines)
{
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, &longestName, &longestData, NULL, NULL) !=
        ERROR_SUCCESS)
        return;
    std::vector<char> name(longestName + 2), data(longestData + 2);
    for (DWORD index = 0; index < count; index++) {
        DWORD nameSize = (DWORD)name.size(), dataSize = (DWORD)data.size(), type = 0;
        if (RegEnumValueA(key, index, name.data(), &nameSize, NULL, &type, (BYTE *)data.data(), &dataSize) !=
            ERROR_SUCCESS)
            continue;
        std::string valueName = nameSize ? std::string(name.data(), nameSize) : "(default)";
        std::string identity = kind == "env" ? "env " + valueName : "value " + keyLabel + "|" + valueName;
        lines->push_back(identity + "\t" + ValueText(type, data, dataSize));
    }
}

static void SnapshotKey(HKEY parent, const std::string &path, const std::string &label, std::vector<std::string> *lines)
{
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    lines->push_back("key " + label);
    SnapshotKeySecurity(key, label, lines);
    SnapshotValues(key, label, "value", lines);
    char child[256];
    for (DWORD index = 0;; index++) {
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, index, child, &size, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
        SnapshotKey(key, child, label + "\\" + child, lines);
    }
    RegCloseKey(key);
}

static std::string RunState(DWORD state)
{
    switch (state) {
    case SERVICE_STOPPED: return "stopped";
    case SERVICE_START_PENDING: return "starting";
    case SERVICE_STOP_PENDING: return "stopping";
    case SERVICE_RUNNING: return "running";
    case SERVICE_CONTINUE_PENDING: return "continuing";
    case SERVICE_PAUSE_PENDING: return "pausing";
    case SERVICE_PAUSED: return "paused";
    default: return "state" + std::to_string((unsigned long)state);
    }
}

static void SnapshotServices(std::vector<std::string> *lines)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ENUMERATE_SERVICE);
    if (!manager) {
        lines->push_back("service (Service Control Manager not available)");
        return;
    }
    std::vector<char> buffer(64 * 1024);
    DWORD needed = 0, returned = 0, resume = 0;
    for (;;) {
        BOOL done = EnumServicesStatusA(manager, SERVICE_WIN32 | SERVICE_DRIVER, SERVICE_STATE_ALL,
                                        (ENUM_SERVICE_STATUSA *)buffer.data(), (DWORD)buffer.size(), &needed,
                                        &returned, &resume);
        if (!done && GetLastError() != ERROR_MORE_DATA) break;
        const ENUM_SERVICE_STATUSA *services = (const ENUM_SERVICE_STATUSA *)buffer.data();
        for (DWORD i = 0; i < returned; i++) {
            std::string state = "?";
            SC_HANDLE service = OpenServiceA(manager, services[i].lpServiceName, SERVICE_QUERY_CONFIG);
            if (service) {
                std::vector<char> config(8192);
                DWORD size = 0;
                if (QueryServiceConfigA(service, (QUERY_SERVICE_CONFIGA *)config.data(), (DWORD)config.size(), &size)) {
                    const QUERY_SERVICE_CONFIGA *c = (const QUERY_SERVICE_CONFIGA *)config.data();
                    char numbers[64];
                    snprintf(numbers, sizeof numbers, "start=%lu type=%lu path=", (unsigned long)c->dwStartType,
                             (unsigned long)c->dwServiceType);
                    state = numbers + Printable(c->lpBinaryPathName ? c->lpBinaryPathName : "",
                                                c->lpBinaryPathName ? strlen(c->lpBinaryPathName) : 0);
                }
                CloseServiceHandle(service);
            }
            lines->push_back(std::string("service ") + services[i].lpServiceName + "\t" + state);
            lines->push_back(std::string("state service ") + services[i].lpServiceName + "\t" +
                             RunState(services[i].ServiceStatus.dwCurrentState));
        }
        if (done) break;
    }
    CloseServiceHandle(manager);
}

std::vector<std::string> TakeSnapshot(const SnapshotOptions &options)
{
    std::vector<std::string> lines;
    SnapshotDrive(options, &lines);
    std::vector<std::string> roots = options.RegistryRoots.empty() ? SnapshotDefaultRegistryRoots() : options.RegistryRoots;
    for (const std::string &root : roots) SnapshotKey(HKEY_LOCAL_MACHINE, root, "HKLM\\" + root, &lines);
    SnapshotFolderSecurity(options.SecuredFolders.empty() ? SnapshotDefaultSecuredFolders() : options.SecuredFolders,
                           &lines);
    SnapshotServices(&lines);
    HKEY environment;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &environment) == ERROR_SUCCESS) {
        SnapshotValues(environment, "", "env", &lines);
        RegCloseKey(environment);
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}
