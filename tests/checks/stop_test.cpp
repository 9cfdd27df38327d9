// The running-product check and the staged stop through avliunin.exe against
// running stand-ins of the product: services, queue managers, listeners and
// stragglers, silent and clicked.
#include "checkrun.h"
#include "wizard/nlsids.h"

namespace {

const char kRemoveContinue[] = "[Varolink]\nVarolink=REMOVE\nLockedFiles=CONTINUE\n";

struct StopRun : CheckRun {};

TEST_F(StopRun, ServicesQueueManagersAndTraceStopInStageOrder)
{
    d.RegistryQueueManagers = {{"QM1", "QM.ONE"}};
    d.Services = true;
    d.Standins = {"AVLISUPN.DLL", "endvltrc.exe", "endvlcsv.exe", "endvlm.exe", "endvllsr.exe"};
    d.RunningQueueManagers = {"QM1"};
    d.Runs = {{"avlzxma0.exe", "QM.ONE"}, {"avlxssvn.exe", ""}};
    Install();
    std::string program = FixtureProgramFolder(d), bin = Bin();
    auto log = RunSilent(kRemoveContinue);
    EXPECT_TRUE(InOrder(log, {
        "->VL-running dialog", "***Locked files found; LockedFiles=CONTINUE.", "  User: Next", "->Stop-VL dialog",
        "Launching process '" + bin + "\\endvltrc.exe' ' '; dir '" + bin + "'.", "Process ended; exit code 0x00000000",
        "Queue manager 'QM.ONE' is running",
        "Launching process '" + bin + "\\endvlcsv.exe' '-i QM.ONE'; dir '" + bin + "'.",
        "Launching process '" + bin + "\\endvlm.exe' '-i QM.ONE'; dir '" + bin + "'.",
        // The library is loaded by its plain path although the folder has a blank.
        "Launching thread '" + program + "\\uninst\\AVLISUPN.DLL(isuVLStop)'.", "Thread ending; rc is 0x00000000",
        "...thread ended",
        "Launching process '" + bin + "\\AVLSVC.EXE' '-STOP -SILENT'; dir '" + bin + "'.",
        "Process ended; exit code 0x00000000", "Waiting for QMs to stop", "No QMs running", "Ending all listeners",
        "No listeners running", "No queue managers running", "File '" + bin + "\\avlxssvn.exe' is locked",
        "Waiting for all QM activity to stop", "Nothing running", "->Checking-locked-files dialog"}))
        << LogText();
    // Both services were stopped by the first two stages: no second thread.
    int threads = 0;
    for (const std::string &line : log) threads += line.rfind("Launching thread", 0) == 0;
    EXPECT_EQ(threads, 1) << LogText();
    // endvlm.exe is not waited for: it may record its call after the next stage's.
    auto calls = StandinCalls();
    EXPECT_TRUE(InOrder(calls, {"avlzxma0.exe QM.ONE", "avlxssvn.exe ", "endvltrc.exe ", "endvlcsv.exe -i QM.ONE",
                                "AVLISUPN.DLL isuVLStop NorvikVarolink", "AVLSVC.EXE -STOP -SILENT"}))
        << ReadTextFile(StandinLog());
    EXPECT_TRUE(InOrder(calls, {"endvlcsv.exe -i QM.ONE", "endvlm.exe -i QM.ONE"})) << ReadTextFile(StandinLog());
    EXPECT_EQ(FixtureServiceState("NorvikVarolink"), (DWORD)SERVICE_STOPPED);
    EXPECT_EQ(FixtureServiceState("VarolinkServices"), (DWORD)SERVICE_STOPPED);
    EXPECT_EQ(FixtureProcessCount(bin + "\\avlxssvn.exe"), 0);
    EXPECT_EQ(FixtureProcessCount(bin + "\\avlzxma0.exe"), 0);
}

// A preview lists the stop stage by stage and runs none of it, with no
// waits; the product keeps running, and a file one of its programs holds is
// in use only until the stop that the removal would make, not locked.
TEST_F(StopRun, PreviewListsTheStopAndLeavesTheProductRunning)
{
    d.RegistryQueueManagers = {{"QM1", "QM.ONE"}};
    d.Services = true;
    d.Standins = {"AVLISUPN.DLL", "endvltrc.exe", "endvlcsv.exe", "endvlm.exe", "endvllsr.exe"};
    d.RunningQueueManagers = {"QM1"};
    d.Runs = {{"avlzxma0.exe", "QM.ONE"}, {"avlxssvn.exe", ""}};
    d.Components = {{"Development Toolkit", ""}};
    Install();
    std::string program = FixtureProgramFolder(d), bin = Bin(), held = bin + "\\held.dll";
    WriteList("toolkit", "\\bin\\held.dll\n");
    ASSERT_TRUE(FixtureHoldFile(d, held, "VlStandin.hold.held"));
    std::string listed = held;   // the list's files are logged in lower case
    for (char &c : listed) c = (char)tolower((unsigned char)c);
    DWORD start = GetTickCount();
    auto log = RunSilent("[Varolink]\nPreview=YES\nVarolink=REMOVE\nLockedFiles=CONTINUE\n");
    EXPECT_LT(GetTickCount() - start, 60000u) << "a preview waits for nothing it did not start";
    EXPECT_TRUE(InOrder(log, {
        "->VL-running dialog", "***Locked files found; LockedFiles=CONTINUE.", "  User: Next",
        "->Stop-VL dialog", "Would start: '" + bin + "\\endvltrc.exe' ' '", "Queue manager 'QM.ONE' is running",
        "Would start: '" + bin + "\\endvlcsv.exe' '-i QM.ONE'", "Would start: '" + bin + "\\endvlm.exe' '-i QM.ONE'",
        "Would stop service 'NorvikVarolink'", "Would run: '" + program + "\\uninst\\AVLISUPN.DLL(isuVLStop)'",
        "Would start: '" + bin + "\\AVLSVC.EXE' '-STOP -SILENT'", "Waiting for QMs to stop", "No QMs running",
        "Waiting for all QM activity to stop", "Nothing running", "->Checking-locked-files dialog",
        "In use until the product is stopped: '" + held + "'", "0 locked files:", "Would delete file: '" + listed + "'",
        "Uninstallation ended."}))
        << LogText();
    for (const std::string &line : log)
        EXPECT_TRUE(line.rfind("Launching", 0) != 0 && line.rfind("Process ID", 0) != 0) << line;
    auto calls = StandinCalls();
    for (const char *stop : {"endvltrc.exe", "endvlcsv.exe", "endvlm.exe", "AVLISUPN.DLL", "AVLSVC.EXE"})
        for (const std::string &call : calls) EXPECT_EQ(call.find(stop), std::string::npos) << call;
    EXPECT_NE(FixtureServiceState("NorvikVarolink"), (DWORD)SERVICE_STOPPED);
    EXPECT_EQ(FixtureProcessCount(bin + "\\avlxssvn.exe"), 1);
    EXPECT_EQ(FixtureProcessCount(bin + "\\avlzxma0.exe"), 1);
    EXPECT_TRUE(PathExists(held));
}

TEST_F(StopRun, NothingActiveAndNoServiceProgramGoesStraightToTheQueueManagerWait)
{
    d.Runs = {{"avlxssvn.exe", ""}};
    Install();
    auto log = RunSilent(kRemoveContinue);
    EXPECT_EQ(Between(log, "->Stop-VL dialog", "Waiting for QMs to stop").size(), 0u) << LogText();
    EXPECT_TRUE(InOrder(log, {"->Stop-VL dialog", "Waiting for QMs to stop", "Process ID", "Nothing running",
                              "->Checking-locked-files dialog", "0 locked files:"}) ||
                InOrder(log, {"->Stop-VL dialog", "Waiting for QMs to stop", "Nothing running",
                              "->Checking-locked-files dialog", "0 locked files:"}))
        << LogText();
    EXPECT_EQ(FixtureProcessCount(Bin() + "\\avlxssvn.exe"), 0);
}

TEST_F(StopRun, ListenersAreTerminatedWhenTheirEndCommandIsMissingOrFails)
{
    d.RegistryQueueManagers = {{"QM1", "QM1"}};
    d.Runs = {{"runvllsr.exe", ""}, {"avlxssvn.exe", ""}};
    Install();
    std::string listener = Bin() + "\\runvllsr.exe";
    auto log = RunSilent(kRemoveContinue);
    auto stragglers = Between(log, "Ending all listeners", "Waiting for all QM activity to stop");
    EXPECT_TRUE(InOrder(stragglers, {"File '" + listener + "' is locked"})) << LogText();
    EXPECT_FALSE(Contains(stragglers, "No listeners running"));
    EXPECT_EQ(FixtureProcessCount(listener), 0);

    // The end command reports failure (20): the listener is terminated too.
    FixtureRemove(d);
    d.Standins = {"endvllsr.exe"};
    Install();
    SetStandinValue("VL_STANDIN_EXIT_ENDVLLSR", "20");
    log = RunSilent(kRemoveContinue);
    stragglers = Between(log, "Ending all listeners", "Waiting for all QM activity to stop");
    EXPECT_TRUE(InOrder(stragglers, {"Launching process '" + Bin() + "\\endvllsr.exe' '-m QM1'; dir '" + Bin() + "'.",
                                     "Process ended; exit code 0x00000014", "File '" + listener + "' is locked"}))
        << LogText();
    EXPECT_EQ(FixtureProcessCount(listener), 0);

    // The end command works: it ends the listener, nothing is terminated.
    FixtureRemove(d);
    Install();
    SetStandinValue("VL_STANDIN_EXIT_ENDVLLSR", NULL);
    log = RunSilent(kRemoveContinue);
    stragglers = Between(log, "Ending all listeners", "Waiting for all QM activity to stop");
    EXPECT_TRUE(InOrder(stragglers, {"Process ended; exit code 0x00000000"})) << LogText();
    EXPECT_EQ(LogText().find("File '" + listener + "'"), std::string::npos) << LogText();
    EXPECT_TRUE(Contains(StandinCalls(), "endvllsr.exe -m QM1"));
}

TEST_F(StopRun, SilentAnswersOnTheRunningPage)
{
    d.Runs = {{"avlxssvn.exe", ""}};
    Install();
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"LockedFiles=CANCEL\n", {"***Locked files found; LockedFiles=CANCEL."}},
        {"LockedFiles=MAYBE\n", {"Unknown value [Varolink] LockedFiles=MAYBE"}},
        {"", {"Stanza 'Varolink' keyword 'LockedFiles' not found"}},
    };
    for (const auto &c : cases) {
        DeleteFileA(LogPath().c_str());
        auto log = RunSilent("[Varolink]\nVarolink=REMOVE\n" + c.first);
        std::vector<std::string> wanted = {"->VL-running dialog"};
        wanted.insert(wanted.end(), c.second.begin(), c.second.end());
        wanted.insert(wanted.end(), {"  User: Cancel", "->Exit dialog", "  User: Exit", "Uninstallation ended."});
        EXPECT_TRUE(InOrder(log, wanted)) << c.first << LogText();
        EXPECT_FALSE(Contains(log, "->Stop-VL dialog")) << c.first;
        EXPECT_EQ(FixtureProcessCount(Bin() + "\\avlxssvn.exe"), 1);
    }
}

