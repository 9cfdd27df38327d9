// Service-level cleanup: both passes against the real registry, files and
// program-folder shortcuts of a fixture, with a real progress bar.
#include "qmdatautil.h"
#include "fixturelists.h"
#include "engine/servicelevels.h"
#include "core/log.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>
#include <algorithm>

namespace {

const char kApplied[] = "Software\\Norvik\\Varolink\\CurrentVersion\\CSDS Applied";
const char kFolderName[] = "Norvik Varolink";

class ServiceLevels : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = TempDescription("csd");
        program = FixtureProgramFolder(d);
        work = FixtureWorkFolder(d);
        shortcuts = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\" + kFolderName;
        bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, NULL, NULL, NULL, NULL);
    }
    void Install()
    {
        ClearProductKey();
        ASSERT_TRUE(FixtureInstall(d));
        log = OpenTestLog(d.Root);
    }
    void TearDown() override
    {
        DestroyWindow(bar);
        LogClose();
        ClearProductKey();
        FixtureRemove(d);
        DeleteFolderTree(shortcuts);
    }
    // Counting, then the working pass on a bar whose range is the count; the
    // other tree is the fixture's other folder, as the removal gives it.
    int Run(const std::string &tree, int *count, const char *folderName = kFolderName)
    {
        HWND status = NULL;
        const char *other = tree == program ? work.c_str() : program.c_str();
        *count = RemoveServiceLevels(TRUE, tree.c_str(), other, folderName, &status, &bar);
        SendMessageA(bar, PBM_SETRANGE32, 0, *count);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
        return RemoveServiceLevels(FALSE, tree.c_str(), other, folderName, &status, &bar);
    }
    int Position() { return (int)SendMessageA(bar, PBM_GETPOS, 0, 0); }
    bool Link(const std::string &name) { return PathExists(shortcuts + "\\" + name + ".lnk"); }
    FixtureDescription d;
    std::string program, work, shortcuts, log;
    HWND bar = NULL;
};

}  // namespace

TEST_F(ServiceLevels, NothingAppliedDeletesTheGenericShortcutsAndSucceeds)
{
    d.Shortcuts = {"Remove CSD", "Memo.PTF File", "Varolink Explorer"};
    Install();
    int count = 0;
    EXPECT_EQ(1, Run(program, &count));
    EXPECT_EQ(1, count);   // the BackUp folder's own step
    EXPECT_EQ(count, Position());
    EXPECT_FALSE(Link("Remove CSD"));
    EXPECT_FALSE(Link("Memo.PTF File"));
    EXPECT_TRUE(Link("Varolink Explorer"));
    std::vector<std::string> lines = LogBody(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("Deleting all CSD info", lines[0]);
    for (const std::string &line : lines) EXPECT_NE(0u, line.rfind("***", 0)) << line;
}

TEST_F(ServiceLevels, AppliedLevelsGoWithTheirListsFoldersShortcutsBackupsAndRecords)
{
    d.ServiceLevels = {{"CSD03", "program", "csd03", {}}, {"csd04", "program", "sl\\csd04", {}}};
    d.ServiceLevels[0].ShipLines = {"added,file,C:\\src\\x.dll,%filepath%\\bin", "added,file,C:\\src\\y.dat,%filepath%\\newdir",
                                    "added,file,C:\\src\\u.dll,%filepath%\\uninst"};
    d.ServiceLevels[1].ShipLines = {"added,file,C:\\src\\z.dll,%filepath%\\bin"};
    d.Shortcuts = {"Remove Latest CSD", "Remove CSD", "Remove CSD99 Extra", "Memo.PTF File", "Varolink Explorer"};
    d.Backups = {{"program", "u2001"}, {"program", "U2002"}, {"program", "other"}};
    Install();
    WriteTextFile(program + "\\bin\\keep.dll", "not shipped");

    int count = 0;
    EXPECT_EQ(1, Run(program, &count));
    // CSD03: two lines (the uninst one is never deleted), bin and newdir, its
    // folder, its record; csd04: 1 line,
    // bin, folder, record; two backups; BackUp.
    EXPECT_EQ((2 + 2 + 1 + 1) + (1 + 1 + 1 + 1) + 2 + 1, count);
    EXPECT_EQ(count, Position());

    EXPECT_FALSE(PathExists(program + "\\bin\\x.dll"));
    EXPECT_FALSE(PathExists(program + "\\bin\\z.dll"));
    EXPECT_FALSE(PathExists(program + "\\newdir"));
    EXPECT_TRUE(PathExists(program + "\\bin\\keep.dll"));
    EXPECT_TRUE(PathExists(program + "\\uninst\\u.dll"));
    EXPECT_FALSE(PathExists(program + "\\csd03"));
    EXPECT_FALSE(PathExists(program + "\\sl\\csd04"));
    EXPECT_FALSE(PathExists(program + "\\BackUp\\u2001"));
    EXPECT_FALSE(PathExists(program + "\\BackUp\\U2002"));
    EXPECT_TRUE(PathExists(program + "\\BackUp\\other\\saved.dll"));
    for (const char *gone : {"Remove CSD03", "Remove csd04", "Remove Latest CSD", "Remove CSD", "Remove CSD99 Extra",
                             "Memo.PTF File"})
        EXPECT_FALSE(Link(gone)) << gone;
    EXPECT_TRUE(Link("Varolink Explorer"));
    EXPECT_FALSE(KeyExists(kApplied));

    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"Deleting all CSD info", "Processing 'CSD03'",
                                "Deleting CSD files in '" + program + "\\csd03\\csdship.log'",
                                "Not deleting '" + program + "\\uninst\\u.dll'", "Processing 'csd04'",
                                "Deleted value [HKLM\\" + std::string(kApplied) + "] 'csd04'",
                                "Deleted value [HKLM\\" + std::string(kApplied) + "] 'CSD03'",
                                "Deleted key '" + std::string(kApplied) + "'"}))
        << ReadTextFile(log);
}

