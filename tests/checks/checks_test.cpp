// The pre-removal checks inside the test process, against a fixture
// installation with running stand-ins: the administrator test and its
// message, the lock test and its access-list repair, the running tests,
// process termination and the lists the locked-file check reads.
#include "pageharness.h"
#include "checks/checks.h"
#include "checks/lockcheck.h"
#include "core/codepage.h"
#include "core/mbchar.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "fixture.h"
#include "fixturerun.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include <aclapi.h>
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

struct Checks : ::testing::Test {
    PageHarness h;
    FixtureDescription d;
    std::string bin;
    void SetUp() override
    {
        d.Root = "C:\\vlchecks";
        d.Components = {{"Server", ""}};
        ASSERT_TRUE(FixtureInstall(d));
        h.Open(false, "C:\\vlchecks-log");
        bin = FixtureProgramFolder(d) + "\\bin";
        lstrcpyA(gRun.ProgramFilesPath, FixtureProgramFolder(d).c_str());
        lstrcpyA(gRun.UninstFolder, (FixtureProgramFolder(d) + "\\uninst").c_str());
        lstrcpyA(gRun.ProductWorkPath, FixtureWorkFolder(d).c_str());
    }
    void TearDown() override
    {
        h.Close();
        FixtureRemove(d);
    }
    std::string Text() { return ReadTextFile(h.LogPath); }
};

TEST_F(Checks, ServiceControlAccessUnderThisPrefix)
{
    int canControl = -1;
    char user[VL_PATH_SIZE];
    EXPECT_EQ(CheckServiceControlAccess(&canControl, user), 1);
    EXPECT_EQ(canControl, 1);
    // "domain\user" of the logged-on user (USER=vlm for these tests).
    std::string name = user;
    ASSERT_NE(name.find('\\'), std::string::npos) << name;
    EXPECT_EQ(name.substr(name.find('\\') + 1), "vlm");
    char message[VL_TEXT_SIZE] = "untouched";
    EXPECT_EQ(ServiceAccessRefusal(1, 1, user, message, sizeof message), 0);
    EXPECT_STREQ(message, "untouched");
}

TEST_F(Checks, RefusalMessagesFromTheNlsText)
{
    char nls[VL_TEXT_SIZE], message[VL_TEXT_SIZE];
    ASSERT_TRUE(LoadNlsString(nls, 222));
    std::string text = nls;
    size_t at = text.find("%s");
    ASSERT_NE(at, std::string::npos);
    // Access denied: the user's name in place of "%s".
    EXPECT_EQ(ServiceAccessRefusal(1, 0, "WORKGROUP\\bob", message, sizeof message), 1);
    EXPECT_EQ(std::string(message), text.substr(0, at) + "WORKGROUP\\bob" + text.substr(at + 2));
    // Another failure: the text as the library has it.
    EXPECT_EQ(ServiceAccessRefusal(0, 1, "WORKGROUP\\bob", message, sizeof message), 1);
    EXPECT_EQ(std::string(message), text);
}

TEST_F(Checks, TheNlsTextIsNeverUsedAsAFormat)
{
    char out[64];
    // Only the first "%s" takes the name; "%%" is a percent sign; anything
    // else (and the name itself) stays as written.
    EXPECT_EQ(ServiceAccessMessage(out, sizeof out, "%d %n %x %s %s 100%%", "a%sb"), 1);
    EXPECT_STREQ(out, "%d %n %x a%sb %s 100%");
    EXPECT_EQ(ServiceAccessMessage(out, sizeof out, "no name here %", "bob"), 1);
    EXPECT_STREQ(out, "no name here %");
    char small[8];
    EXPECT_EQ(ServiceAccessMessage(small, sizeof small, "user %s!", "longname"), 0);
    EXPECT_STREQ(small, "user lo");
    // Under code page 932 a name cut in the middle of a character (ソ 83 5C)
    // loses the lead byte left alone.
    static const unsigned char kLeadBytes932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    MbSetLeadRanges(kLeadBytes932);
    EXPECT_EQ(ServiceAccessMessage(small, sizeof small, "user %s", "l\x83\x5C"), 0);
    EXPECT_STREQ(small, "user l");
    UseSystemCodePage();
}

