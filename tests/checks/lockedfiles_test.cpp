// The locked-file check through avliunin.exe: the lists of the selected
// components tested line by line, the performance monitor's files, the
// Locked-files-found page and its Next and Back, and a long check that keeps
// its page answering.
#include "checkrun.h"
#include "wizard/nlsids.h"
#include <commctrl.h>

namespace {

struct LockedRun : CheckRun {
    void SetUp() override
    {
        CheckRun::SetUp();
        d.Components = {{"Development Toolkit", ""}, {"Internet Gateway", ""}};
    }
    std::string Held() { return Bin() + "\\held.dll"; }
    std::string Shared() { return Bin() + "\\shared.dll"; }
    // The toolkit and gateway lists share one file; the toolkit's names
    // another behind a placeholder word. Both files are held open.
    void InstallHeldLists()
    {
        Install();
        WriteList("inetgway", "\\bin\\shared.dll\n");
        WriteList("toolkit", "; \\bin\\held.dll\n# \\bin\\shared.dll\nreadme.txt\n\\bin\\shared.dll\r\n"
                             "placeholder\\bin\\held.dll\n\\bin\\free.dll\n\\..\\outside.dll\n");
        WriteTextFile(Bin() + "\\free.dll", "x");
        ASSERT_TRUE(FixtureHoldFile(d, Held(), "VlStandin.hold.held"));
        ASSERT_TRUE(FixtureHoldFile(d, Shared(), "VlStandin.hold.shared"));
    }
    // The Checking-locked-files page once it has posted its first step.
    HWND CheckingPage() { return run.Window(kCheckingCaption); }
};

TEST_F(LockedRun, SilentCheckListsEachLockedFileOnceAndGoesOn)
{
    InstallHeldLists();
    auto log = RunSilent("[Varolink]\nVarolink=REMOVE\nLockedFiles=CANCEL\n");
    EXPECT_TRUE(InOrder(log, {"->Checking-locked-files dialog", "Next",
                              "***Listed path outside '" + FixtureProgramFolder(d) + "' not checked: '\\..\\outside.dll'",
                              "2 locked files:", "  '" + Held() + "'", "  '" + Shared() + "'"}))
        << LogText();
    // Silent runs do not stop at locked files (the answer is not asked here).
    EXPECT_FALSE(Contains(log, "->Locked-files-found dialog"));
    EXPECT_FALSE(Contains(log, "***Locked files found; LockedFiles=CANCEL."));
    EXPECT_FALSE(Contains(log, "->Exit dialog"));
}

TEST_F(LockedRun, WithoutListsTheCheckFindsNothing)
{
    Install();
    auto log = RunSilent("[Varolink]\nVarolink=REMOVE\n");
    std::vector<std::string> check = Between(log, "->Checking-locked-files dialog", "");
    ASSERT_GE(check.size(), 2u) << LogText();
    EXPECT_EQ(check[0], "Next");
    EXPECT_EQ(check[1], "0 locked files:");
}

TEST_F(LockedRun, PerformanceMonitorFilesAloneDoNotStopTheRemoval)
{
    Install();
    WriteList("toolkit", "\\bin\\avlmperf.dll\n\\bin\\avlxcs2.dll\n");
    ASSERT_TRUE(FixtureHoldFile(d, Bin() + "\\avlmperf.dll", "VlStandin.hold.perf"));
    ASSERT_TRUE(FixtureHoldFile(d, Bin() + "\\avlxcs2.dll", "VlStandin.hold.common"));
    auto log = RunSilent("[Varolink]\nVarolink=REMOVE\nLockedFiles=CONTINUE\n");
    EXPECT_TRUE(InOrder(log, {"->Confirm-delete-all dialog", "  User: Next", "Performance monitor DLL is locked",
                              "->Performance-monitor-running dialog", "***Locked files found; LockedFiles=CONTINUE.",
                              "  User: Next", "->Checking-locked-files dialog", "2 locked files:",
                              "  '" + Bin() + "\\avlxcs2.dll'", "  '" + Bin() + "\\avlmperf.dll'"}))
        << LogText();
    EXPECT_FALSE(Contains(log, "->VL-running dialog"));

    // Clicked: Next on the monitor's page, and the check goes on to the
    // removal without the Locked-files-found page. The silent run removed the
    // toolkit's record and list (its held files stay): both are put back.
    DeleteFileA(LogPath().c_str());
    WriteList("toolkit", "\\bin\\avlmperf.dll\n\\bin\\avlxcs2.dll\n");
    HKEY components;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvik\\Varolink\\CurrentVersion\\Components", 0, NULL, 0,
                              KEY_SET_VALUE, NULL, &components, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(components, "Development Toolkit", 0, REG_SZ, (const BYTE *)"", 1);
    RegCloseKey(components);
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kPerfCaption, IDC_NEXT));
    // The page after the check is the removal's, not Locked-files-found.
    ASSERT_TRUE(WaitForLogLine("->Deleting-all dialog", 60000)) << LogText();
    EXPECT_TRUE(InOrder(Log(), {"2 locked files:", "  '" + Bin() + "\\avlmperf.dll'", "->Deleting-all dialog"}))
        << LogText();
    EXPECT_FALSE(Contains(Log(), "->Locked-files-found dialog")) << LogText();
}

