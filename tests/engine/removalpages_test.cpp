// The deleting and completion pages inside the test process through their
// real dialogs: the worker started by the page, its end notice, Cancel with
// Resume and with Exit (and a rerun that finishes), the "***" summary and
// message 253, the status MIF, and the hand-over to the installer's
// uninstall program.
#include "engineutil.h"
#include "pageharness.h"
#include "runner.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "engine/worker.h"
#include "wizard/handover.h"
#include "wizard/nlsids.h"
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

const std::string kComponents = "Software\\Norvik\\Varolink\\CurrentVersion\\Components";
const std::string kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1";

struct RemovalPages : ::testing::Test {
    PageHarness h;
    FixtureDescription d;
    std::string P;
    void SetUp() override
    {
        d.Root = "C:\\vlengpages";
        P = FixtureProgramFolder(d);
    }
    void TearDown() override
    {
        StopRemovalWorker(90000);
        SetAfterEndNoticeHook(NULL);
        h.Close();
        FixtureRemove(d);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey.c_str());
    }
    void Open(bool silent) { h.Open(silent, "C:\\vlengpages_log"); }
    void Install()
    {
        ASSERT_TRUE(FixtureInstall(d));
        PrepareRunState(d);
    }
    void Select(std::initializer_list<int> components)
    {
        for (int c : components) gComponents[c].Selected = TRUE;
    }
    std::string LogText() { return ReadTextFile(h.LogPath); }
    // A language list of many files, so that removing it takes a while.
    void BigLists(const char *language, int files)
    {
        for (const char *kind : {"chm", "pdf", "htm"})
            for (int i = 0; i < files; i++)
                d.ListLines.push_back({std::string(kind) + language,
                                       "\\doc\\" + std::string(kind) + language + "\\f" + std::to_string(i) + ".x"});
    }
};

TEST_F(RemovalPages, DeletingPageRunsTheWorkerAndMovesOnWhenItEnds)
{
    Open(true);
    d.Components = {{"Additional Languages\\fr_fr", ""}, {"Additional Languages\\it_it", ""}, {"Server", ""}};
    d.ListLines = {{"chmfr_fr", "\\doc\\fr_fr\\help.chm"}};
    Install();
    Select({COMP_LANG_FR_FR, COMP_LANG_IT_IT});
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    ASSERT_TRUE(h.WaitForEnd(30000)) << LogText();
    EXPECT_EQ(h.Ends[0].How, 1);
    EXPECT_TRUE(gRun.AllSucceeded);
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\fr_fr"));
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\it_it"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    EXPECT_FALSE(PathExists(P + "\\doc\\fr_fr\\help.chm"));
    std::string fr = gComponentDisplayNames[11], it = gComponentDisplayNames[14];
    auto log = h.Log();
    // Languages only: the components in table order, then broadcast and Start-menu refresh.
    EXPECT_TRUE(InOrder(log, {"->Deleting-component dialog", "", "Uninstalling Additional Languages\\fr_fr (" + fr + ")",
                              "Finished uninstalling Additional Languages\\fr_fr (" + fr + ")", "",
                              "Uninstalling Additional Languages\\it_it (" + it + ")",
                              "Finished uninstalling Additional Languages\\it_it (" + it + ")", " ", " "}))
        << LogText();
    EXPECT_FALSE(Contains(log, "Processing data files directory '" + FixtureWorkFolder(d) + "'"));
    EXPECT_FALSE(Contains(log, "Processing program files directory '" + P + "'"));
}

TEST_F(RemovalPages, SkipBroadcastLeavesOnlyTheStartMenuRefresh)
{
    Open(true);
    d.Components = {{"Additional Languages\\de_de", ""}};
    Install();
    gRun.SkipBroadcast = TRUE;
    Select({COMP_LANG_DE_DE});
    ASSERT_TRUE(h.Create(IDD_DELETING_ALL));
    ASSERT_TRUE(h.WaitForEnd(30000)) << LogText();
    auto log = h.LogAfter("Finished uninstalling Additional Languages\\de_de (" +
                          std::string(gComponentDisplayNames[12]) + ")");
    int blanks = 0;
    for (const std::string &line : log) blanks += line == " ";
    EXPECT_EQ(blanks, 1) << LogText();
}

