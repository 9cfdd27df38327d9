#include "wintestutil.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <stdio.h>
#include <ctype.h>
#include <vector>

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

Holder HoldOpen(const std::string &path)
{
    static int counter;
    Holder holder;
    char name[64];
    snprintf(name, sizeof name, "vltest-hold-%lu-%d", GetCurrentProcessId(), ++counter);
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".ready").c_str());
    holder.Stop = CreateEventA(NULL, TRUE, FALSE, (std::string(name) + ".stop").c_str());
    std::string line = "\"" VL_BIN_DIR "\\holdopen.exe\" \"" + path + "\" " + name + " 120";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    EXPECT_TRUE(CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    CloseHandle(process.hThread);
    holder.Process = process.hProcess;
    HANDLE both[2] = {ready, process.hProcess};
    EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, both, FALSE, 20000)) << "holdopen did not open " << path;
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

std::string UnixName(const std::string &path)
{
    typedef char *(CDECL * UnixNameCall)(const WCHAR *);
    UnixNameCall call = (UnixNameCall)GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH * 2];
    if (!call || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2)) return "";
    char *unix = call(wide);
    if (!unix) return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

// Starts vllink.sh (Wine runs a Unix program without a process handle to
// wait on) and waits until the name appears or goes.
static bool RunLinkHelper(const std::string &arguments, const std::string &watched, bool appears)
{
    std::string command = "\"" + std::string(VL_BIN_DIR) + "\\vllink.sh\" " + arguments;
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    if (!CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) return false;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int i = 0; i < 400; i++) {
        if ((GetFileAttributesA(watched.c_str()) != INVALID_FILE_ATTRIBUTES) == appears) return true;
        Sleep(25);
    }
    return false;
}

bool MakeLink(const std::string &link, const std::string &target)
{
    std::string unixLink = UnixName(link), unixTarget = UnixName(target);
    if (unixLink.empty() || unixTarget.empty()) return false;
    return RunLinkHelper("ln \"" + unixTarget + "\" \"" + unixLink + "\"", link, true);
}

bool RemoveLink(const std::string &link)
{
    std::string unixLink = UnixName(link);
    if (unixLink.empty()) return false;
    if (!RunLinkHelper("rm \"" + unixLink + "\"", link, false)) return false;
    return true;
}

// dosdevices\<letter>: of the prefix, from the Unix name of C:'s root.
static std::string DriveLink(char letter)
{
    std::string root = UnixName("C:\\");
    size_t at = root.rfind("/c:");
    if (at == std::string::npos) return "";
    return root.substr(0, at) + "/" + (char)tolower((unsigned char)letter) + ":";
}

bool MakeDrive(char letter, const std::string &folder)
{
    std::string link = DriveLink(letter), target = UnixName(folder);
    if (link.empty() || target.empty()) return false;
    return RunLinkHelper("ln \"" + target + "\" \"" + link + "\"", std::string(1, letter) + ":\\", true);
}

bool RemoveDrive(char letter)
{
    std::string link = DriveLink(letter);
    if (link.empty()) return false;
    return RunLinkHelper("rm \"" + link + "\"", std::string(1, letter) + ":\\", false);
}