TEST_F(LockedRun, FoundPageListsNextChecksAgainBackRetraces)
{
    InstallHeldLists();
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    HWND found = run.Window(kLockedCaption);
    ASSERT_TRUE(found) << LogText();
    HWND list = GetDlgItem(found, IDC_LOCKED_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
    std::vector<std::string> items;
    for (int i = 0; i < 2; i++) {
        // Across processes the list box answers in wide characters.
        wchar_t wide[300] = L"";
        char text[300] = "";
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
        items.push_back(text);
    }
    EXPECT_EQ(items, (std::vector<std::string>{Held(), Shared()}));
    EXPECT_GT(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), 0);

    // Next checks again: one file is free now.
    FixtureSignalStop("hold.shared");
    ASSERT_TRUE(WaitFor([&] { return FixtureProcessCount(d.Root + "\\holders\\holdopen.exe") == 1; }));
    WizardProcess::Click(found, IDC_NEXT);
    ASSERT_TRUE(WaitForLogLine("1 locked files:"));
    found = run.Window(kLockedCaption);
    ASSERT_TRUE(found);
    ASSERT_EQ(SendDlgItemMessageA(found, IDC_LOCKED_LIST, LB_GETCOUNT, 0, 0), 1);

    // Back with the product running leads to the running page, and Back
    // from there to the confirmation.
    ASSERT_TRUE(FixtureStartProgram(d, "avlxssvn.exe"));
    ASSERT_TRUE(run.ClickAway(kLockedCaption, IDC_BACK));
    ASSERT_TRUE(run.ClickAway(kVlRunningCaption, IDC_BACK));
    FixtureStopRunning(d);
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    ASSERT_TRUE(WaitForLogLine("0 locked files:"));
    EXPECT_TRUE(InOrder(Log(), {"->Checking-locked-files dialog", "2 locked files:", "->Locked-files-found dialog",
                                "  User: Next", "->Checking-locked-files dialog", "1 locked files:",
                                "  '" + Held() + "'", "->Locked-files-found dialog", "  User: Back",
                                "->VL-running dialog", "  User: Back", "->Confirm-delete-all dialog", "  User: Next",
                                "->Checking-locked-files dialog", "0 locked files:"}))
        << LogText();
}