TEST_F(RemovalPages, StatusLinesAndProgressMoveWhileThePageThreadPumps)
{
    Open(false);
    d.Components = {{"Additional Languages\\ja_jp", ""}};
    BigLists("ja_jp", 100);
    Install();
    Select({COMP_LANG_JA_JP});
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    EXPECT_TRUE(IsWindowVisible(h.Page));
    std::string title;
    int highest = 0;
    h.PumpUntil([&] {
        std::string t = ControlText(h.Page, IDC_STATUS_1);
        if (!t.empty()) title = t;
        int position = (int)SendDlgItemMessageA(h.Page, IDC_PROGRESS, PBM_GETPOS, 0, 0);
        if (position > highest) highest = position;
        return !h.Ends.empty();
    }, 60000);
    ASSERT_FALSE(h.Ends.empty());
    EXPECT_NE(title.find(gComponentDisplayNames[15]), std::string::npos) << title;
    EXPECT_GT(highest, 50);
}

TEST_F(RemovalPages, CancelAnsweredWithResumeLeavesTheWorkerRunning)
{
    Open(false);
    d.Components = {{"Additional Languages\\ko_kr", ""}};
    BigLists("ko_kr", 100);
    Install();
    Select({COMP_LANG_KO_KR});
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    h.AnswerExitWith(IDC_RESUME);
    h.Click(IDC_CANCEL_PAGE);
    ASSERT_TRUE(h.WaitForEnd(60000)) << LogText();
    EXPECT_EQ(h.Ends.size(), 1u);
    EXPECT_EQ(h.Ends[0].How, 1);  // the end notice, not the end of the run
    EXPECT_TRUE(InOrder(h.Log(), {"->Deleting-component dialog", "  User: Cancel", "  User: Cancel", "->Exit dialog",
                                  "  User: Resume", "Finished uninstalling Additional Languages\\ko_kr (" +
                                                        std::string(gComponentDisplayNames[16]) + ")"}))
        << LogText();
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\ko_kr"));
}

TEST_F(RemovalPages, ExitStopsTheWorkerWithItsMarkerAndARerunFinishes)
{
    Open(false);
    d.Components = {{"Additional Languages\\zh_tw", ""}, {"Additional Languages\\zh_cn", ""}};
    BigLists("zh_tw", 400);
    Install();
    Select({COMP_LANG_ZH_TW, COMP_LANG_ZH_CN});
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    h.AnswerExitWith(IDC_EXIT);
    h.Click(IDC_CANCEL_PAGE);
    ASSERT_TRUE(h.WaitForEnd(10000)) << LogText();
    EXPECT_EQ(h.Ends[0].How, 9);
    // The end of the run: the worker stops at its next step and nothing more is removed.
    h.Destroy();
    ASSERT_TRUE(StopRemovalWorker(90000));
    EXPECT_EQ(ValueText(kComponents, "Additional Languages\\zh_tw"), "Incomplete") << LogText();
    EXPECT_EQ(ValueText(kComponents, "Additional Languages\\zh_cn"), "");
    EXPECT_TRUE(PathExists(P + "\\doc\\htmzh_tw\\f0.x"));
    EXPECT_TRUE(Contains(h.Log(), "Removal stopped: the uninstallation was ended"));
    EXPECT_TRUE(RemovalInterrupted());
    EXPECT_FALSE(Contains(h.Log(), "Finished uninstalling Additional Languages\\zh_tw (" +
                                       std::string(gComponentDisplayNames[17]) + ")"));

    // A second run (discovery finds the marker) finishes the removal.
    h.Ends.clear();
    PrepareRunState(d);
    EXPECT_TRUE(gComponents[COMP_LANG_ZH_TW].Incomplete);
    Select({COMP_LANG_ZH_TW, COMP_LANG_ZH_CN});
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    ASSERT_TRUE(h.WaitForEnd(120000)) << LogText();
    EXPECT_EQ(h.Ends[0].How, 1);
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\zh_tw"));
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\zh_cn"));
    EXPECT_FALSE(PathExists(P + "\\doc\\htmzh_tw\\f0.x"));
}

