// The option and component pages driven through their real dialogs inside
// the test process: enabling and checking rules, run-state choices, the
// dependency rules, Cancel/Resume and Back.
#include "pageharness.h"
#include "core/runstate.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include <gtest/gtest.h>

namespace {

struct InteractivePages : ::testing::Test {
    PageHarness h;
    void SetUp() override { h.Open(false, "C:\\vlwizpages"); }
    void TearDown() override { h.Close(); }
    void Install(std::initializer_list<int> components)
    {
        for (int c : components) gComponents[c].Installed = TRUE;
    }
    bool Checked(int id) { return IsDlgButtonChecked(h.Page, id) == BST_CHECKED; }
    bool Enabled(int id) { return IsWindowEnabled(GetDlgItem(h.Page, id)) != 0; }
    std::vector<std::string> ListItems()
    {
        std::vector<std::string> items;
        HWND list = GetDlgItem(h.Page, IDC_COMPONENT_LIST);
        int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; i++) {
            char text[600];
            SendMessageA(list, LB_GETTEXT, i, (LPARAM)text);
            items.push_back(text);
        }
        return items;
    }
    bool ItemSelected(int item)
    {
        return SendDlgItemMessageA(h.Page, IDC_COMPONENT_LIST, LB_GETSEL, item, 0) > 0;
    }
    // Deselects an item the way a click does: the list notifies its page.
    void UserDeselects(int item)
    {
        HWND list = GetDlgItem(h.Page, IDC_COMPONENT_LIST);
        SendMessageA(list, LB_SETSEL, FALSE, item);
        SendMessageA(h.Page, WM_COMMAND, MAKEWPARAM(IDC_COMPONENT_LIST, LBN_SELCHANGE), (LPARAM)list);
    }
    void UserSelects(int item)
    {
        SendDlgItemMessageA(h.Page, IDC_COMPONENT_LIST, LB_SETSEL, TRUE, item);
    }
    PageEnd NextAndWait()
    {
        h.Click(IDC_NEXT);
        EXPECT_TRUE(h.WaitForEnd());
        return h.Ends.empty() ? PageEnd{0, 0} : h.Ends.back();
    }
};

TEST_F(InteractivePages, MainWithNothingInstalledAndNoDataOffersOnlyTheFullRemoval)
{
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_TRUE(IsWindowVisible(h.Page));
    EXPECT_FALSE(Enabled(IDC_OPTION_COMPONENTS));
    EXPECT_FALSE(Enabled(IDC_OPTION_REMOVE));
    EXPECT_TRUE(Enabled(IDC_OPTION_REMOVE_DATA));
    EXPECT_TRUE(Checked(IDC_OPTION_REMOVE_DATA));
    PageEnd end = NextAndWait();
    EXPECT_EQ(end.Choice, (WPARAM)IDC_OPTION_REMOVE_DATA);
    EXPECT_EQ(end.How, 1);
    EXPECT_TRUE(gRun.RemoveAllWithData && gRun.DeleteQueueManagerData && gRun.DeleteWebAdminData &&
                gRun.RemoveWholeProduct);
    EXPECT_FALSE(gRun.RemoveAllKeepData || gRun.RemoveSelected);
    EXPECT_TRUE(InOrder(h.Log(), {"->Main dialog", "Video subsystem supports 256 colors", "  User: Next",
                                  "  REMOVEDATA"}));
    EXPECT_EQ(gRun.DisplayColours, 256);
}

TEST_F(InteractivePages, MainWithNothingInstalledButQueueManagersChecksTheKeepOption)
{
    gRun.QueueManagersFound = 1;
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_FALSE(Enabled(IDC_OPTION_COMPONENTS));
    EXPECT_TRUE(Enabled(IDC_OPTION_REMOVE));
    EXPECT_TRUE(Checked(IDC_OPTION_REMOVE));
    PageEnd end = NextAndWait();
    EXPECT_EQ(end.Choice, (WPARAM)IDC_OPTION_REMOVE);
    EXPECT_TRUE(gRun.RemoveAllKeepData && gRun.RemoveWholeProduct);
    EXPECT_FALSE(gRun.DeleteQueueManagerData || gRun.DeleteWebAdminData || gRun.RemoveSelected);
    EXPECT_TRUE(Contains(h.Log(), "  REMOVE"));
}

