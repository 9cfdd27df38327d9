#include "wintestutil.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <stdio.h>

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
