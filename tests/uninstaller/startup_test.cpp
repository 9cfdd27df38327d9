// End-to-end start-up runs of avliunin.exe against fixture installations.
#include "fixture.h"
#include "runner.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

const char kRoot[] = "C:\\vlstart";
const char kLog[] = "C:\\vlstartlogs\\run.log";

struct StartupTest : ::testing::Test {
    FixtureDescription d;
    void SetUp() override
    {
        d.Root = kRoot;
        d.Components = {{"Server", ""}, {"Local Clients\\Windows NT Client", ""}};
        DeleteFolderTree("C:\\vlstartlogs");
    }
    void TearDown() override
    {
        FixtureRemove(d);
        DeleteFolderTree("C:\\vlstartlogs");
    }
    std::string WorkLog() { return FixtureWorkFolder(d) + "\\avlilogn.txt"; }
    std::string Rsp(const std::string &text)
    {
        std::string path = d.Root + "\\answers.rsp";
        WriteTextFile(path, text);
        return path;
    }
};

TEST_F(StartupTest, SilentRunLogsStartupAndDiscoveryInOrder)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\""), 0);
    std::vector<std::string> log = LogEntries(WorkLog());
    std::string program = FixtureProgramFolder(d);
    EXPECT_TRUE(InOrder(log, {"", std::string(69, '*'), "Launch folder '" VL_BIN_DIR "'",
                              "Execution parameters '-S -F1\"" + rsp + "\"'", "Silent uninstallation",
                              "Response file '" + rsp + "'", "Uninstallation folder '" + program + "\\uninst'",
                              "Installed Varolink version is 5.1", "Program files directory is '" + program + "'",
                              "Data files directory is '" + FixtureWorkFolder(d) + "'",
                              "Response file:", "  [Varolink]", "  Varolink=REMOVE", "No Web Admin user data exists",
                              "", "Uninstallation ended."}))
        << ReadTextFile(WorkLog());
    EXPECT_EQ(log.back(), "Uninstallation ended.");
}

TEST_F(StartupTest, InteractiveRunNeverReadsTheResponseFile)
{
    ASSERT_TRUE(FixtureInstall(d));
    Rsp("garbage without equals\n");
    // Interactive: the Main page would wait for the user; close it from outside.
    // Here only the start-up lines matter, so run with a time limit.
    RunUninstallerWith("-F1\"" + d.Root + "\\answers.rsp\"", 5000);
    std::vector<std::string> log = LogEntries(WorkLog());
    EXPECT_TRUE(Contains(log, "Interactive uninstallation"));
    EXPECT_FALSE(Contains(log, "Response file:"));
    EXPECT_FALSE(Contains(log, "Response file error"));
}

TEST_F(StartupTest, NoProductKeyStopsWithExitCodeOne)
{
    FixtureRemove(d);
    EXPECT_EQ(RunUninstallerWith(std::string("-S -G") + kLog), 1);
    std::vector<std::string> log = LogEntries(kLog);
    EXPECT_TRUE(InOrder(log, {"Silent uninstallation", "Varolink for Windows NT is not installed.", "",
                              "Uninstallation ended."}));
}

TEST_F(StartupTest, MissingFilePathStopsWithExitCodeOne)
{
    d.WriteFilePath = false;
    ASSERT_TRUE(FixtureInstall(d));
    EXPECT_EQ(RunUninstallerWith("-S"), 1);
    EXPECT_TRUE(InOrder(LogEntries(WorkLog()),
                        {"Can't find program files top-level folder in directory.", "", "Uninstallation ended."}));
}

TEST_F(StartupTest, MifNames)
{
    ASSERT_TRUE(FixtureInstall(d));
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    EXPECT_EQ(RunUninstallerWith(std::string("-S -G") + kLog + " -Ic:\\status"), 1);
    EXPECT_EQ(LogEntries(kLog).back(), "MIF file specification 'c:\\status' not valid");
    DeleteFileA(kLog);
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_EQ(RunUninstallerWith(std::string("-S -G") + kLog + " -Istatus.MIF -F1" + rsp), 0);
    EXPECT_TRUE(Contains(LogEntries(kLog), std::string("MIF file is '") + windows + "\\status.mif'"));
    DeleteFileA(kLog);
    EXPECT_EQ(RunUninstallerWith(std::string("-S -G") + kLog + " -I" + std::string(300, 'm')), 1);
}

TEST_F(StartupTest, LogSwitchWithBlanksAndHyphen)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_EQ(RunUninstallerWith("-F1" + rsp + " -S -G C:\\vlstartlogs\\un inst.log"), 0);
    EXPECT_TRUE(Contains(LogEntries("C:\\vlstartlogs\\un inst.log"), "Silent uninstallation"));
    // Unquoted, the path ends at the next hyphen: the log is the file "C:\vlstartlogs\my".
    MakeFolders("C:\\vlstartlogs");
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp + " -GC:\\vlstartlogs\\my-logs\\u.log"), 0);
    EXPECT_TRUE(Contains(LogEntries("C:\\vlstartlogs\\my"), "Silent uninstallation"));
}