TEST_F(InteractivePages, MainOpensOnComponentsAndKeepsAnEarlierChoice)
{
    Install({COMP_SERVER});
    gComponents[COMP_TOOLKIT].Selected = TRUE;  // an earlier visit's selection
    gRun.WebAdminDataExists = TRUE;
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_TRUE(Checked(IDC_OPTION_COMPONENTS));
    EXPECT_FALSE(gComponents[COMP_TOOLKIT].Selected);
    PageEnd end = NextAndWait();
    EXPECT_EQ(end.Choice, (WPARAM)IDC_OPTION_COMPONENTS);
    EXPECT_TRUE(gRun.RemoveSelected);
    EXPECT_FALSE(gRun.RemoveWholeProduct);
    h.Destroy();
    // Back on Main later: the kept-data choice made since is preset.
    gRun.RemoveSelected = FALSE;
    gRun.RemoveAllKeepData = TRUE;
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_TRUE(Checked(IDC_OPTION_REMOVE));
}

TEST_F(InteractivePages, HelpOnMainNeedsHtmlHelpAndInternetExplorer)
{
    lstrcpyA(gRun.HelpFilePath, "C:\\help.chm");
    gRun.HtmlHelpMissing = TRUE;
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h.Page, IDC_HELP_BUTTON)));
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h.Page, IDC_HELP_BUTTON)));
    gRun.HtmlHelpMissing = FALSE;
    ASSERT_TRUE(h.Create(IDD_MAIN));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(h.Page, IDC_HELP_BUTTON)));
    gRun.HelpFilePath[0] = 0;
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(h.Page, IDC_HELP_BUTTON)));
}

TEST_F(InteractivePages, CancelAnsweredWithResumeLeavesThePageAsItWas)
{
    Install({COMP_SERVER});
    ASSERT_TRUE(h.Create(IDD_MAIN));
    CheckRadioButton(h.Page, IDC_OPTION_COMPONENTS, IDC_OPTION_REMOVE_DATA, IDC_OPTION_REMOVE_DATA);
    h.AnswerExitWith(IDC_RESUME);
    h.Click(IDC_CANCEL_PAGE);
    ASSERT_TRUE(h.PumpUntil([&] { return Contains(h.Log(), "  User: Resume"); }));
    EXPECT_TRUE(h.ExitFocusWasOnResume());
    EXPECT_TRUE(h.Ends.empty());
    EXPECT_TRUE(IsWindowVisible(h.Page));
    EXPECT_TRUE(Checked(IDC_OPTION_REMOVE_DATA));
    EXPECT_TRUE(InOrder(h.Log(), {"->Main dialog", "  User: Cancel", "->Exit dialog", "  User: Resume"}));

    h.AnswerExitWith(IDC_EXIT);
    SendMessageA(h.Page, WM_CLOSE, 0, 0);
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Ends.back().How, 9);
    EXPECT_TRUE(InOrder(h.LogAfter("  User: Resume"), {"  User: Close", "->Exit dialog", "  User: Exit"}));
}

TEST_F(InteractivePages, BackFromEveryPageReturnsTwelve)
{
    const int pages[] = {IDD_SELECT_COMPONENTS, IDD_CONFIRM_DELETE_KEEP, IDD_CONFIRM_DELETE_DATA,
                         IDD_CONFIRM_COMPONENTS, IDD_ASK_DELETE_VL_DATA, IDD_ASK_DELETE_WEBADMIN};
    Install({COMP_SERVER});
    for (int id : pages) {
        ASSERT_TRUE(h.Create(id)) << id;
        h.Click(IDC_BACK);
        ASSERT_TRUE(h.WaitForEnd()) << id;
        EXPECT_EQ(h.Ends.back().Choice, 0u);
        EXPECT_EQ(h.Ends.back().How, 12) << id;
    }
    EXPECT_TRUE(InOrder(h.Log(), {"->Select-components dialog", "  User: Back", "->Confirm-delete-all dialog",
                                  "  User: Back", "->Confirm-delete-all dialog", "  User: Back",
                                  "->Confirm-components-delete dialog", "  User: Back",
                                  "->Ask-delete-VL-data dialog", "  User: Back",
                                  "->Ask-delete-Web-Administration-data dialog", "  User: Back"}));
}

TEST_F(InteractivePages, ConfirmDeleteAllSelectsTheInstalledClientSide)
{
    Install({COMP_SERVER, COMP_WINDOWS_NT_CLIENT, COMP_INTERNET_GATEWAY_DOCS, COMP_HTML_LIBRARY});
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_DATA));
    EXPECT_TRUE(SendDlgItemMessageA(h.Page, IDC_SIDE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0);
    EXPECT_EQ(NextAndWait().How, 1);
    EXPECT_TRUE(gComponents[COMP_WINDOWS_NT_CLIENT].Selected);
    EXPECT_TRUE(gComponents[COMP_INTERNET_GATEWAY_DOCS].Selected);
    EXPECT_FALSE(gComponents[COMP_TOOLKIT].Selected);
    EXPECT_FALSE(gComponents[COMP_SERVER].Selected);
    EXPECT_FALSE(gComponents[COMP_HTML_LIBRARY].Selected);
}