TEST_F(Checks, LockTestAndItsAccessListRepair)
{
    std::string held = bin + "\\avlxcs2.dll", free = bin + "\\free.dll";
    WriteTextFile(free, "x");
    ASSERT_TRUE(FixtureHoldFile(d, held, "VlStandin.hold.common"));
    EXPECT_TRUE(FileIsLocked(held.c_str()));
    EXPECT_FALSE(FileIsLocked(free.c_str()));
    EXPECT_FALSE(FileIsLocked((bin + "\\missing.dll").c_str()));
    EXPECT_FALSE(FileIsLocked((d.Root + "\\no folder\\missing.dll").c_str()));

    // A path that refuses opening for writing (under Wine, run as the
    // superuser, only a folder does: file access lists and read-only
    // attributes are not enforced on opening) gets a new access list: the
    // three full-control entries and read and execute for everyone; then
    // it is tried once more.
    std::string guarded = bin + "\\avlmperf.dll";
    MakeFolders(guarded);
    HANDLE probe = CreateFileA(guarded.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD refusal = GetLastError();
    if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
    ASSERT_EQ(probe, INVALID_HANDLE_VALUE);
    ASSERT_EQ(refusal, (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_FALSE(FileIsLocked(guarded.c_str()));
    EXPECT_NE(Text().find("Set file security '" + guarded + "'"), std::string::npos) << Text();
    PACL acl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_EQ(GetNamedSecurityInfoA((LPSTR)guarded.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL,
                                    &acl, NULL, &descriptor),
              (DWORD)ERROR_SUCCESS);
    ASSERT_TRUE(acl);
    bool everyoneReads = false;
    for (WORD i = 0; i < acl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace = NULL;
        if (!GetAce(acl, i, (void **)&ace) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        PSID sid = &ace->SidStart;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        if (!memcmp(GetSidIdentifierAuthority(sid), &world, sizeof world)) {
            everyoneReads = (ace->Mask & (GENERIC_READ | FILE_GENERIC_READ)) && !(ace->Mask & FILE_WRITE_DATA);
        }
    }
    EXPECT_TRUE(everyoneReads);
    LocalFree(descriptor);
}

TEST_F(Checks, ProductIsRunningInItsFourCases)
{
    // 1 and 2: the service program or the service host program runs.
    ASSERT_TRUE(FixtureStartProgram(d, "avlxssvn.exe"));
    EXPECT_EQ(ProductIsRunning("C:\\elsewhere"), 1);
    FixtureSignalStop("avlxssvn");
    ASSERT_TRUE(h.PumpUntil([&] { return !FileIsLocked((bin + "\\avlxssvn.exe").c_str()); }));
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 0);
    ASSERT_TRUE(FixtureStartServices(d));
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 1);
    EXPECT_TRUE(ServiceIsActive("NorvikVarolink"));
    EXPECT_TRUE(ServiceIsActive("VarolinkServices"));
    FixtureStopRunning(d);
    EXPECT_FALSE(ServiceIsActive("NorvikVarolink"));
    EXPECT_FALSE(ServiceIsActive("NoSuchServiceHere"));
    // 3 and 4: the common library alone counts; with the counter library it
    // is the performance monitor's.
    ASSERT_TRUE(FixtureHoldFile(d, bin + "\\avlxcs2.dll", "VlStandin.hold.common"));
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 1);
    EXPECT_EQ(PerfMonitorDllLocked(), 0);
    ASSERT_TRUE(FixtureHoldFile(d, bin + "\\avlmperf.dll", "VlStandin.hold.perf"));
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 0);
    EXPECT_EQ(PerfMonitorDllLocked(), 1);
    EXPECT_TRUE(InOrder(h.Log(), {"Performance monitor DLL is not locked", "Performance monitor DLL is locked"}));
}

TEST_F(Checks, RunningTestFollowsTheRegisteredFolder)
{
    // The folder given is only the fallback: "FilePath" is read again.
    ASSERT_TRUE(FixtureStartProgram(d, "avlxssvn.exe"));
    EXPECT_EQ(ProductIsRunning("C:\\nowhere"), 1);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "FilePath", 0, REG_SZ, (const BYTE *)"C:\\nowhere", 11);
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 0);
    RegSetValueExA(key, "FilePath", 0, REG_SZ, (const BYTE *)"", 1);
    EXPECT_EQ(ProductIsRunning(gRun.ProgramFilesPath), 1);
    RegCloseKey(key);
}

