// Two copies of avliunin.exe at once, and a product key that starts refusing
// access while a run waits on its first page. The first copy is driven
// through its real windows; the second copy is the real program too.
#include "fixture.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include "wizarddriver.h"
#include <gtest/gtest.h>
#include <aclapi.h>
#include <windows.h>

namespace {

const char kLogs[] = "C:\\vlcopylogs";
const char kFirstLog[] = "C:\\vlcopylogs\\first.log";
const char kSecondLog[] = "C:\\vlcopylogs\\second.log";
const char kProductKey[] = "Software\\Norvik\\Varolink\\CurrentVersion";

std::string NlsString(const FixtureDescription &d, UINT id)
{
    HMODULE nls = LoadLibraryExA((FixtureProgramFolder(d) + "\\uninst\\_isuser.dll").c_str(), NULL,
                                 LOAD_LIBRARY_AS_DATAFILE);
    char text[516] = "";
    if (nls) LoadStringA(nls, id, text, sizeof text);
    if (nls) FreeLibrary(nls);
    return text;
}

struct TwoCopies : ::testing::Test {
    FixtureDescription d;
    WizardProcess first, second;

    void SetUp() override
    {
        d.Root = "C:\\vlcopies";
        d.Components = {{"Server", ""}, {"Local Clients\\Windows NT Client", ""}, {"Internet Gateway", ""}};
        DeleteFolderTree(kLogs);
        ASSERT_TRUE(FixtureInstall(d));
    }
    void TearDown() override
    {
        first.End();
        second.End();
        FixtureRemove(d);
        DeleteFolderTree(kLogs);
    }
    // The refusal a second copy writes to its own log, and nothing of the
    // running copy's work: no securing of the registry.
    void ExpectRefusedSecondCopy(const char *mode)
    {
        std::vector<std::string> log = LogEntries(kSecondLog);
        EXPECT_TRUE(InOrder(log, {mode, "MessageBox: '" + NlsString(d, 238) + "'"})) << ReadTextFile(kSecondLog);
        EXPECT_EQ(log.back(), "MessageBox: '" + NlsString(d, 238) + "'");
        for (const std::string &line : log) EXPECT_EQ(line.find("Securing Varolink registry"), std::string::npos);
    }
};

TEST_F(TwoCopies, SilentSecondCopyLeavesTheInteractiveFirstCopyAsItWas)
{
    ASSERT_TRUE(first.Start(std::string("-G") + kFirstLog));
    ASSERT_TRUE(first.Window(kMainCaption));
    // A silent second copy: no box, exit code 1, its lines in its own log.
    EXPECT_EQ(RunUninstallerWith(std::string("-S -G") + kSecondLog, 20000), 1);
    ExpectRefusedSecondCopy("Silent uninstallation");

    // The first copy still asks its questions: choosing nothing shows a box.
    HWND main = first.Window(kMainCaption);
    ASSERT_TRUE(main);
    WizardProcess::Click(main, IDC_OPTION_COMPONENTS);
    ASSERT_TRUE(WaitFor([&] { return IsDlgButtonChecked(main, IDC_OPTION_COMPONENTS) == BST_CHECKED; }));
    ASSERT_TRUE(first.ClickAway(kMainCaption, IDC_NEXT));
    HWND select = first.Window(kSelectCaption);
    ASSERT_TRUE(select);
    WizardProcess::Click(select, IDC_NEXT);
    HWND box = first.Window(kMessageCaption);
    ASSERT_TRUE(box) << "the interactive first copy showed no message box";
    EXPECT_EQ(WizardProcess::BoxText(box), NlsString(d, 231));
    WizardProcess::Click(box, IDOK);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    WizardProcess::Click(select, IDC_CANCEL_PAGE);
    ASSERT_TRUE(first.ClickAway(kExitCaption, IDC_EXIT));
    EXPECT_EQ(first.ExitCode(), 0);

    // ... and wrote all of it to its own log.
    std::vector<std::string> log = LogEntries(kFirstLog);
    EXPECT_TRUE(InOrder(log, {"Interactive uninstallation", "->Main dialog", "  User: Next", "->Select-components dialog",
                              "  User: Next", "MessageBox: '" + NlsString(d, 231) + "'", "  User: Cancel",
                              "  User: Exit", "", "Uninstallation ended."}))
        << ReadTextFile(kFirstLog);
    EXPECT_FALSE(Contains(log, "Silent uninstallation"));
    EXPECT_FALSE(Contains(log, "MessageBox: '" + NlsString(d, 238) + "'"));
}

TEST_F(TwoCopies, InteractiveSecondCopyLeavesTheSilentFirstCopyAsItWas)
{
    // The silent first copy reads its answers from a pipe: it waits there,
    // after its start-up claimed the single instance, until the test writes them.
    std::string pipeName = "\\\\.\\pipe\\vlcopies-" + std::to_string(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                                   PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, NULL);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    OVERLAPPED io = {};
    io.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    ASSERT_TRUE(first.Start("-S -F1\"" + pipeName + "\" -G" + kFirstLog));
    // Waits for the first copy to open its answers, or to end without doing so.
    BOOL connected = ConnectNamedPipe(pipe, &io);
    if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) connected = TRUE;
    if (!connected && GetLastError() == ERROR_IO_PENDING) {
        HANDLE waits[2] = {io.hEvent, first.Process.hProcess};
        connected = WaitForMultipleObjects(2, waits, FALSE, 20000) == WAIT_OBJECT_0;
    }
    if (!connected) {
        CloseHandle(pipe);
        CloseHandle(io.hEvent);
        FAIL() << "the silent first copy never read its response file";
    }

