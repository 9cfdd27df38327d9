// Interactive runs of avliunin.exe clicked through its real dialogs from the
// Main page to the completion page, for each of the three choices; the
// deleting page shows the worker's progress while the program keeps pumping.
#include "engineutil.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include "wizarddriver.h"
#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

const std::string kComponents = "Software\\Norvik\\Varolink\\CurrentVersion\\Components";

struct ClickedRemoval : ::testing::Test {
    FixtureDescription d;
    WizardProcess run;
    std::string P, D, logFolder, logPath, record;

    void SetUp() override
    {
        d.Root = "C:\\vlengclick";
        d.InstallerUninstall = true;
        d.Components = {{"Server", ""}, {"Development Toolkit", ""}, {"Local Clients\\Windows NT Client", ""}};
        for (int i = 0; i < 150; i++) d.ListLines.push_back({"toolkit", "\\tools\\c\\f" + std::to_string(i) + ".h"});
        d.ListLines.push_back({"clint", "\\bin\\avlcli.dll"});
        P = FixtureProgramFolder(d);
        D = FixtureWorkFolder(d);
        logFolder = MakeUniqueTempFolder("vlclick");
        logPath = logFolder + "\\run.log";
        record = logFolder + "\\isuninst.txt";
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", record.c_str());
        ASSERT_TRUE(FixtureInstall(d));
    }
    void TearDown() override
    {
        run.End();
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
        FixtureRemove(d);
        DeleteFolderTree(logFolder);
    }
    void Start() { ASSERT_TRUE(run.Start("-G\"" + logPath + "\"")); }
    // The pages of a removal may take a while to come under load: 30 s for each.
    HWND Page(const char *caption, DWORD timeoutMs = 30000) { return run.Window(caption, timeoutMs); }
    void Click(HWND page, int id) { WizardProcess::Click(page, id); }
    void ClickAway(const char *caption, int id)
    {
        ASSERT_TRUE(run.ClickAway(caption, id, 30000)) << caption << "\n" << ReadTextFile(logPath);
    }
    void Choose(const char *caption, int option) { ASSERT_TRUE(run.Choose(caption, option, 30000)) << caption; }
    // Watches the deleting page until it goes: the highest bar position and
    // the texts its status lines showed.
    void WatchDeleting(const char *caption, int *highest, std::string *title)
    {
        HWND page = Page(caption);
        ASSERT_TRUE(page) << caption << "\n" << ReadTextFile(logPath);
        *highest = 0;
        WaitFor([&] {
            if (!IsWindow(page) || !IsWindowVisible(page)) return true;
            int position = (int)SendDlgItemMessageA(page, IDC_PROGRESS, PBM_GETPOS, 0, 0);
            if (position > *highest) *highest = position;
            char text[600] = "";
            GetDlgItemTextA(page, IDC_STATUS_1, text, sizeof text);
            if (text[0]) *title = text;
            return false;
        }, 120000);
    }
    // Wine has no "vlm" group, so securing the product key fails at start-up
    // and every completion page reports errors with message 253 first.
    void AnswerErrorsMessage()
    {
        HWND box = Page(kMessageCaption);
        ASSERT_TRUE(box) << ReadTextFile(logPath);
        ASSERT_TRUE(WizardProcess::AnswerBox(box, 30000));
    }
    // Selects the list item whose text is name on the Select-components page.
    void SelectComponent(const char *name)
    {
        HWND select = Page(kSelectCaption);
        ASSERT_TRUE(select);
        ASSERT_TRUE(WizardProcess::SelectListItem(select, IDC_COMPONENT_LIST, name)) << name;
    }
    // A whole-product removal from the Main page to Finish on its completion page.
    void ClickWholeRemoval(int option, const char *confirmCaption)
    {
        Start();
        Choose(kMainCaption, option);
        ClickAway(kMainCaption, IDC_NEXT);
        ClickAway(confirmCaption, IDC_NEXT);
        int highest = 0;
        std::string title;
        WatchDeleting(kDeletingAllCaption, &highest, &title);
        AnswerErrorsMessage();
        ClickAway(kAllDoneCaption, IDC_NEXT);
    }
    int ExitCode(DWORD timeoutMs = 60000) { return run.ExitCode(timeoutMs); }
    std::vector<std::string> Log() { return LogEntries(logPath); }
};