TEST_F(InteractivePages, SelectListsInstalledComponentsAndKeepsIncompleteOnesSelected)
{
    Install({COMP_TOOLKIT, COMP_SERVER, COMP_LANG_PT_BR, COMP_LANG_ZH_TW, COMP_WINDOWS_NT_CLIENT});
    gComponents[COMP_TOOLKIT].Incomplete = TRUE;
    ASSERT_TRUE(h.Create(IDD_SELECT_COMPONENTS));
    std::vector<std::string> expected = {gComponentDisplayNames[1], gComponentDisplayNames[3],
                                         gComponentDisplayNames[2], gComponentDisplayNames[18],
                                         gComponentDisplayNames[17]};
    EXPECT_EQ(ListItems(), expected);
    EXPECT_TRUE(ItemSelected(2));
    EXPECT_FALSE(ItemSelected(0));
    UserDeselects(2);
    EXPECT_TRUE(ItemSelected(2));
    UserSelects(4);
    EXPECT_EQ(NextAndWait().How, 1);
    EXPECT_TRUE(gComponents[COMP_TOOLKIT].Selected);
    EXPECT_TRUE(gComponents[COMP_LANG_ZH_TW].Selected);
    EXPECT_FALSE(gComponents[COMP_SERVER].Selected);
    EXPECT_FALSE(gComponents[COMP_LANG_PT_BR].Selected);
}

TEST_F(InteractivePages, EqualDisplayNamesResolveToTheFirstInMatchOrder)
{
    // Both items read the same; the Internet Gateway comes first in match order.
    Install({COMP_INTERNET_GATEWAY, COMP_WEB_ADMIN});
    lstrcpyA(gComponentDisplayNames[5], "Same name");
    lstrcpyA(gComponentDisplayNames[9], "Same name");
    ASSERT_TRUE(h.Create(IDD_SELECT_COMPONENTS));
    UserSelects(1);  // the Web Administration Server's item
    EXPECT_EQ(NextAndWait().How, 1);
    EXPECT_TRUE(gComponents[COMP_INTERNET_GATEWAY].Selected);
    EXPECT_FALSE(gComponents[COMP_WEB_ADMIN].Selected);
}

TEST_F(InteractivePages, SelectWithOneComponentPreselectsIt)
{
    Install({COMP_JAVA_CLIENT});
    ASSERT_TRUE(h.Create(IDD_SELECT_COMPONENTS));
    EXPECT_TRUE(ItemSelected(0));
}

TEST_F(InteractivePages, SelectRefusesNothingSelectedAndBrokenDependencies)
{
    Install({COMP_SERVER, COMP_WEB_ADMIN, COMP_WINDOWS_NT_CLIENT, COMP_INTERNET_GATEWAY});
    ASSERT_TRUE(h.Create(IDD_SELECT_COMPONENTS));
    // Order: Server, Windows NT Client, Internet Gateway, Web Administration Server.
    h.AnswerDialog("Norvik Varolink", IDOK);
    h.Click(IDC_NEXT);
    ASSERT_TRUE(h.PumpUntil([&] { return Contains(h.Log(), "  User: Next"); }));
    h.PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(h.Ends.empty());

    UserSelects(0);
    h.AnswerDialog("Norvik Varolink", IDOK);
    h.Click(IDC_NEXT);
    h.PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(h.Ends.empty());

    UserSelects(3);
    UserSelects(1);
    h.AnswerDialog("Norvik Varolink", IDOK);
    h.Click(IDC_NEXT);
    h.PumpUntil([] { return false; }, 300);
    EXPECT_TRUE(h.Ends.empty());

    UserSelects(2);
    EXPECT_EQ(NextAndWait().How, 1);
    char t231[600], t233[600], t268[600];
    LoadStringA(GetModuleHandleA(NULL), 0, t231, 1);
    HMODULE nls = LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    LoadStringA(nls, 231, t231, sizeof t231);
    LoadStringA(nls, 233, t233, sizeof t233);
    LoadStringA(nls, 268, t268, sizeof t268);
    FreeLibrary(nls);
    EXPECT_TRUE(InOrder(h.Log(), {"  User: Next", std::string("MessageBox: '") + t231 + "'", "  User: Next",
                                  std::string("MessageBox: '") + t233 + "'", "  User: Next",
                                  std::string("MessageBox: '") + t268 + "'", "  User: Next"}));
    EXPECT_TRUE(gComponents[COMP_SERVER].Selected && gComponents[COMP_WEB_ADMIN].Selected &&
                gComponents[COMP_WINDOWS_NT_CLIENT].Selected && gComponents[COMP_INTERNET_GATEWAY].Selected);
}