// Holds the worker between its end notice and its end until the end of the
// run asks it to stop (at most 20 s).
void HoldUntilStopRequested()
{
    for (int i = 0; i < 2000 && !RemovalStopRequested(); i++) Sleep(10);
}

// The run may end between the worker's end notice and its end (a silent
// completion page ends 100 ms after it opens): the removal is complete all
// the same. Held in that gap, the stop request comes for certain.
TEST_F(RemovalPages, ARunEndedAfterTheEndNoticeIsNotInterrupted)
{
    Open(true);
    d.Components = {{"Additional Languages\\fr_fr", ""}};
    Install();
    Select({COMP_LANG_FR_FR});
    SetAfterEndNoticeHook(HoldUntilStopRequested);
    ASSERT_TRUE(h.Create(IDD_DELETING_COMPONENT));
    ASSERT_TRUE(h.WaitForEnd(30000)) << LogText();
    EXPECT_EQ(h.Ends[0].How, 1);
    h.Destroy();
    EXPECT_TRUE(RemovalWorkerActive());
    ASSERT_TRUE(StopRemovalWorker(90000));
    EXPECT_TRUE(RemovalStopRequested());
    EXPECT_FALSE(RemovalInterrupted());
    EXPECT_FALSE(Contains(h.Log(), "Removal stopped: the uninstallation was ended")) << LogText();
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\fr_fr"));
}

TEST_F(RemovalPages, ComponentCompletionWithErrorsLogsTheSummaryAndMessage253)
{
    Open(true);
    gRun.AllSucceeded = FALSE;
    lstrcpyA(gRun.ProgramFilesPath, "C:\\P");
    lstrcpyA(gRun.ProductWorkPath, "C:\\D");
    lstrcpyA(gRun.LogDefaultPath, "C:\\L");
    gRun.LogPath[0] = 0;
    // The page's timer starts inside Create: the time is taken before it, so
    // a slow Create on a loaded machine does not make the wait look short.
    DWORD opened = GetTickCount();
    ASSERT_TRUE(h.Create(IDD_COMPONENT_DELETION_DONE));
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_GE(GetTickCount() - opened, 90u);
    EXPECT_EQ(h.Ends[0].How, 1);
    char format[600], message[900];
    LoadNlsString(format, 253);
    wsprintfA(message, format, "C:\\D\\avlilogn.txt");
    auto log = h.LogAfter("Video subsystem supports 256 colors");
    std::vector<std::string> expected = {"***One or more errors have occurred.",
                                         "***Some files might require manual deletion.",
                                         "***Check program folder 'C:\\P\\*'",
                                         "***Check data folder 'C:\\D\\*'",
                                         "***Check log folder 'C:\\L\\*'",
                                         "***Some registry entries might require manual deletion.",
                                         "***Check 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink'"};
    ASSERT_GE(log.size(), 9u) << LogText();
    for (size_t i = 0; i < expected.size(); i++) EXPECT_EQ(log[i], expected[i]);
    EXPECT_NE(LogText().find(message), std::string::npos) << LogText();
    EXPECT_TRUE(InOrder(log, {"  User: Finish"}));
}

TEST_F(RemovalPages, AllCompletionWithErrorsShowsOnlyTheMessage)
{
    Open(true);
    gRun.AllSucceeded = FALSE;
    lstrcpyA(gRun.LogPath, "C:\\logs\\mine.txt");
    lstrcpyA(gRun.UninstFolder, "C:\\nowhere\\uninst");
    ASSERT_TRUE(h.Create(IDD_ALL_DELETION_DONE));
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_FALSE(Contains(h.Log(), "***One or more errors have occurred."));
    EXPECT_NE(LogText().find("C:\\logs\\mine.txt"), std::string::npos);
    EXPECT_TRUE(InOrder(h.Log(), {"->All-deletion-complete dialog", "  User: Finish", "Starting UninstallShield silent"}));
}

