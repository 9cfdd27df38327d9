// Shortcuts in the common Programs and Startup folders of the Wine prefix.
#include "fixture.h"
#include "fixturelists.h"
#include "listsutil.h"
#include "runner.h"
#include "removal/shortcuts.h"
#include "core/log.h"
#include <shlobj.h>
#include <gtest/gtest.h>

namespace {

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = ListsTempFolder("lnk");
        log = OpenTestLog(root);
        programs = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS);
        ASSERT_FALSE(programs.empty());
        folder = "VL Test " + std::to_string(GetCurrentProcessId());
        folderPath = programs + "\\" + folder;
    }
    void TearDown() override
    {
        LogClose();
        DeleteFolderTree(folderPath);
        DeleteFolderTree(root);
    }
    std::string Link(const std::string &item) { return folderPath + "\\" + item + ".lnk"; }
    std::string root, log, programs, folder, folderPath;
};

}  // namespace

TEST_F(Shortcuts, ItemFolderAndStartupLink)
{
    ASSERT_TRUE(FixtureShortcut(Link("Varolink Explorer"), "C:\\windows\\notepad.exe"));
    EXPECT_TRUE(DeleteProgramFolderItem(folder.c_str(), "Varolink Explorer"));
    EXPECT_FALSE(PathExists(Link("Varolink Explorer")));
    EXPECT_TRUE(DeleteProgramFolderItem(folder.c_str(), "Varolink Explorer"));  // already gone
    EXPECT_TRUE(DeleteProgramFolderItem(folder.c_str(), NULL));
    EXPECT_FALSE(PathExists(folderPath));

    std::string startup = FixtureCommonFolder(CSIDL_COMMON_STARTUP) + "\\" + folder + ".lnk";
    ASSERT_TRUE(FixtureShortcut(startup, "C:\\windows\\notepad.exe"));
    EXPECT_TRUE(DeleteStartupLink(folder.c_str()));
    EXPECT_FALSE(PathExists(startup));
    // A name that climbs out of the Programs folder deletes nothing.
    EXPECT_FALSE(DeleteProgramFolderItem("..", "x"));
}

TEST_F(Shortcuts, SweepKeepsCurrentItemsAndDeletesObsoleteOnes)
{
    for (const char *item : {"Varolink Explorer", "Varolink Services", "Uninstall Varolink", "My Own Tool",
                             "Memo", "Read Me", "Varolink First Steps", "Varolink Explorer (fr_fr)"})
        ASSERT_TRUE(FixtureShortcut(Link(item), "C:\\windows\\notepad.exe"));
    MakeFolders(folderPath + "\\Varolink Documentation");
    MakeFolders(folderPath + "\\Varolink Java Client");
    WriteTextFile(folderPath + "\\Varolink Java Client\\user.txt", "kept");

    EXPECT_TRUE(DeleteObsoleteProgramFolderItems(folder.c_str()));
    // Current names (NLS library) stay; the same texts in the own table are not swept.
    EXPECT_TRUE(PathExists(Link("Varolink Explorer")));
    EXPECT_TRUE(PathExists(Link("Varolink Services")));
    EXPECT_TRUE(PathExists(Link("Uninstall Varolink")));
    EXPECT_TRUE(PathExists(Link("My Own Tool")));
    EXPECT_FALSE(PathExists(Link("Memo")));
    EXPECT_FALSE(PathExists(Link("Read Me")));
    EXPECT_FALSE(PathExists(Link("Varolink First Steps")));
    EXPECT_FALSE(PathExists(Link("Varolink Explorer (fr_fr)")));
    EXPECT_FALSE(PathExists(folderPath + "\\Varolink Documentation"));
    EXPECT_TRUE(PathExists(folderPath + "\\Varolink Java Client\\user.txt"));
    EXPECT_TRUE(Contains(LogEntries(log), "Deleting obsolete program folder items"));
}

TEST_F(Shortcuts, RefreshNamesTheProgramFolder)
{
    EXPECT_TRUE(RefreshStartMenu(folder.c_str()));
    std::string startMenu = FixtureCommonFolder(CSIDL_COMMON_STARTMENU);
    EXPECT_TRUE(InOrder(LogEntries(log), {"Refreshing Start menu",
                                        "Varolink start menu folder is '" + startMenu + "\\Programs\\" + folder + "'"}))
        << ReadTextFile(log);
}