    // An interactive second copy shows its refusal and ends with 1.
    ASSERT_TRUE(second.Start(std::string("-G") + kSecondLog));
    HWND box = second.Window(kMessageCaption);
    ASSERT_TRUE(box) << "the interactive second copy showed no message box";
    EXPECT_EQ(WizardProcess::BoxText(box), NlsString(d, 238));
    WizardProcess::Click(box, IDOK);
    EXPECT_EQ(second.ExitCode(), 1);
    ExpectRefusedSecondCopy("Interactive uninstallation");

    // The first copy goes on silently: a selection the rules refuse is only
    // logged (a box would hold the run until its time limit) and the run ends.
    std::string answers =
        "[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\nDevelopment Toolkit=KEEP\n"
        "Local Clients\\Windows NT Client=REMOVE\nLocal Clients\\Java Client=KEEP\nInternet Gateway=KEEP\n"
        "Documentation\\Internet Gateway=KEEP\n";
    DWORD written = 0;
    ResetEvent(io.hEvent);
    BOOL sent = WriteFile(pipe, answers.data(), (DWORD)answers.size(), &written, &io) ||
                (GetLastError() == ERROR_IO_PENDING && GetOverlappedResult(pipe, &io, &written, TRUE));
    FlushFileBuffers(pipe);
    CloseHandle(pipe);
    CloseHandle(io.hEvent);
    ASSERT_TRUE(sent);
    EXPECT_EQ(written, answers.size());
    EXPECT_EQ(first.ExitCode(), 0);
    std::vector<std::string> log = LogEntries(kFirstLog);
    EXPECT_TRUE(InOrder(log, {"Silent uninstallation", "Response file:", "  Varolink=REMOVECOMPONENTS",
                              "->Select-components dialog", "MessageBox: '" + NlsString(d, 268) + "'",
                              "  User: Cancel", "", "Uninstallation ended."}))
        << ReadTextFile(kFirstLog);
    EXPECT_FALSE(Contains(log, "Interactive uninstallation"));
}

// Access list of the product key: read for LocalSystem only, or (NULL) open to all.
DWORD SetProductKeyAccess(bool refuse)
{
    PACL acl = NULL;
    PSID system = NULL;
    if (refuse) {
        SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
        if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system)) return 1;
        EXPLICIT_ACCESS_A entry = {};
        entry.grfAccessPermissions = KEY_READ;
        entry.grfAccessMode = SET_ACCESS;
        entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        entry.Trustee.ptstrName = (LPSTR)system;
        SetEntriesInAclA(1, &entry, NULL, &acl);
    }
    std::string name = std::string("MACHINE\\") + kProductKey;
    DWORD rc = SetNamedSecurityInfoA(&name[0], SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, acl, NULL);
    if (acl) LocalFree(acl);
    if (system) FreeSid(system);
    return rc;
}

LONG OpenProductKeyForQuery()
{
    HKEY key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE, &key);
    if (rc == ERROR_SUCCESS) RegCloseKey(key);
    return rc;
}

TEST_F(TwoCopies, KeyRefusingAccessDuringARunWithoutALogPathInTheBlock)
{
    // A -G log whose folder cannot be made (a file has its name): the block
    // holds no log path and the run logs to the default log once discovery
    // has found the work folder.
    MakeFolders(kLogs);
    WriteTextFile(std::string(kLogs) + "\\blocker", "x");
    std::string defaultLog = FixtureWorkFolder(d) + "\\avlilogn.txt";
    ASSERT_TRUE(first.Start(std::string("-G") + kLogs + "\\blocker\\run.log"));
    HWND main = first.Window(kMainCaption);
    ASSERT_TRUE(main);
    ASSERT_EQ(SetProductKeyAccess(true), 0u);
    if (OpenProductKeyForQuery() != ERROR_ACCESS_DENIED) {
        SetProductKeyAccess(false);
        GTEST_SKIP() << "this Wine does not enforce a key's access list";
    }
    WizardProcess::Click(main, IDC_CANCEL_PAGE);
    bool exited = first.ClickAway(kExitCaption, IDC_EXIT);
    int code = first.ExitCode();
    LONG afterwards = OpenProductKeyForQuery();
    SetProductKeyAccess(false);
    ASSERT_TRUE(exited);
    EXPECT_EQ(code, 0);
    // Logging took no part in key repair: the key refuses as before, no ownership was taken.
    EXPECT_EQ(afterwards, ERROR_ACCESS_DENIED);
    std::vector<std::string> log = LogEntries(defaultLog);
    // Logging comes on with discovery, so the log begins with its header there.
    EXPECT_TRUE(InOrder(log, {std::string(69, '*'), "Installed Varolink version is 5.1", "->Main dialog", "  User: Cancel", "->Exit dialog",
                              "  User: Exit", "", "Uninstallation ended."}))
        << ReadTextFile(defaultLog);
    for (const std::string &line : log) EXPECT_EQ(line.find("Set ownership"), std::string::npos) << line;
}

}  // namespace