TEST_F(StartupTest, SecondInstanceIsRefused)
{
    ASSERT_TRUE(FixtureInstall(d));
    HANDLE held = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 32, "zidTEST_MAPPING Varolink 5.1");
    ASSERT_TRUE(held != NULL);
    EXPECT_EQ(RunUninstallerWith("-S"), 1);
    CloseHandle(held);
    std::vector<std::string> log = LogEntries(WorkLog());
    ASSERT_FALSE(log.empty());
    HMODULE nls = LoadLibraryExA((FixtureProgramFolder(d) + "\\uninst\\_isuser.dll").c_str(), NULL,
                                 LOAD_LIBRARY_AS_DATAFILE);
    char text[516] = "";
    LoadStringA(nls, 238, text, sizeof text);
    FreeLibrary(nls);
    ASSERT_TRUE(text[0]);
    EXPECT_EQ(log.back(), std::string("MessageBox: '") + text + "'");
}

TEST_F(StartupTest, ResponseFileErrorsStopSilentRuns)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink\n=\n" + std::string(700, 'x') + "\n\x01\x02\xff=\n");
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp), 1);
    std::vector<std::string> log = LogEntries(WorkLog());
    EXPECT_TRUE(InOrder(log, {"Response file:", "  [Varolink]", "  Varolink", "No equals (=) sign in line",
                              "No keyword name in line", "Response file error"}));
    EXPECT_EQ(log.back(), "Response file error");
    DeleteFileA(WorkLog().c_str());
    EXPECT_EQ(RunUninstallerWith("-S -F1 answers.rsp"), 1);
    EXPECT_TRUE(InOrder(LogEntries(WorkLog()), {"Can't open '" VL_BIN_DIR "\\'", "Response file error"}));
}

TEST_F(StartupTest, MissingNlsLibraryIsReported)
{
    d.CopyNlsLibrary = false;
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp), 1);
    std::string nls = FixtureProgramFolder(d) + "\\uninst\\_isuser.dll";
    EXPECT_EQ(LogEntries(WorkLog()).back(), "MessageBox: 'LoadLibrary failed '" + nls + "'. (ZID4700)'");
}

// A preview is known before the log opens: without a log of its own it
// writes none (the default log belongs to the real runs), with -G it makes
// that log's folders; an interactive run ignores the keyword.
TEST_F(StartupTest, PreviewIsSilentOnlyAndWritesNoOtherRunsLog)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[varolink]\npreview=yes\nVarolink=REMOVEDATA\n");
    ASSERT_EQ(GetFileAttributesA(WorkLog().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp), 0);
    EXPECT_EQ(GetFileAttributesA(WorkLog().c_str()), INVALID_FILE_ATTRIBUTES) << ReadTextFile(WorkLog());
    EXPECT_TRUE(PathExists(FixtureWorkFolder(d)));
    EXPECT_TRUE(KeyExists("Software\\Norvik\\Varolink\\CurrentVersion\\Components"));

    std::string own = "C:\\vlstartlogs\\preview\\run.log";
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp + " -G" + own), 0);
    std::vector<std::string> log = LogEntries(own);
    EXPECT_TRUE(InOrder(log, {"Silent uninstallation", "Response file '" + rsp + "'",
                              "Preview: what the uninstallation would change is listed; nothing is changed",
                              "Would delete path: '" + FixtureWorkFolder(d) + "'", "Uninstallation ended."}))
        << ReadTextFile(own);
    EXPECT_EQ(GetFileAttributesA(WorkLog().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(PathExists(FixtureWorkFolder(d)));

    // Interactive: the keyword is ignored, and said to be.
    RunUninstallerWith("-F1\"" + rsp + "\"", 5000);
    log = LogEntries(WorkLog());
    EXPECT_TRUE(InOrder(log, {"Interactive uninstallation", "Preview ignored: a preview is a silent uninstallation only"}))
        << ReadTextFile(WorkLog());
}

TEST_F(StartupTest, DefaultLogGoesWithTheDataOnlyAfterSuccessOrWithALogOfItsOwn)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVEDATA\n");
    // The product key cannot be secured on this machine (no "vlm" group), so
    // the run does not succeed and the default log stays.
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp), 0);
    std::vector<std::string> log = LogEntries(WorkLog());
    EXPECT_TRUE(Contains(log, "***Error securing Varolink registry"));
    EXPECT_EQ(log.back(), "Uninstallation ended.");
    // With a log of its own the default log is deleted in either case.
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp + " -G" + kLog), 0);
    EXPECT_EQ(GetFileAttributesA(WorkLog().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(LogEntries(kLog).back(), "Uninstallation ended.");
}

TEST_F(StartupTest, OverlongCommandLineIsRefused)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    // Cut, the -G value would become another file: the refusal goes to the default log.
    EXPECT_EQ(RunUninstallerWith("-S -F1" + rsp + " -G" + kLog + std::string(3000, 'x')), 1);
    std::vector<std::string> log = LogEntries(WorkLog());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "***Command line too long; uninstallation not started");
    EXPECT_FALSE(Contains(log, "Silent uninstallation"));
    EXPECT_EQ(GetFileAttributesA("C:\\vlstartlogs"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(StartupTest, RefusedValuesAreLogged)
{
    d.UninstName = "C:\\" + std::string(300, 'u') + ".exe";
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = Rsp("[Varolink]\nVarolink=REMOVE\n");
    // An unquoted log path ends before " /S"; the flag still counts.
    EXPECT_EQ(RunUninstallerWith(std::string("-G") + kLog + " /S -F1" + rsp), 0);
    std::vector<std::string> log = LogEntries(kLog);
    EXPECT_TRUE(InOrder(log, {"Silent uninstallation", "***Value 'UninstName' is too long for a path; ignored",
                              "Uninstallation ended."}))
        << ReadTextFile(kLog);
}

}  // namespace
