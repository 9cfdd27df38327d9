#include "testutil.h"
#include "core/log.h"
#include "fixture.h"
#include <aclapi.h>
#include <shlwapi.h>
#include <stdio.h>
#include <gtest/gtest.h>

static int sCounter;

std::string MakeTempFolder(const char *tag) { return MakeUniqueTempFolder(tag); }

void RemoveFolderTree(const std::string &path) { DeleteFolderTree(path); }

void WriteTextFile(const std::string &path, const char *text)
{
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_TRUE(file != NULL) << path;
    fputs(text, file);
    fclose(file);
}

bool PathExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string StartTestLog(const std::string &folder)
{
    std::string path = folder + "\\test.log";
    LogOpen(0, 1, path.c_str());
    return path;
}

std::string ReadText(const std::string &path)
{
    std::string text;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return text;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

int CountOf(const std::string &text, const std::string &needle)
{
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) count++;
    return count;
}

int FailureLines(const std::string &text)
{
    int count = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        // "HH:MM:SS ***text"
        if (line.size() > 12 && line.compare(9, 3, "***") == 0 && line[12] != '*') count++;
        start = end + 1;
    }
    return count;
}

size_t Where(const std::string &text, const std::string &needle) { return text.find(needle); }

std::string TestKeyPath(const char *tag)
{
    char path[200];
    snprintf(path, sizeof path, "Software\\VlPrimsTest\\%s-%lu-%d", tag, GetCurrentProcessId(), ++sCounter);
    return path;
}

std::string ProductTestKeyPath(const char *tag)
{
    char path[200];
    snprintf(path, sizeof path, "Software\\Norvik\\Varolink\\VlPrimsTest-%s-%lu-%d", tag, GetCurrentProcessId(),
             ++sCounter);
    return path;
}

void CreateKey(const std::string &path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                             &key, NULL))
        << path;
    RegCloseKey(key);
}

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void DeleteKeyTree(const std::string &path) { SHDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str()); }

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

std::string BinPath(const char *name) { return std::string(VL_BIN_DIR) + "\\" + name; }

Holder HoldOpen(const std::string &path)
{
    Holder holder;
    char name[64];
    snprintf(name, sizeof name, "vlprims-hold-%lu-%d", GetCurrentProcessId(), ++sCounter);
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".ready").c_str());
    holder.Stop = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".stop").c_str());
    std::string command = "\"" + BinPath("holdopen.exe") + "\" \"" + path + "\" " + name + " 120";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::string line = command;
    EXPECT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    CloseHandle(process.hThread);
    holder.Process = process.hProcess;
    HANDLE both[2] = {ready, process.hProcess};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 20000)) << "holder did not open " << path;
    CloseHandle(ready);
    return holder;
}

void Release(Holder &holder)
{
    if (!holder.Process) return;
    SetEvent(holder.Stop);
    if (WaitForSingleObject(holder.Process, 10000) != WAIT_OBJECT_0) TerminateProcess(holder.Process, 1);
    CloseHandle(holder.Process);
    CloseHandle(holder.Stop);
    holder.Process = NULL;
}