// Release 5.0 recorded the Windows NT client under its display name, not
// under the key the removal procedures test: removing the server then takes
// the client's shared lists too, so a held client library is shown.
TEST_F(LockedRun, FiveZeroServerRemovalShowsAHeldClientLibrary)
{
    d.Release = "5.0";
    d.Components = {{"Server", ""}, {"Windows NT Client", ""}};
    Install();
    WriteList("server", "\\bin\\avlmqm.dll\n");
    WriteList("clint", "\\bin\\avlcli.dll\n");
    std::string client = Bin() + "\\avlcli.dll";
    ASSERT_TRUE(FixtureHoldFile(d, client, "VlStandin.hold.client"));
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_COMPONENTS));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    HWND select = run.Window(kSelectCaption);
    ASSERT_TRUE(select);
    ASSERT_TRUE(WizardProcess::SelectListItem(select, IDC_COMPONENT_LIST, "Server"));
    ASSERT_TRUE(run.ClickAway(kSelectCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmComponentsCaption, IDC_NEXT));
    HWND found = run.Window(kLockedCaption);
    ASSERT_TRUE(found) << LogText();
    HWND list = GetDlgItem(found, IDC_LOCKED_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    wchar_t wide[300] = L"";
    char text[300] = "";
    SendMessageW(list, LB_GETTEXT, 0, (LPARAM)wide);
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, NULL, NULL);
    EXPECT_EQ(std::string(text), client);
    EXPECT_TRUE(InOrder(Log(), {"Installed Varolink version is 5.0", "->Checking-locked-files dialog",
                                "1 locked files:", "  '" + client + "'", "->Locked-files-found dialog"}))
        << LogText();
}

TEST_F(LockedRun, LongListKeepsThePageAnsweringAndCancelStopsIt)
{
    Install();
    // Long enough that Cancel comes while the check still runs.
    const int kLines = 40000;
    std::string lines;
    for (int i = 0; i < kLines - 1; i++) lines += "\\bin\\file" + std::to_string(i) + ".dll\n";
    WriteList("toolkit", lines + "\\bin\\held.dll\n");
    ASSERT_TRUE(StartClicked());
    ASSERT_TRUE(run.Choose(kMainCaption, IDC_OPTION_REMOVE_DATA));
    ASSERT_TRUE(run.ClickAway(kMainCaption, IDC_NEXT));
    ASSERT_TRUE(run.ClickAway(kConfirmDataCaption, IDC_NEXT));
    HWND page = CheckingPage();
    ASSERT_TRUE(page);
    HWND bar = GetDlgItem(page, IDC_PROGRESS);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), kLines);
    // The page answers while the bar moves on, until a twentieth is done.
    int last = 0, answered = 0, samples = 0;
    ASSERT_TRUE(WaitFor([&] {
        DWORD_PTR result;
        samples++;
        if (SendMessageTimeoutA(page, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &result)) answered++;
        int position = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
        EXPECT_GE(position, last);
        last = position;
        return samples >= 5 && last >= kLines / 20;
    }, 60000));
    EXPECT_EQ(answered, samples);
    ASSERT_LT(last, kLines) << "the check ended before Cancel";
    PostMessageA(page, RegisterWindowMessageA("VarolinkUninstallCancel"), 0, 0);
    HWND exitDialog = run.Window(kExitCaption);
    ASSERT_TRUE(exitDialog);
    // The check waits while the question is open.
    int paused = (int)SendMessageA(bar, PBM_GETPOS, 0, 0);
    Sleep(300);
    EXPECT_EQ((int)SendMessageA(bar, PBM_GETPOS, 0, 0), paused);
    WizardProcess::Click(exitDialog, IDC_EXIT);
    EXPECT_EQ(run.ExitCode(), 0);
    auto log = Log();
    EXPECT_TRUE(InOrder(log, {"->Checking-locked-files dialog", "Next", "  User: Cancel", "->Exit dialog",
                              "  User: Exit", "Uninstallation ended."}))
        << LogText();
    EXPECT_EQ(LogText().find("locked files:"), std::string::npos);

    // Silent, the whole list is read: its last line names the held file.
    ASSERT_TRUE(FixtureHoldFile(d, Held(), "VlStandin.hold.held"));
    DWORD start = GetTickCount();
    log = RunSilent("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_TRUE(InOrder(log, {"->Checking-locked-files dialog", "Next", "1 locked files:", "  '" + Held() + "'"}))
        << LogText();
    EXPECT_LT(GetTickCount() - start, 120000u);
}

}  // namespace
