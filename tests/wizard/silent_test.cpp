// Silent runs of avliunin.exe through the option and component pages against
// fixture installations: the response file's choices and their log lines.
#include "fixture.h"
#include "runner.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct SilentPagesTest : ::testing::Test {
    FixtureDescription d;
    void SetUp() override
    {
        d.Root = "C:\\vlwizsilent";
        d.Components = {{"Server", ""}, {"Local Clients\\Windows NT Client", ""}, {"Development Toolkit", ""},
                        {"Internet Gateway", ""}};
    }
    void TearDown() override { FixtureRemove(d); }
    std::vector<std::string> Run(const std::string &rsp)
    {
        std::string path = d.Root + "\\answers.rsp";
        WriteTextFile(path, rsp);
        EXPECT_EQ(RunUninstallerWith("-S -F1\"" + path + "\""), 0);
        return LogEntries(FixtureWorkFolder(d) + "\\avlilogn.txt");
    }
    std::string LogText() { return ReadTextFile(FixtureWorkFolder(d) + "\\avlilogn.txt"); }
};

const char kFiveKeep[] = "[Components]\nDevelopment Toolkit=KEEP\nLocal Clients\\Windows NT Client=Skip\n"
                         "Local Clients\\Java Client=KEEP\nInternet Gateway=KEEP\n"
                         "Documentation\\Internet Gateway=KEEP\n";

TEST_F(SilentPagesTest, RemoveInLowerCaseKeepsTheData)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run("[Varolink]\nVarolink=remove\n");
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "  User: Next", "  REMOVE", "->Confirm-delete-all dialog",
                              "Video subsystem supports 256 colors", "  User: Next", "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(Contains(log, "->Exit dialog"));
}

TEST_F(SilentPagesTest, RemoveDataGoesToTheDataConfirmation)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run("[Varolink]\nVarolink=REMOVEDATA\n");
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "  User: Next", "  REMOVEDATA", "->Confirm-delete-all dialog",
                              "  User: Next"}))
        << LogText();
}

TEST_F(SilentPagesTest, UnknownValueCancelsAndTheExitQuestionAnswersItself)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run("[Varolink]\nVarolink=EVERYTHING\n");
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "Unknown value [Varolink] Varolink=EVERYTHING", "  User: Cancel",
                              "->Exit dialog", "  User: Exit", "", "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(Contains(log, "  User: Next"));
}

TEST_F(SilentPagesTest, MissingKeywordMakesTheMainPageCancel)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run("[Varolink]\nLockedFiles=CONTINUE\n");
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "Stanza 'Varolink' keyword 'Varolink' not found", "  User: Cancel",
                              "->Exit dialog", "  User: Exit", "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(Contains(log, "  User: Next"));
}

TEST_F(SilentPagesTest, ComponentRemovalReadsAllFiveKeywords)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run(std::string("[Varolink]\nVarolink=REMOVECOMPONENTS\n") + kFiveKeep);
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "  User: Next", "  REMOVECOMPONENTS", "->Select-components dialog",
                              "  User: Next", "->Confirm-components-delete dialog", "  User: Next",
                              "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(Contains(log, "->Exit dialog"));
}

TEST_F(SilentPagesTest, OneMissingComponentKeywordCancelsAfterAllFive)
{
    ASSERT_TRUE(FixtureInstall(d));
    auto log = Run("[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\nDevelopment Toolkit=REMOVE\n"
                   "Local Clients\\Java Client=KEEP\nInternet Gateway=BOGUS\nDocumentation\\Internet Gateway=KEEP\n");
    EXPECT_TRUE(InOrder(log, {"->Select-components dialog", "  User: Next",
                              "Stanza 'Components' keyword 'Local Clients\\Windows NT Client' not found",
                              "Unknown value [Components] Local Clients\\Windows NT Client=",
                              "Unknown value [Components] Internet Gateway=BOGUS", "  User: Cancel",
                              "->Exit dialog", "  User: Exit", "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(Contains(log, "->Confirm-components-delete dialog"));
}

TEST_F(SilentPagesTest, DataQuestionsFollowIncompleteServerAndWebAdministration)
{
    // Incomplete components are removed whatever the response file says;
    // with queue managers and Web Administration data both questions follow.
    d.Components = {{"Server", "Incomplete"}, {"Web Administration Server", "Incomplete"}};
    ASSERT_TRUE(FixtureInstall(d));
    std::string work = FixtureWorkFolder(d);
    MakeFolders(work + "\\vlwa\\scripts\\public");
    WriteTextFile(work + "\\vlwa\\scripts\\public\\page.js", "x");
    WriteTextFile(work + "\\VLS.INI", "QueueManager:\n  Name=QM1\n  Directory=QM1\n");
    auto log = Run(std::string("[Varolink]\nVarolink=REMOVECOMPONENTS\n") + kFiveKeep +
                   "Server=KEEP\nWeb Administration Server=REMOVEDATA\n");
    EXPECT_TRUE(InOrder(log, {"Web Admin user data exists", "->Select-components dialog", "  User: Next",
                              "->Confirm-components-delete dialog", "  User: Next", "->Ask-delete-VL-data dialog",
                              "  User: Next", "Keeping VL data", "->Ask-delete-Web-Administration-data dialog",
                              "  User: Next", "Deleting Web Administration data", "Uninstallation ended."}))
        << LogText();
}

}  // namespace