TEST_F(ClickedRemoval, RemoveComponents)
{
    Start();
    Choose(kMainCaption, IDC_OPTION_COMPONENTS);
    ClickAway(kMainCaption, IDC_NEXT);
    SelectComponent("Development Toolkit");
    ClickAway(kSelectCaption, IDC_NEXT);
    ClickAway(kConfirmComponentsCaption, IDC_NEXT);
    int highest = 0;
    std::string title;
    WatchDeleting(kDeletingComponentsCaption, &highest, &title);
    EXPECT_GT(highest, 20);
    EXPECT_NE(title.find("Development Toolkit"), std::string::npos) << title;
    AnswerErrorsMessage();
    ClickAway(kComponentsDoneCaption, IDC_NEXT);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(Log(), {"->Deleting-component dialog", "", "Uninstalling Development Toolkit (Development Toolkit)",
                                "->Component-deletion-complete dialog", "  User: Finish", "",
                                "Uninstallation ended."}))
        << ReadTextFile(logPath);
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    EXPECT_FALSE(PathExists(P + "\\tools"));
    EXPECT_TRUE(PathExists(P + "\\bin\\avlcli.dll"));
    EXPECT_TRUE(ReadTextFile(record).empty());
}

TEST_F(ClickedRemoval, RemoveKeepingTheData)
{
    // Keeping the data is offered only when there is some.
    d.WebAdminData = true;
    ASSERT_TRUE(FixtureInstall(d));
    ClickWholeRemoval(IDC_OPTION_REMOVE, kConfirmKeepCaption);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(Log(), {"->Deleting-all dialog", "Uninstalling Local Clients\\Windows NT Client (Windows NT Client)",
                                "Uninstalling Development Toolkit (Development Toolkit)",
                                "Processing program files directory '" + P + "'", "->All-deletion-complete dialog",
                                "  User: Finish", "Starting UninstallShield silent", "Uninstallation ended."}))
        << ReadTextFile(logPath);
    // The client-side components went through their procedures; the server
    // is left to the installer's uninstall program, which was started.
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
    EXPECT_FALSE(ValueExists(kComponents, "Local Clients\\Windows NT Client"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    EXPECT_TRUE(PathExists(D + "\\vlwa\\scripts\\public\\index.html"));
    EXPECT_FALSE(WaitForHandOverRecord(record, 10000).empty());
}

TEST_F(ClickedRemoval, RemoveWithTheData)
{
    ClickWholeRemoval(IDC_OPTION_REMOVE_DATA, kConfirmDataCaption);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(Log(), {"->Deleting-all dialog", "Processing data files directory '" + D + "'",
                                "Processing program files directory '" + P + "'", "->All-deletion-complete dialog",
                                "  User: Finish", "Starting UninstallShield silent", "Uninstallation ended."}))
        << ReadTextFile(logPath);
    EXPECT_FALSE(PathExists(D)) << ReadTextFile(logPath);
    EXPECT_FALSE(WaitForHandOverRecord(record, 10000).empty());
}

