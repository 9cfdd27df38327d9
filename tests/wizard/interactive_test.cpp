// Interactive runs of avliunin.exe driven through its real dialogs: the test
// finds each page by its caption and clicks its buttons, then compares the
// log with the matching silent run.
#include "fixture.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include "wizarddriver.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct InteractiveRun : ::testing::Test {
    FixtureDescription d;
    WizardProcess run;

    void SetUp() override
    {
        d.Root = "C:\\vlwizclick";
        d.Components = {{"Server", ""}, {"Web Administration Server", ""}, {"Development Toolkit", ""}};
        // A whole-product removal ends by starting the installer's uninstall
        // program: the stand-in, rather than a shell error box for a missing one.
        d.InstallerUninstall = true;
    }
    void TearDown() override
    {
        run.End();
        FixtureRemove(d);
    }
    void InstallWithData()
    {
        ASSERT_TRUE(FixtureInstall(d));
        std::string work = FixtureWorkFolder(d);
        MakeFolders(work + "\\vlwa\\scripts\\public");
        WriteTextFile(work + "\\vlwa\\scripts\\public\\page.js", "x");
        WriteTextFile(work + "\\VLS.INI", "QueueManager:\n  Name=QM1\n  Directory=QM1\n");
    }
    std::string LogPath() { return FixtureWorkFolder(d) + "\\avlilogn.txt"; }
    void Start(const std::string &parameters = "") { ASSERT_TRUE(run.Start(parameters)); }
    // The visible page with this caption.
    HWND Page(const char *caption) { return run.Window(caption); }
    void Click(HWND page, int id) { WizardProcess::Click(page, id); }
    // Clicks the button and waits until the page is gone from the screen.
    void ClickAway(const char *caption, int id) { ASSERT_TRUE(run.ClickAway(caption, id)) << caption; }
    void Choose(const char *caption, int option) { ASSERT_TRUE(run.Choose(caption, option)) << caption; }
    // The removal runs to its completion page; that page first reports the
    // errors of the run (securing the product key fails under Wine, which has
    // no "vlm" group) with message 253, then Finish ends the run.
    void FinishRemoval(const char *caption)
    {
        HWND page = run.Window(caption, 120000);
        ASSERT_TRUE(page) << caption;
        if (HWND box = run.Window(kMessageCaption, 3000)) ASSERT_TRUE(WizardProcess::AnswerBox(box));
        Click(page, IDC_NEXT);
    }
    int ExitCode(DWORD timeoutMs = 20000) { return run.ExitCode(timeoutMs); }
    // The page, user and choice lines of a log: what the two modes must share.
    static std::vector<std::string> Dialogue(const std::vector<std::string> &log)
    {
        std::vector<std::string> out;
        for (const std::string &line : log)
            if (line.rfind("->", 0) == 0 || line.rfind("  User: ", 0) == 0 || line == "  REMOVE" ||
                line == "  REMOVEDATA" || line == "  REMOVECOMPONENTS" || line.find(" data") != std::string::npos)
                out.push_back(line);
        return out;
    }
    // The same choices in a silent run on the same installation, laid down again.
    std::vector<std::string> SilentDialogue(const std::string &rsp)
    {
        InstallWithData();
        DeleteFileA(LogPath().c_str());
        std::string path = d.Root + "\\answers.rsp";
        WriteTextFile(path, rsp);
        EXPECT_EQ(RunUninstallerWith("-S -F1\"" + path + "\""), 0);
        return Dialogue(LogEntries(LogPath()));
    }
};

TEST_F(InteractiveRun, EveryBackAndNextOfTheComponentPages)
{
    InstallWithData();
    Start();
    Choose(kMainCaption, IDC_OPTION_COMPONENTS);
    ClickAway(kMainCaption, IDC_NEXT);
    ClickAway(kSelectCaption, IDC_BACK);                // Select -> Main
    ClickAway(kMainCaption, IDC_NEXT);
    HWND select = Page(kSelectCaption);
    ASSERT_TRUE(select);
    // The list: Server, Development Toolkit, Web Administration Server.
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 2);
    ClickAway(kSelectCaption, IDC_NEXT);
    ClickAway(kConfirmComponentsCaption, IDC_BACK);     // Confirm -> Select (a new selection)
    select = Page(kSelectCaption);
    ASSERT_TRUE(select);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 2);
    ClickAway(kSelectCaption, IDC_NEXT);
    ClickAway(kConfirmComponentsCaption, IDC_NEXT);
    ClickAway(kVlDataCaption, IDC_BACK);                // VL data -> Confirm
    ClickAway(kConfirmComponentsCaption, IDC_NEXT);
    Choose(kVlDataCaption, IDC_OPTION_DELETE_DATA);
    ClickAway(kVlDataCaption, IDC_NEXT);
    ClickAway(kWebDataCaption, IDC_BACK);               // Web data -> VL data
    ClickAway(kVlDataCaption, IDC_NEXT);
    ClickAway(kWebDataCaption, IDC_NEXT);
    FinishRemoval(kComponentsDoneCaption);
    EXPECT_EQ(ExitCode(), 0);
    std::vector<std::string> log = LogEntries(LogPath());
    EXPECT_TRUE(InOrder(log, {"Interactive uninstallation", "->Main dialog", "  User: Next", "  REMOVECOMPONENTS",
                              "->Select-components dialog", "  User: Back", "->Main dialog", "  User: Next",
                              "->Select-components dialog", "  User: Next", "->Confirm-components-delete dialog",
                              "  User: Back", "->Select-components dialog", "  User: Next",
                              "->Confirm-components-delete dialog", "  User: Next", "->Ask-delete-VL-data dialog",
                              "  User: Back", "->Confirm-components-delete dialog", "  User: Next",
                              "->Ask-delete-VL-data dialog", "  User: Next", "Deleting QM data",
                              "->Ask-delete-Web-Administration-data dialog", "  User: Back",
                              "->Ask-delete-VL-data dialog", "  User: Next", "Deleting QM data",
                              "->Ask-delete-Web-Administration-data dialog", "  User: Next",
                              "Keeping Web Administration data", "Uninstallation ended."}))
        << ReadTextFile(LogPath());
}