TEST_F(ServiceLevels, OtherValuesStayAndEachTreeHandlesItsOwnLevels)
{
    d.ServiceLevels = {{"CSD05", "data", "csd05", {"added,file,C:\\src\\d.dat,%workpath%\\conf"}}};
    d.ServiceLevelValues = {{"Installed By", "someone"}};
    Install();

    // The program tree's call leaves the data tree's level and the other value.
    int count = 0;
    EXPECT_EQ(1, Run(program, &count));
    EXPECT_EQ(count, Position());
    EXPECT_TRUE(PathExists(work + "\\csd05\\csdship.log"));
    EXPECT_TRUE(PathExists(work + "\\conf\\d.dat"));
    EXPECT_EQ("C:\\csdsrc\\CSD05=" + work + "\\csd05", RegText(kApplied, "CSD05"));
    EXPECT_TRUE(Contains(LogEntries(log), "CSD folder of 'CSD05' is not in '" + program + "' tree"));

    EXPECT_EQ(1, Run(work, &count));
    EXPECT_EQ(count, Position());
    EXPECT_FALSE(PathExists(work + "\\conf\\d.dat"));
    EXPECT_FALSE(PathExists(work + "\\csd05"));
    EXPECT_EQ("<none>", RegText(kApplied, "CSD05"));
    // A value that is no service level is neither processed nor deleted.
    EXPECT_EQ("someone", RegText(kApplied, "Installed By"));
    for (const std::string &line : LogEntries(log)) EXPECT_EQ(std::string::npos, line.find("'Installed By'")) << line;
}

TEST_F(ServiceLevels, DataNamingNoFolderOfTheTreeDeletesNothingOutsideIt)
{
    d.ServiceLevelValues = {{"CSD02", "X=C:\\"}, {"CSD06", "X=%PROGRAM%\\..\\Data"}, {"CSD07", "X=csd07"}};
    Install();
    WriteTextFile(work + "\\precious.txt", "keep");
    WriteTextFile(d.Root + "\\csdship.log", "added,file,C:\\src\\precious.txt,%filepath%\\..\\Data\r\n");
    int count = 0;
    EXPECT_EQ(0, Run(program, &count));
    EXPECT_EQ(count, Position());
    EXPECT_TRUE(PathExists(work + "\\precious.txt"));
    EXPECT_TRUE(PathExists(d.Root + "\\csdship.log"));
    EXPECT_TRUE(PathExists(program + "\\uninst"));
    EXPECT_EQ("X=C:\\", RegText(kApplied, "CSD02"));   // the records stay
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(Contains(lines, "***CSD folder of 'CSD02' not valid: 'X=C:\\'; not deleted")) << ReadTextFile(log);
    EXPECT_TRUE(Contains(lines, "***CSD folder of 'CSD07' not valid: 'X=csd07'; not deleted"));
}

