#include "qmdatautil.h"
#include "core/log.h"
#include "removal/registry.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <stdio.h>

FixtureDescription TempDescription(const char *tag)
{
    FixtureDescription d;
    d.Root = MakeUniqueTempFolder(tag);
    d.CopyNlsLibrary = false;
    return d;
}

std::string OpenTestLog(const std::string &folder)
{
    std::string path = folder + "\\test.log";
    DeleteFileA(path.c_str());
    LogOpen(1, 1, path.c_str(), NULL, NULL, VL_BIN_DIR "\\_isuser.dll");
    return path;
}

std::vector<std::string> LogBody(const std::string &logPath)
{
    std::vector<std::string> lines = LogEntries(logPath);
    if (lines.size() >= 3 && lines[1].rfind("*****", 0) == 0) lines.erase(lines.begin(), lines.begin() + 3);
    return lines;
}

bool PathThere(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyThere(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string RegText(const std::string &keyPath, const char *name, DWORD *type)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return "<none>";
    char data[2048];
    DWORD size = sizeof data - 1, kind = 0;
    LONG rc = RegQueryValueExA(key, name, NULL, &kind, (BYTE *)data, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<none>";
    if (type) *type = kind;
    if (kind == REG_DWORD) return std::to_string(*(DWORD *)data);
    data[size] = 0;
    return data;
}

void RestrictKey(const std::string &path)
{
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID system;
    ASSERT_TRUE(AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system));
    EXPLICIT_ACCESS_A entry = {};
    entry.grfAccessPermissions = KEY_READ;
    entry.grfAccessMode = SET_ACCESS;
    entry.grfInheritance = NO_INHERITANCE;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.ptstrName = (LPSTR)system;
    PACL acl = NULL;
    ASSERT_EQ(ERROR_SUCCESS, SetEntriesInAclA(1, &entry, NULL, &acl));
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, WRITE_DAC, &key));
    EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor));
    RegCloseKey(key);
    LocalFree(acl);
    FreeSid(system);
}

void ClearProductKey() { DeleteRegistryTree("Software\\Norvik", NULL, TRUE); }

std::vector<std::string> FileLines(const std::string &path)
{
    std::string text = ReadTextFile(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

HeldFile HoldFile(const std::string &path)
{
    static int counter;
    HeldFile held;
    char name[64];
    snprintf(name, sizeof name, "vlqmdata-hold-%lu-%d", GetCurrentProcessId(), ++counter);
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".ready").c_str());
    held.Stop = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".stop").c_str());
    std::string line = "\"" VL_BIN_DIR "\\holdopen.exe\" \"" + path + "\" " + name + " 120";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    EXPECT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    CloseHandle(process.hThread);
    held.Process = process.hProcess;
    HANDLE both[2] = {ready, process.hProcess};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 20000)) << "holdopen did not open " << path;
    CloseHandle(ready);
    return held;
}

void ReleaseFile(HeldFile &held)
{
    if (!held.Process) return;
    SetEvent(held.Stop);
    if (WaitForSingleObject(held.Process, 10000) != WAIT_OBJECT_0) TerminateProcess(held.Process, 1);
    CloseHandle(held.Process);
    CloseHandle(held.Stop);
    held.Process = NULL;
}