TEST_F(ClickedRemoval, ExitOnTheDeletingPageEndsTheRunAndARerunFinishes)
{
    for (int i = 150; i < 1200; i++) d.ListLines.push_back({"toolkit", "\\tools\\c\\f" + std::to_string(i) + ".h"});
    ASSERT_TRUE(FixtureInstall(d));
    SetValue("Software\\Norvik\\Varolink\\CurrentVersion", "ToolkitComponent", "");
    Start();
    Choose(kMainCaption, IDC_OPTION_COMPONENTS);
    ClickAway(kMainCaption, IDC_NEXT);
    SelectComponent("Development Toolkit");
    ClickAway(kSelectCaption, IDC_NEXT);
    ClickAway(kConfirmComponentsCaption, IDC_NEXT);
    HWND deleting = Page(kDeletingComponentsCaption);
    ASSERT_TRUE(deleting);
    // Cancel while the toolkit's files go, then Exit.
    ASSERT_TRUE(WaitFor([&] { return SendDlgItemMessageA(deleting, IDC_PROGRESS, PBM_GETPOS, 0, 0) > 5; }, 30000));
    Click(deleting, IDC_CANCEL_PAGE);
    ClickAway(kExitCaption, IDC_EXIT);
    EXPECT_EQ(ExitCode(), 0);
    auto log = Log();
    EXPECT_TRUE(InOrder(log, {"->Deleting-component dialog", "  User: Cancel", "  User: Cancel", "->Exit dialog",
                              "  User: Exit", "Removal stopped: the uninstallation was ended", "",
                              "Uninstallation ended."}))
        << ReadTextFile(logPath);
    EXPECT_FALSE(Contains(log, "Finished uninstalling Development Toolkit (Development Toolkit)"));
    EXPECT_EQ(ValueText(kComponents, "Development Toolkit"), "Incomplete");
    // Stopped between two listed files: the rest of the list and the final
    // clean-up are still to do.
    EXPECT_TRUE(PathExists(P + "\\tools\\c\\f1199.h"));
    EXPECT_TRUE(ValueExists("Software\\Norvik\\Varolink\\CurrentVersion", "ToolkitComponent"));

    // A silent rerun removes the incomplete component whatever the answers say.
    std::string rsp = logFolder + "\\answers.rsp";
    WriteTextFile(rsp, "[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\nDevelopment Toolkit=KEEP\n"
                       "Local Clients\\Windows NT Client=KEEP\nLocal Clients\\Java Client=KEEP\n"
                       "Internet Gateway=KEEP\nDocumentation\\Internet Gateway=KEEP\n");
    EXPECT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\" -G\"" + logPath + "\"", 300000), 0);
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit")) << ReadTextFile(logPath);
    EXPECT_FALSE(PathExists(P + "\\tools"));
    EXPECT_FALSE(ValueExists("Software\\Norvik\\Varolink\\CurrentVersion", "ToolkitComponent"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
}

// Exit during a removal with the data, with a log of its own: the default
// log in the work folder goes as at the end of any such run, while the
// interrupted component keeps its marker.
TEST_F(ClickedRemoval, ExitDuringRemoveDataWithItsOwnLogDeletesTheDefaultLog)
{
    for (int i = 150; i < 3000; i++) d.ListLines.push_back({"toolkit", "\\tools\\c\\f" + std::to_string(i) + ".h"});
    ASSERT_TRUE(FixtureInstall(d));
    std::string defaultLog = D + "\\avlilogn.txt";
    ASSERT_TRUE(WriteTextFile(defaultLog, "00:00:00 an earlier run\n"));
    Start();
    Choose(kMainCaption, IDC_OPTION_REMOVE_DATA);
    ClickAway(kMainCaption, IDC_NEXT);
    ClickAway(kConfirmDataCaption, IDC_NEXT);
    // The clicked locked-file check reads the toolkit's long list first.
    HWND deleting = Page(kDeletingAllCaption, 180000);
    ASSERT_TRUE(deleting) << ReadTextFile(logPath);
    ASSERT_TRUE(WaitFor([&] { return Contains(Log(), "Uninstalling Development Toolkit (Development Toolkit)"); }, 60000))
        << ReadTextFile(logPath);
    Click(deleting, IDC_CANCEL_PAGE);
    ClickAway(kExitCaption, IDC_EXIT);
    EXPECT_EQ(ExitCode(), 0);
    EXPECT_TRUE(InOrder(Log(), {"->Deleting-all dialog", "  User: Exit", "Removal stopped: the uninstallation was ended",
                                "", "Uninstallation ended."}))
        << ReadTextFile(logPath);
    // Stopped inside the toolkit: the data block, which empties the work
    // folder, never began.
    EXPECT_EQ(ValueText(kComponents, "Development Toolkit"), "Incomplete");
    EXPECT_TRUE(PathExists(P + "\\tools\\c\\f2999.h"));
    EXPECT_FALSE(Contains(Log(), "Processing data files directory '" + D + "'"));
    EXPECT_FALSE(PathExists(defaultLog));
}

}  // namespace