TEST_F(StopRun, ClickedStopIgnoresASecondNextAndKeepsHelpDisabled)
{
    d.RegistryQueueManagers = {{"QM1", "QM1"}};
    d.Services = true;
    d.Standins = {"AVLISUPN.DLL"};
    d.Runs = {{"avlxssvn.exe", ""}};
    Install();
    std::string help = Bin() + "\\avlhlpaw.chm";
    if (!CopyFileA(VL_BIN_DIR "\\avlhlpaw.chm", help.c_str(), FALSE)) WriteTextFile(help, "help");
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    HWND page = run.Window(kVlRunningCaption);
    ASSERT_TRUE(page);
    HWND helpButton = GetDlgItem(page, IDC_HELP_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(helpButton) && IsWindowEnabled(helpButton); }));
    WizardProcess::Click(page, IDC_NEXT);
    HWND stop = run.Window(kStopCaption);
    ASSERT_TRUE(stop);
    EXPECT_EQ(GetWindow(stop, GW_OWNER), page);
    for (int id : {IDC_NEXT, IDC_BACK, IDC_CANCEL_PAGE, IDC_HELP_BUTTON})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, id))) << id;
    // Another Next while the dialog runs (the button is disabled; the
    // message still reaches the page) starts nothing.
    PostMessageA(page, RegisterWindowMessageA("VarolinkUninstallNext"), 0, 0);
    // The run goes on by itself to the locked-file check. The page's other
    // buttons come back when the dialog ends; Help stays disabled until the
    // page has gone (watched while it is still there).
    int helpEnabled = 0, watched = 0;
    ASSERT_TRUE(WaitFor([&] {
        if (!IsWindow(page) || !IsWindowVisible(page)) return true;
        watched++;
        if (IsWindowEnabled(helpButton)) helpEnabled++;
        return false;
    }, 30000));
    EXPECT_GT(watched, 0);
    EXPECT_EQ(helpEnabled, 0);
    EXPECT_FALSE(IsWindow(stop));
    ASSERT_TRUE(WaitForLogLine("0 locked files:"));
    auto log = Log();
    auto during = Between(log, "->Stop-VL dialog", "->Checking-locked-files dialog");
    EXPECT_TRUE(Contains(during, "  User: Next")) << LogText();
    EXPECT_FALSE(Contains(during, "->Stop-VL dialog"));
    EXPECT_TRUE(InOrder(log, {"->VL-running dialog", "  User: Next", "->Stop-VL dialog", "Nothing running",
                              "Stanza 'Varolink' not found", "->Checking-locked-files dialog"}))
        << LogText();
    EXPECT_EQ(FixtureServiceState("NorvikVarolink"), (DWORD)SERVICE_STOPPED);
}