TEST_F(RemovalPages, MifWrittenOnFinishAndOnTheCloseBox)
{
    Open(false);
    // The status-MIF library's stand-in writes <name>.mif into VL_ISMIF_FOLDER.
    SetDllDirectoryA(VL_BIN_DIR "\\mif");
    SetEnvironmentVariableA("VL_ISMIF_FOLDER", h.Folder.c_str());
    std::string mif = h.Folder + "\\vlengine.mif";
    lstrcpyA(gRun.MifName, "vlengine");
    gRun.AllSucceeded = FALSE;
    h.AnswerDialog("Norvik Varolink", IDOK);  // message 253
    ASSERT_TRUE(h.Create(IDD_COMPONENT_DELETION_DONE));
    SendMessageA(h.Page, WM_CLOSE, 0, 0);
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Ends[0].How, 9);  // no Exit question
    EXPECT_FALSE(Contains(h.Log(), "->Exit dialog"));
    char failure[600], success[600];
    LoadNlsString(failure, 283);
    LoadNlsString(success, 282);
    EXPECT_NE(ReadTextFile(mif).find(failure), std::string::npos) << ReadTextFile(mif) << LogText();

    DeleteFileA(mif.c_str());
    gRun.AllSucceeded = TRUE;
    ASSERT_TRUE(h.Create(IDD_COMPONENT_DELETION_DONE));
    h.Click(IDC_NEXT);
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Ends[0].How, 1);
    EXPECT_TRUE(Contains(h.Log(), "  User: Finish"));
    EXPECT_NE(ReadTextFile(mif).find(success), std::string::npos) << ReadTextFile(mif) << LogText();
    SetDllDirectoryA(NULL);
    SetEnvironmentVariableA("VL_ISMIF_FOLDER", NULL);
}

struct Handover : RemovalPages {
    std::string record;
    void SetUp() override
    {
        RemovalPages::SetUp();
        Open(true);
        d.InstallerUninstall = true;
        Install();
        record = h.Folder + "\\isuninst.txt";
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", record.c_str());
        MakeKey(kUninstallKey);
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", NULL);
        SetDllDirectoryA(NULL);
        RemovalPages::TearDown();
    }
    std::string WaitForRecord() { return WaitForHandOverRecord(record, 20000); }
};

TEST_F(Handover, InstallerCommandStoredAndStartedWithoutMif)
{
    lstrcpyA(gRun.InstallerUninstallProgram, (P + "\\uninst\\isuninst.exe").c_str());
    EXPECT_EQ(RunInstallerUninstall(), 1);
    std::string U = P + "\\uninst";
    EXPECT_EQ(ValueText(kUninstallKey, "UninstallString"),
              P + "\\uninst\\isuninst.exe -f\"" + U + "\\Uninst.isu\" -c\"" + U + "\\avliisun.dll\"");
    std::string line = WaitForRecord();
    EXPECT_NE(line.find(" -y -a -f\"" + U + "\\Uninst.isu\" -c\"" + U + "\\avliisun.dll\"|"), std::string::npos)
        << line;
    EXPECT_EQ(line.find(" -m"), std::string::npos) << line;
    EXPECT_NE(line.find("f=1 c=1"), std::string::npos) << line;
    EXPECT_TRUE(Contains(h.Log(), "Starting UninstallShield silent"));
}

TEST_F(Handover, MifNamePassedToTheInstallerAndNoMifWrittenHere)
{
    lstrcpyA(gRun.InstallerUninstallProgram, (P + "\\uninst\\isuninst.exe").c_str());
    lstrcpyA(gRun.MifName, "vlwhole");
    // The status-MIF library is at hand: the page still leaves the report
    // to the installer's uninstall program.
    SetDllDirectoryA(VL_BIN_DIR "\\mif");
    SetEnvironmentVariableA("VL_ISMIF_FOLDER", h.Folder.c_str());
    ASSERT_TRUE(h.Create(IDD_ALL_DELETION_DONE));
    ASSERT_TRUE(h.WaitForEnd());
    std::string line = WaitForRecord();
    EXPECT_NE(line.find("avliisun.dll\" -mvlwhole|"), std::string::npos) << line;
    EXPECT_FALSE(PathExists(h.Folder + "\\vlwhole.mif"));
    EXPECT_FALSE(Contains(h.Log(), "Writing MIF file")) << LogText();
}

TEST_F(Handover, KeyIsNotCreatedAndAMissingProgramIsZero)
{
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey.c_str());
    lstrcpyA(gRun.InstallerUninstallProgram, "C:\\nowhere\\isuninst.exe");
    EXPECT_EQ(RunInstallerUninstall(), 0);
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

}  // namespace