TEST_F(ServiceLevels, ARecordNamingNoFolderGoesWithItsShortcut)
{
    d.ServiceLevelValues = {{"CSD01", "C:\\csdsrc\\CSD01="}};
    d.Shortcuts = {"Remove CSD01", "Varolink Explorer"};
    Install();
    int count = 0;
    EXPECT_EQ(1, Run(program, &count)) << ReadTextFile(log);
    EXPECT_EQ(count, Position());
    EXPECT_EQ("<none>", RegText(kApplied, "CSD01"));
    EXPECT_FALSE(KeyExists(kApplied));
    EXPECT_FALSE(Link("Remove CSD01"));
    EXPECT_TRUE(Link("Varolink Explorer"));
    EXPECT_TRUE(PathExists(program + "\\uninst"));
    for (const std::string &line : LogBody(log)) EXPECT_NE(0u, line.rfind("***", 0)) << line;
}

TEST_F(ServiceLevels, AFolderInNeitherTreeStaysWithAFailureLine)
{
    std::string elsewhere = d.Root + "\\elsewhere\\csd09";
    d.ServiceLevelValues = {{"CSD09", "X=" + elsewhere}};
    Install();
    WriteTextFile(elsewhere + "\\csdship.log", "added,file,C:\\src\\x.dll,%filepath%\\bin\r\n");
    int count = 0;
    // Neither the program tree's call nor the data tree's deletes it.
    for (const std::string &tree : {program, work}) {
        EXPECT_EQ(0, Run(tree, &count)) << tree;
        EXPECT_EQ(count, Position());
        EXPECT_TRUE(PathExists(elsewhere + "\\csdship.log"));
        EXPECT_EQ("X=" + elsewhere, RegText(kApplied, "CSD09"));
    }
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_EQ(2, std::count(lines.begin(), lines.end(),
                            "***CSD folder of 'CSD09' is in neither tree: 'X=" + elsewhere + "'; not deleted"))
        << ReadTextFile(log);
}

TEST_F(ServiceLevels, AKeyThatRefusesAccessIsRepairedFirst)
{
    d.ServiceLevels = {{"CSD08", "program", "csd08", {}}};
    Install();
    RestrictKey(kApplied);
    int count = 0;
    // Run as the administration group's account (see CMakeLists.txt), which
    // has no shell folders of its own: no program folder to clean here.
    EXPECT_EQ(1, Run(program, &count, "")) << ReadTextFile(log);
    EXPECT_EQ(count, Position());
    EXPECT_FALSE(PathExists(program + "\\csd08"));
    EXPECT_FALSE(KeyExists(kApplied));
}

// A service level's folder and a backup replaced by links to folders outside
// the tree: their targets keep everything, each is refused with a line
// naming it, and the service level stays recorded.
TEST_F(ServiceLevels, LinkedLevelAndBackupFoldersAreNotFollowed)
{
    d.ServiceLevels = {{"CSD07", "program", "csd07", {}}};
    d.Backups = {{"program", "u2001"}};
    Install();
    std::string canary = d.Root + "\\Canary";
    WriteTextFile(canary + "\\level\\csdship.log", "added,file,C:\\src\\x.dll,%filepath%\\bin\r\n");
    WriteTextFile(canary + "\\backup\\saved.dll", "keep");
    std::string level = program + "\\csd07", backup = program + "\\BackUp\\u2001";
    DeleteFolderTree(level);
    DeleteFolderTree(backup);
    ASSERT_TRUE(MakeLink(level, canary + "\\level"));
    ASSERT_TRUE(MakeLink(backup, canary + "\\backup"));
    int count = 0;
    EXPECT_EQ(0, Run(program, &count));
    EXPECT_TRUE(PathExists(canary + "\\level\\csdship.log"));
    EXPECT_TRUE(PathExists(canary + "\\backup\\saved.dll"));
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(Contains(lines, "***Unsafe path refused: '" + level + "' (reparse point)")) << ReadTextFile(log);
    EXPECT_TRUE(Contains(lines, "***Unsafe path refused: '" + backup + "' (reparse point)"));
    EXPECT_TRUE(KeyExists(kApplied));
    EXPECT_TRUE(RemoveLink(backup));
    EXPECT_TRUE(RemoveLink(level));
}