TEST_F(InteractivePages, ConfirmListsTheSelectionInConfirmOrder)
{
    for (int c : {COMP_INTERNET_GATEWAY, COMP_SERVER, COMP_WEB_ADMIN, COMP_HTML_LIBRARY}) {
        gComponents[c].Installed = TRUE;
        gComponents[c].Selected = TRUE;
    }
    ASSERT_TRUE(h.Create(IDD_CONFIRM_COMPONENTS));
    std::vector<std::string> expected = {gComponentDisplayNames[1], gComponentDisplayNames[6],
                                         gComponentDisplayNames[9], gComponentDisplayNames[5]};
    EXPECT_EQ(ListItems(), expected);
    EXPECT_GT(SendDlgItemMessageA(h.Page, IDC_COMPONENT_LIST, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    PageEnd end = NextAndWait();
    EXPECT_EQ(end.Choice, 0u);
    EXPECT_EQ(end.How, 1);
}

TEST_F(InteractivePages, DataQuestionsPresetFromTheirFlagAndSetIt)
{
    gRun.DeleteQueueManagerData = TRUE;
    ASSERT_TRUE(h.Create(IDD_ASK_DELETE_VL_DATA));
    EXPECT_TRUE(Checked(IDC_OPTION_DELETE_DATA));
    CheckRadioButton(h.Page, IDC_OPTION_KEEP_DATA, IDC_OPTION_DELETE_DATA, IDC_OPTION_KEEP_DATA);
    PageEnd end = NextAndWait();
    EXPECT_EQ(end.Choice, (WPARAM)IDC_OPTION_KEEP_DATA);
    EXPECT_FALSE(gRun.DeleteQueueManagerData);

    ASSERT_TRUE(h.Create(IDD_ASK_DELETE_WEBADMIN));
    EXPECT_TRUE(Checked(IDC_OPTION_KEEP_DATA));
    CheckRadioButton(h.Page, IDC_OPTION_KEEP_DATA, IDC_OPTION_DELETE_DATA, IDC_OPTION_DELETE_DATA);
    NextAndWait();
    EXPECT_TRUE(gRun.DeleteWebAdminData);
    EXPECT_TRUE(InOrder(h.Log(), {"->Ask-delete-VL-data dialog", "  User: Next", "Keeping VL data",
                                  "->Ask-delete-Web-Administration-data dialog", "  User: Next",
                                  "Deleting Web Administration data"}));
}

struct SilentPages : InteractivePages {
    void SetUp() override { h.Open(true, "C:\\vlwizsilentpages"); }
};

TEST_F(SilentPages, IncompleteComponentIsRemovedEvenWhenKept)
{
    Install({COMP_TOOLKIT, COMP_JAVA_CLIENT});
    gComponents[COMP_TOOLKIT].Incomplete = TRUE;
    ASSERT_TRUE(h.UseResponseFile("[Components]\nDevelopment Toolkit=KEEP\nLocal Clients\\Windows NT Client=KEEP\n"
                                  "Local Clients\\Java Client=REMOVE\nInternet Gateway=Skip\n"
                                  "Documentation\\Internet Gateway=KEEP\n"));
    ASSERT_TRUE(h.Create(IDD_SELECT_COMPONENTS));
    EXPECT_FALSE(IsWindowVisible(h.Page));
    EXPECT_EQ(SendDlgItemMessageA(h.Page, IDC_COMPONENT_LIST, LB_GETCOUNT, 0, 0), 0);
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_EQ(h.Ends.back().How, 1);
    EXPECT_TRUE(gComponents[COMP_TOOLKIT].Selected);
    EXPECT_TRUE(gComponents[COMP_JAVA_CLIENT].Selected);
    EXPECT_FALSE(gComponents[COMP_WINDOWS_NT_CLIENT].Selected);
}

TEST_F(SilentPages, DataQuestionReadsRemoveDataAndTreatsMissingAsKeep)
{
    ASSERT_TRUE(h.UseResponseFile("[Components]\nServer=removedata\n"));
    gRun.DeleteWebAdminData = TRUE;
    ASSERT_TRUE(h.Create(IDD_ASK_DELETE_VL_DATA));
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_TRUE(gRun.DeleteQueueManagerData);
    ASSERT_TRUE(h.Create(IDD_ASK_DELETE_WEBADMIN));
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_FALSE(gRun.DeleteWebAdminData);
    EXPECT_TRUE(InOrder(h.Log(), {"Deleting QM data", "->Ask-delete-Web-Administration-data dialog", "  User: Next",
                                  "Stanza 'Components' keyword 'Web Administration Server' not found",
                                  "Keeping Web Administration data"}));
}

}  // namespace