TEST_F(StopRun, ServicesStillActiveAfterTheStopCancelUnlessTheAnswerIsContinue)
{
    // The services run from a folder of their own and their control program
    // fails: nothing stops them.
    d.Runs = {{"avlxssvn.exe", ""}};
    d.Standins = {"AVLSVC.EXE"};
    Install();
    ASSERT_TRUE(FixtureStartServices(d, false));
    SetStandinValue("VL_STANDIN_EXIT_AVLSVC", "3");
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    HWND page = run.Window(kVlRunningCaption);
    ASSERT_TRUE(page);
    WizardProcess::Click(page, IDC_NEXT);
    HWND box = run.Window(kMessageCaption, 30000);
    ASSERT_TRUE(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run.ClickAway(kExitCaption, IDC_EXIT));
    EXPECT_EQ(run.ExitCode(), 0);
    auto log = Log();
    EXPECT_TRUE(InOrder(log, {"->Stop-VL dialog", "***Unable to load DLL; code 126.",
                              "Process ended; exit code 0x00000003", "***Unable to load DLL; code 126.",
                              "Waiting for QMs to stop", "Nothing running"}))
        << LogText();
    std::vector<std::string> after = Between(log, "Nothing running", "Uninstallation ended.");
    ASSERT_GE(after.size(), 5u) << LogText();
    EXPECT_EQ(after[1].rfind("MessageBox: 'The Varolink services are still running.", 0), 0u) << after[1];
    EXPECT_TRUE(InOrder(after, {"  User: Cancel", "->Exit dialog", "  User: Exit"})) << LogText();
    EXPECT_FALSE(Contains(log, "->Checking-locked-files dialog"));

    // The response file's CONTINUE goes on regardless.
    ASSERT_TRUE(FixtureStartProgram(d, "avlxssvn.exe"));
    DeleteFileA(LogPath().c_str());
    log = RunSilent(kRemoveContinue);
    EXPECT_TRUE(InOrder(log, {"->Stop-VL dialog", "Nothing running", "->Checking-locked-files dialog"})) << LogText();
    // No question up to the removal (the completion page may report errors).
    for (const std::string &line : Between(log, "->Main dialog", "->Deleting-all dialog"))
        EXPECT_EQ(line.rfind("MessageBox:", 0), std::string::npos) << line;
    EXPECT_EQ(FixtureServiceState("NorvikVarolink"), (DWORD)SERVICE_RUNNING);
}

// Slow: queue managers that never end hold the stop for the full minute the
// limit allows with none counted running.
TEST_F(StopRun, QueueManagerWaitRunsOut_Slow)
{
    d.Services = true;
    d.Standins = {"AVLISUPN.DLL"};
    d.Runs = {{"avlzxma0.exe", ""}};
    Install();
    DWORD start = GetTickCount();
    auto log = RunSilent(kRemoveContinue);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_TRUE(InOrder(log, {"Waiting for QMs to stop", "Wait for QM's to end timed out", "Ending all listeners",
                              "Waiting for all QM activity to stop", "Nothing running",
                              "->Checking-locked-files dialog"}))
        << LogText();
    EXPECT_FALSE(Contains(log, "No QMs running"));
    EXPECT_GE(elapsed, 60000u);
    EXPECT_LT(elapsed, 120000u);
    // The controller still runs: it is no straggler.
    EXPECT_EQ(FixtureProcessCount(Bin() + "\\avlzxma0.exe"), 1);
}

}  // namespace