TEST_F(InteractiveRun, ConfirmationBackAndCancelWithResumeThenExit)
{
    InstallWithData();
    Start();
    Choose(kMainCaption, IDC_OPTION_REMOVE_DATA);
    ClickAway(kMainCaption, IDC_NEXT);
    ClickAway(kConfirmDataCaption, IDC_BACK);
    Choose(kMainCaption, IDC_OPTION_REMOVE);
    ClickAway(kMainCaption, IDC_NEXT);
    HWND confirm = Page(kConfirmKeepCaption);
    ASSERT_TRUE(confirm);
    Click(confirm, IDC_CANCEL_PAGE);
    HWND exitDialog = Page(kExitCaption);
    ASSERT_TRUE(exitDialog);
    Click(exitDialog, IDC_RESUME);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(exitDialog); }));
    EXPECT_TRUE(IsWindowVisible(confirm));
    PostMessageA(confirm, WM_CLOSE, 0, 0);
    exitDialog = Page(kExitCaption);
    ASSERT_TRUE(exitDialog);
    Click(exitDialog, IDC_EXIT);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(LogEntries(LogPath()),
                        {"->Main dialog", "  User: Next", "  REMOVEDATA", "->Confirm-delete-all dialog", "  User: Back",
                         "->Main dialog", "  User: Next", "  REMOVE", "->Confirm-delete-all dialog", "  User: Cancel",
                         "->Exit dialog", "  User: Resume", "  User: Close", "->Exit dialog", "  User: Exit",
                         "Uninstallation ended."}))
        << ReadTextFile(LogPath());
}

TEST_F(InteractiveRun, ClickingGivesTheSameDialogueAsTheSilentRun)
{
    InstallWithData();
    Start();
    Choose(kMainCaption, IDC_OPTION_REMOVE);
    ClickAway(kMainCaption, IDC_NEXT);
    ClickAway(kConfirmKeepCaption, IDC_NEXT);
    FinishRemoval(kAllDoneCaption);
    ASSERT_EQ(ExitCode(), 0);
    std::vector<std::string> clicked = Dialogue(LogEntries(LogPath()));
    EXPECT_EQ(clicked, SilentDialogue("[Varolink]\nVarolink=REMOVE\n"));

    run.End();
    InstallWithData();
    Start();
    Choose(kMainCaption, IDC_OPTION_COMPONENTS);
    ClickAway(kMainCaption, IDC_NEXT);
    HWND select = Page(kSelectCaption);
    ASSERT_TRUE(select);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 1);  // Development Toolkit
    ClickAway(kSelectCaption, IDC_NEXT);
    ClickAway(kConfirmComponentsCaption, IDC_NEXT);
    FinishRemoval(kComponentsDoneCaption);
    ASSERT_EQ(ExitCode(), 0);
    clicked = Dialogue(LogEntries(LogPath()));
    EXPECT_EQ(clicked, SilentDialogue("[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\n"
                                      "Development Toolkit=REMOVE\nLocal Clients\\Windows NT Client=KEEP\n"
                                      "Local Clients\\Java Client=KEEP\nInternet Gateway=KEEP\n"
                                      "Documentation\\Internet Gateway=KEEP\n"));
}

}  // namespace

namespace {

TEST_F(InteractiveRun, HelpButtonOpensTheInstalledHelpFile)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string help = FixtureProgramFolder(d) + "\\bin\\avlhlpaw.chm";
    MakeFolders(FixtureProgramFolder(d) + "\\bin");
    if (!CopyFileA(VL_BIN_DIR "\\avlhlpaw.chm", help.c_str(), FALSE)) WriteTextFile(help, "help");
    Start();
    HWND main = Page(kMainCaption);
    ASSERT_TRUE(main);
    HWND button = GetDlgItem(main, IDC_HELP_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(button) != 0; }));
    Click(main, IDC_HELP_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return Contains(LogEntries(LogPath()), "Help: '" + help + "' 'iuninsta.htm'"); }))
        << ReadTextFile(LogPath());
    Click(main, IDC_CANCEL_PAGE);
    HWND exitDialog = Page(kExitCaption);
    ASSERT_TRUE(exitDialog);
    Click(exitDialog, IDC_EXIT);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(LogEntries(LogPath()), {"Help path is '" + help + "'", "->Main dialog", "  User: Help",
                                                "Help: '" + help + "' 'iuninsta.htm'", "  User: Cancel",
                                                "->Exit dialog", "  User: Exit"}));
}

}  // namespace