TEST_F(Checks, TerminationEndsOnlyTheProgramInItsFolder)
{
    FixtureDescription other = d;
    other.Root = d.Root + "\\other";
    ASSERT_TRUE(FixtureStartProgram(d, "avlmtbrn.exe"));
    ASSERT_TRUE(FixtureStartProgram(other, "avlmtbrn.exe"));
    std::string ours = bin + "\\avlmtbrn.exe", theirs = FixtureProgramFolder(other) + "\\bin\\avlmtbrn.exe";
    ASSERT_EQ(FixtureProcessCount(ours), 1);
    ASSERT_EQ(FixtureProcessCount(theirs), 1);
    EXPECT_EQ(TerminateProgramProcesses(bin.c_str(), "AVLMTBRN.EXE", gRun.UninstFolder), 1);
    EXPECT_TRUE(h.PumpUntil([&] { return FixtureProcessCount(ours) == 0; }));
    EXPECT_EQ(FixtureProcessCount(theirs), 1);
    std::vector<std::string> log = h.Log();
    EXPECT_TRUE(InOrder(log, {"File '" + bin + "\\AVLMTBRN.EXE' is locked"})) << Text();
    int found = 0, ended = 0;
    for (const std::string &line : log) {
        if (line.rfind("Found process ID ", 0) == 0) {
            found++;
            EXPECT_NE(line.find("'" + ours + "'"), std::string::npos) << line;
        }
        if (line.rfind("Process ID ", 0) == 0 && line.find(" terminated") != std::string::npos) ended++;
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(ended, 1);
    // Nothing locked: nothing is loaded or looked at.
    EXPECT_EQ(TerminateProgramProcesses(bin.c_str(), "avlmtbrn.exe", "C:\\no psapi here"), 1);
    EXPECT_TRUE(Contains(h.Log(), "File '" + bin + "\\avlmtbrn.exe' is not locked"));
    EXPECT_EQ(Text().find("no psapi here"), std::string::npos);
    FixtureStopRunning(other);
}

TEST_F(Checks, TerminationWithoutTheInstalledPsapiEndsNothing)
{
    ASSERT_TRUE(FixtureStartProgram(d, "avlmsrvn.exe"));
    std::string program = bin + "\\avlmsrvn.exe";
    DeleteFileA((std::string(gRun.UninstFolder) + "\\psapi.dll").c_str());
    // The system folder has a psapi.dll; it is not the one to use.
    EXPECT_EQ(TerminateProgramProcesses(bin.c_str(), "avlmsrvn.exe", gRun.UninstFolder), 0);
    EXPECT_TRUE(Contains(h.Log(), "***Can't load '" + std::string(gRun.UninstFolder) + "\\psapi.dll'.")) << Text();
    Sleep(300);
    EXPECT_EQ(FixtureProcessCount(program), 1);
    EXPECT_EQ(Text().find("Found "), std::string::npos);
}

// Writes uninst\<name>.u00 as given.
void WriteList(const FixtureDescription &d, const std::string &name, const std::string &text)
{
    WriteTextFile(FixtureProgramFolder(d) + "\\uninst\\" + name + ".u00", text);
}

TEST_F(Checks, ListsCountOnlyListedFiles)
{
    LockCheckEntry *queue = NULL;
    WriteList(d, "toolkit", "; comment \\not\\counted\n# comment \\neither\nno backslash\n\n"
                            "\\bin\\a.dll\r\nword\\bin\\b.dll\n\\tools\\c.h\n");
    EXPECT_EQ(AddLockCheckFileList("toolkit", "C:\\base", &queue), 3);
    EXPECT_EQ(AddLockCheckFileList("toolkit", "C:\\other base", &queue), 3);  // already queued
    EXPECT_EQ(AddLockCheckFileList("missing", "C:\\base", &queue), 0);
    WriteList(d, "inetgway", "; only comments\n");
    EXPECT_EQ(AddLockCheckFileList("inetgway", "C:\\base", &queue), 0);
    ASSERT_TRUE(queue);
    EXPECT_EQ(std::string(queue->ListPath), FixtureProgramFolder(d) + "\\uninst\\toolkit.u00");
    EXPECT_EQ(std::string(queue->BaseFolder), "C:\\base");
    EXPECT_EQ(queue->Next, (LockCheckEntry *)NULL);
    FreeLockCheckQueue(&queue);
}

TEST_F(Checks, TheSelectionChoosesTheLists)
{
    for (const char *name : {"server", "serverd", "svslfrg", "javabind", "convtab", "clint", "clslfrg", "clintcnv",
                             "javabase", "clijava", "toolkit", "ijavadoc", "webadmin", "webscrip", "inetgway"})
        WriteList(d, name, std::string("\\") + name + "\\one\n\\" + name + "\\two\n");
    HWND bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 10, 10, gRun.MainWindow, NULL, NULL, NULL);
    auto lists = [&](LockCheckEntry *queue) {
        std::vector<std::string> names;  // in checking order (the queue's head first)
        for (LockCheckEntry *e = queue; e; e = e->Next) {
            std::string path = e->ListPath;
            names.push_back(path.substr(path.rfind('\\') + 1) + (std::string(e->BaseFolder) == gRun.ProductWorkPath ? "/D" : "/P"));
        }
        return names;
    };
    // The lists go by what the registry records when each procedure runs,
    // whatever discovery took from a localised name of an older release.
    auto record = [](const char *name, bool recorded) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL),
                  ERROR_SUCCESS);
        if (recorded) RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"", 1);
        else RegDeleteValueA(key, name);
        RegCloseKey(key);
    };
    const char *client = "Local Clients\\Windows NT Client", *java = "Local Clients\\Java Client";
    LockCheckEntry *queue = NULL;
    record(client, true);
    gComponents[COMP_SERVER].Selected = TRUE;
    gComponents[COMP_JAVA_CLIENT].Installed = TRUE;  // found under a 5.0 name only: not recorded
    EXPECT_EQ(BuildLockCheckList(&queue, bar), 14);
    EXPECT_EQ(lists(queue), (std::vector<std::string>{"clijava.u00/P", "javabase.u00/P", "convtab.u00/D",
                                                      "javabind.u00/P", "svslfrg.u00/P", "serverd.u00/D",
                                                      "server.u00/P"}));
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 14);
    FreeLockCheckQueue(&queue);

    // The server and the Windows NT client together: the client's procedure
    // runs after the server's and finds it gone, so it takes the shared lists.
    gComponents[COMP_WINDOWS_NT_CLIENT].Selected = TRUE;
    EXPECT_EQ(BuildLockCheckList(&queue, NULL), 20);
    EXPECT_EQ(lists(queue), (std::vector<std::string>{"clintcnv.u00/D", "clslfrg.u00/P", "clint.u00/P",
                                                      "clijava.u00/P", "javabase.u00/P", "convtab.u00/D",
                                                      "javabind.u00/P", "svslfrg.u00/P", "serverd.u00/D",
                                                      "server.u00/P"}));
    FreeLockCheckQueue(&queue);

    // Clients with the server recorded and staying: the shared lists stay,
    // the Java client's own list goes.
    record(java, true);
    gComponents[COMP_SERVER].Selected = FALSE;
    gComponents[COMP_WINDOWS_NT_CLIENT].Selected = gComponents[COMP_JAVA_CLIENT].Selected = TRUE;
    gComponents[COMP_TOOLKIT].Selected = gComponents[COMP_WEB_ADMIN].Selected = TRUE;
    gComponents[COMP_INTERNET_GATEWAY].Selected = gComponents[COMP_INTERNET_GATEWAY_DOCS].Selected = TRUE;
    EXPECT_EQ(BuildLockCheckList(&queue, NULL), 12);
    EXPECT_EQ(lists(queue), (std::vector<std::string>{"inetgway.u00/P", "webscrip.u00/D", "webadmin.u00/P",
                                                      "ijavadoc.u00/P", "toolkit.u00/P", "clijava.u00/P"}));
    FreeLockCheckQueue(&queue);
    // A server found by discovery but not recorded under its own name is
    // not installed for the client procedures.
    gComponents[COMP_SERVER].Installed = TRUE;
    record("Server", false);
    EXPECT_EQ(BuildLockCheckList(&queue, NULL), 20);
    FreeLockCheckQueue(&queue);
    record(client, false);
    record(java, false);
    DestroyWindow(bar);
}

}  // namespace
