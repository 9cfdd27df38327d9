// Interactive runs of avliunin.exe driven through its real dialogs: the test
// finds each page by its caption and clicks its buttons, then compares the
// log with the matching silent run.
#include "fixture.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <functional>

namespace {

const char kMain[] = "Varolink Uninstall - Welcome";
const char kSelect[] = "Varolink Uninstall - Select Components";
const char kConfirmKeep[] = "Varolink Uninstall - Confirm Removal";
const char kConfirmData[] = "Varolink Uninstall - Confirm Removal of All Data";
const char kConfirmComponents[] = "Varolink Uninstall - Confirm Components";
const char kVlData[] = "Varolink Uninstall - Queue Manager Data";
const char kWebData[] = "Varolink Uninstall - Web Administration Data";
const char kExit[] = "Exit Varolink Uninstall";
const char kComponentsDone[] = "Varolink Uninstall - Components Removed";
const char kAllDone[] = "Varolink Uninstall - Varolink Removed";

bool WaitFor(const std::function<bool()> &done, DWORD timeoutMs = 10000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
    return true;
}

struct InteractiveRun : ::testing::Test {
    FixtureDescription d;
    PROCESS_INFORMATION process = {};

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
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 3);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
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
    void Start(const std::string &parameters = "")
    {
        std::string commandLine = std::string("\"") + VL_BIN_DIR "\\avliunin.exe\" " + parameters;
        STARTUPINFOA startup = {sizeof startup};
        std::vector<char> text(commandLine.begin(), commandLine.end());
        text.push_back(0);
        ASSERT_TRUE(CreateProcessA(NULL, text.data(), NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process));
    }
    // The visible page with this caption.
    HWND Page(const char *caption)
    {
        HWND page = NULL;
        WaitFor([&] {
            page = FindWindowA("#32770", caption);
            return page && IsWindowVisible(page);
        });
        return page && IsWindowVisible(page) ? page : NULL;
    }
    void Click(HWND page, int id) { PostMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0); }
    // Clicks the button and waits until the page is gone from the screen.
    void ClickAway(const char *caption, int id)
    {
        HWND page = Page(caption);
        ASSERT_TRUE(page) << caption;
        Click(page, id);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(page) || !IsWindowVisible(page); })) << caption;
    }
    void Choose(const char *caption, int option)
    {
        HWND page = Page(caption);
        ASSERT_TRUE(page) << caption;
        Click(page, option);
        ASSERT_TRUE(WaitFor([&] { return IsDlgButtonChecked(page, option) == BST_CHECKED; })) << caption;
    }
    // The removal runs to its completion page; that page first reports the
    // errors of the run (securing the product key fails under Wine, which has
    // no "vlm" group) with message 253, then Finish ends the run.
    void FinishRemoval(const char *caption)
    {
        HWND page = NULL;
        ASSERT_TRUE(WaitFor([&] {
            page = FindWindowA("#32770", caption);
            return page && IsWindowVisible(page);
        }, 120000)) << caption;
        HWND box = NULL;
        if (WaitFor([&] {
                box = FindWindowA("#32770", "Norvik Varolink");
                return box && IsWindowVisible(box);
            }, 3000)) {
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        }
        Click(page, IDC_NEXT);
    }
    int ExitCode(DWORD timeoutMs = 20000)
    {
        if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) return -2;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return (int)code;
    }
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
    Choose(kMain, IDC_OPTION_COMPONENTS);
    ClickAway(kMain, IDC_NEXT);
    ClickAway(kSelect, IDC_BACK);                // Select -> Main
    ClickAway(kMain, IDC_NEXT);
    HWND select = Page(kSelect);
    ASSERT_TRUE(select);
    // The list: Server, Development Toolkit, Web Administration Server.
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 2);
    ClickAway(kSelect, IDC_NEXT);
    ClickAway(kConfirmComponents, IDC_BACK);     // Confirm -> Select (a new selection)
    select = Page(kSelect);
    ASSERT_TRUE(select);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 0);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 2);
    ClickAway(kSelect, IDC_NEXT);
    ClickAway(kConfirmComponents, IDC_NEXT);
    ClickAway(kVlData, IDC_BACK);                // VL data -> Confirm
    ClickAway(kConfirmComponents, IDC_NEXT);
    Choose(kVlData, IDC_OPTION_DELETE_DATA);
    ClickAway(kVlData, IDC_NEXT);
    ClickAway(kWebData, IDC_BACK);               // Web data -> VL data
    ClickAway(kVlData, IDC_NEXT);
    ClickAway(kWebData, IDC_NEXT);
    FinishRemoval(kComponentsDone);
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
    Choose(kMain, IDC_OPTION_REMOVE_DATA);
    ClickAway(kMain, IDC_NEXT);
    ClickAway(kConfirmData, IDC_BACK);
    Choose(kMain, IDC_OPTION_REMOVE);
    ClickAway(kMain, IDC_NEXT);
    HWND confirm = Page(kConfirmKeep);
    ASSERT_TRUE(confirm);
    Click(confirm, IDC_CANCEL_PAGE);
    HWND exitDialog = Page(kExit);
    ASSERT_TRUE(exitDialog);
    Click(exitDialog, IDC_RESUME);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(exitDialog); }));
    EXPECT_TRUE(IsWindowVisible(confirm));
    PostMessageA(confirm, WM_CLOSE, 0, 0);
    exitDialog = Page(kExit);
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
    Choose(kMain, IDC_OPTION_REMOVE);
    ClickAway(kMain, IDC_NEXT);
    ClickAway(kConfirmKeep, IDC_NEXT);
    FinishRemoval(kAllDone);
    ASSERT_EQ(ExitCode(), 0);
    std::vector<std::string> clicked = Dialogue(LogEntries(LogPath()));
    EXPECT_EQ(clicked, SilentDialogue("[Varolink]\nVarolink=REMOVE\n"));

    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = {};
    InstallWithData();
    Start();
    Choose(kMain, IDC_OPTION_COMPONENTS);
    ClickAway(kMain, IDC_NEXT);
    HWND select = Page(kSelect);
    ASSERT_TRUE(select);
    SendDlgItemMessageA(select, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, 1);  // Development Toolkit
    ClickAway(kSelect, IDC_NEXT);
    ClickAway(kConfirmComponents, IDC_NEXT);
    FinishRemoval(kComponentsDone);
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
    HWND main = Page(kMain);
    ASSERT_TRUE(main);
    HWND button = GetDlgItem(main, IDC_HELP_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(button) != 0; }));
    Click(main, IDC_HELP_BUTTON);
    ASSERT_TRUE(WaitFor([&] { return Contains(LogEntries(LogPath()), "Help: '" + help + "' 'iuninsta.htm'"); }))
        << ReadTextFile(LogPath());
    Click(main, IDC_CANCEL_PAGE);
    HWND exitDialog = Page(kExit);
    ASSERT_TRUE(exitDialog);
    Click(exitDialog, IDC_EXIT);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(LogEntries(LogPath()), {"Help path is '" + help + "'", "->Main dialog", "  User: Help",
                                                "Help: '" + help + "' 'iuninsta.htm'", "  User: Cancel",
                                                "->Exit dialog", "  User: Exit"}));
}

}  // namespace
