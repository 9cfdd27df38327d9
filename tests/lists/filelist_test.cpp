// Component file lists, service-level lists and object-class unregistration
// against real files, a real progress bar and the stand-in programs.
#include "fixture.h"
#include "fixturelists.h"
#include "listsutil.h"
#include "runner.h"
#include "removal/filelist.h"
#include "core/log.h"
#include <commctrl.h>
#include <stdio.h>
#include <gtest/gtest.h>

namespace {

class FileList : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = ListsTempFolder("list");
        target = root + "\\P";
        lists = target + "\\uninst";
        MakeFolders(lists);
        log = OpenTestLog(root);
        bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, NULL, NULL, NULL, NULL);
        SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
    }
    void TearDown() override
    {
        DestroyWindow(bar);
        LogClose();
        DeleteFolderTree(root);
    }
    int Steps() { return (int)SendMessageA(bar, PBM_GETPOS, 0, 0); }
    int Run(BOOL counting, const char *name, BOOL serviceLevel = FALSE)
    {
        return ProcessFileList(counting, serviceLevel, 544, NULL, NULL, bar, name, lists.c_str(), target.c_str());
    }
    std::string root, target, lists, log;
    HWND bar = NULL;
};

}  // namespace

TEST_F(FileList, CountingChangesNothingThenFilesAndEmptiedFoldersGoButNeverTheTarget)
{
    ASSERT_TRUE(FixtureComponentList(lists, "server",
                                     {"xyz\\bin\\a.dll", "\\bin\\sub\\b.dll", "!;\\bin\\c.dll", "!#\\bin\\c.dll",
                                      "!nobackslash.dll", "\\top.txt", "\\gone\\missing.dll"},
                                     target));
    DeleteFolderTree(target + "\\gone");
    WriteTextFile(target + "\\bin\\c.dll", "kept");
    WriteTextFile(target + "\\nobackslash.dll", "kept");

    // Four lines and the three directories below the target the working pass
    // will try to remove (bin\sub, bin, gone): the bar ends exactly full.
    EXPECT_EQ(7, Run(TRUE, "server"));
    EXPECT_TRUE(PathExists(target + "\\bin\\a.dll"));
    EXPECT_EQ(0, Steps());
    EXPECT_FALSE(PathExists(log) && !LogEntries(log).empty() && Contains(LogEntries(log), "Target dir '" + target + "'"));

    EXPECT_EQ(1, Run(FALSE, "server"));
    EXPECT_FALSE(PathExists(target + "\\bin\\a.dll"));
    EXPECT_FALSE(PathExists(target + "\\bin\\sub"));
    EXPECT_FALSE(PathExists(target + "\\top.txt"));
    EXPECT_TRUE(PathExists(target + "\\bin\\c.dll"));  // comment lines name nothing
    EXPECT_TRUE(PathExists(target + "\\nobackslash.dll"));
    EXPECT_TRUE(PathExists(target + "\\bin"));          // still holds c.dll
    EXPECT_TRUE(PathExists(target));
    // Four lines, then the three directories below the target (bin\sub, bin, gone).
    EXPECT_EQ(7, Steps());
    std::vector<std::string> lines = LogEntries(log);
    std::string lowerTarget = Lower(target);
    EXPECT_TRUE(InOrder(lines, {"Deleting file component '" + lists + "\\server'", "Target dir '" + target + "'",
                                "Deleted file: '" + lowerTarget + "\\bin\\a.dll'",
                                "Deleted path: '" + lowerTarget + "\\bin\\sub'",
                                "Finished deleting file component 'server'"}))
        << ReadTextFile(log);
    for (const std::string &line : lines) EXPECT_NE("Deleted path: '" + lowerTarget + "'", line);
}

TEST_F(FileList, ManyFoldersInAnyListOrderGoChildrenFirst)
{
    // Folders whose names are prefixes of their siblings ("d07", "d07.x",
    // "d07 y"), nested three deep, in mixed case, with the files of one folder
    // scattered over the list so that a folder is met again after others.
    std::vector<std::string> lines;
    for (int round = 0; round < 3; round++)
        for (int i = 0; i < 70; i++) {
            char line[80];
            int d = (i * 37) % 70;   // every folder once per round, in a scrambled order
            const char *const kShapes[] = {"\\t\\d%02d\\f%d.h", "\\t\\d%02d\\Sub\\f%d.h", "\\t\\d%02d\\sub\\x y\\f%d.h",
                                           "\\t\\d%02d.x\\f%d.h", "\\t\\d%02d y\\f%d.h"};
            snprintf(line, sizeof line, kShapes[(i + round) % 5], d, round);
            lines.push_back(line);
        }
    ASSERT_TRUE(FixtureComponentList(lists, "many", lines, target));
    SendMessageA(bar, PBM_SETRANGE32, 0, 5000);

    int counted = Run(TRUE, "many");
    EXPECT_EQ(1, Run(FALSE, "many")) << ReadTextFile(log);
    EXPECT_EQ(counted, Steps());
    EXPECT_FALSE(PathExists(target + "\\t"));
    EXPECT_TRUE(PathExists(target));
    // Every folder is removed after all the folders below it.
    std::vector<std::string> removed;
    const std::string prefix = "Deleted path: '";
    for (const std::string &line : LogEntries(log))
        if (line.compare(0, prefix.size(), prefix) == 0) removed.push_back(line.substr(prefix.size(), line.size() - prefix.size() - 1));
    EXPECT_EQ(counted - (int)lines.size(), (int)removed.size());
    for (size_t i = 0; i < removed.size(); i++)
        for (size_t j = i + 1; j < removed.size(); j++)
            EXPECT_NE(removed[j].compare(0, removed[i].size() + 1, removed[i] + "\\"), 0)
                << removed[i] << " went before " << removed[j];
}

TEST_F(FileList, LanguageLineDeletesTenFilesInOneStep)
{
    ASSERT_TRUE(FixtureComponentList(lists, "chmen_us", {"\\bin\\Msg-lang1-.cat", "\\doc\\-lang1-\\-lang5-.txt"},
                                     target));
    std::vector<std::string> files = FixtureListedFiles(target, "\\bin\\Msg-lang1-.cat");
    ASSERT_EQ(10u, files.size());
    EXPECT_EQ(Lower(target) + "\\bin\\msgde_de.cat", files[2]);
    EXPECT_TRUE(PathExists(target + "\\doc\\de_de\\de.txt"));

    EXPECT_EQ(2 + 1 + 10 + 1, Run(TRUE, "chmen_us"));
    EXPECT_EQ(1, Run(FALSE, "chmen_us"));
    for (const std::string &file : files) EXPECT_FALSE(PathExists(file)) << file;
    EXPECT_FALSE(PathExists(target + "\\doc"));
    // Two lines; then bin, the ten doc\<language> folders and doc.
    EXPECT_EQ(2 + 1 + 10 + 1, Steps());
}

TEST_F(FileList, LinesThatClimbOutOfTheTargetDeleteNothing)
{
    std::string outside = root + "\\outside.txt";
    WriteTextFile(outside, "precious");
    ASSERT_TRUE(FixtureComponentList(lists, "evil", {"!x\\..\\outside.txt", "!x\\C:\\outside.txt",
                                                     "!\\bin/../../outside.txt", "\\ok.txt"},
                                     target));
    EXPECT_EQ(4, Run(TRUE, "evil"));
    EXPECT_EQ(0, Run(FALSE, "evil"));
    EXPECT_TRUE(PathExists(outside));
    EXPECT_FALSE(PathExists(target + "\\ok.txt"));
    EXPECT_EQ(4, Steps());
    EXPECT_TRUE(Contains(LogEntries(log), "***Listed path outside '" + target + "' not deleted: '\\..\\outside.txt'"));
}

TEST_F(FileList, ServiceLevelLinesAndTheUninstRule)
{
    WriteTextFile(target + "\\bin\\x.dll", "x");
    WriteTextFile(target + "\\uninst\\u.dll", "u");
    WriteTextFile(target + "\\y.dll", "y");
    WriteTextFile(lists + "\\csdship.log", "; header\r\nadded,file,C:\\src\\x.dll,%filepath%\\bin\r\n"
                                           "added,file,C:\\src\\u.dll,%filepath%\\uninst\r\n"
                                           "ADDED,FILE,C:\\src\\y.dll,%WORKPATH%\r\n"
                                           "replaced,file,C:\\src\\z.dll,%filepath%\r\n"
                                           "added,file,C:\\src\\w.dll,%filepath%\\..\r\n");
    EXPECT_EQ(2 + 1, Run(TRUE, "csdship", TRUE));  // two files and their folder bin
    EXPECT_EQ(0, Run(FALSE, "csdship", TRUE));  // the climbing line is refused and reported
    EXPECT_EQ(3, Steps());
    EXPECT_FALSE(PathExists(target + "\\bin\\x.dll"));
    EXPECT_FALSE(PathExists(target + "\\y.dll"));
    EXPECT_TRUE(PathExists(target + "\\uninst\\u.dll"));
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"Deleting CSD files in '" + lists + "\\csdship.log'",
                                "Not deleting '" + target + "\\uninst\\u.dll'",
                                "Finished deleting file component 'csdship'"}))
        << ReadTextFile(log);
}

TEST_F(FileList, MissingListDeletesNothingAndSucceeds)
{
    EXPECT_EQ(0, Run(TRUE, "nolist"));
    EXPECT_EQ(1, Run(FALSE, "nolist"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"Deleting file component '" + lists + "\\nolist'",
                                        "Finished deleting file component 'nolist'"}));
}

TEST_F(FileList, HelpListDropsTheHtmlHelpRegistration)
{
    const char *key = "SOFTWARE\\Microsoft\\Windows\\HTML Help";
    HKEY help;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &help, NULL));
    RegSetValueExA(help, "vltest.chm", 0, REG_SZ, (const BYTE *)"C:\\x", 5);
    RegSetValueExA(help, "other.chm", 0, REG_SZ, (const BYTE *)"C:\\x", 5);
    ASSERT_TRUE(FixtureComponentList(lists, "help", {"\\bin\\VLTest.chm"}, target));
    EXPECT_EQ(1, Run(FALSE, "help"));
    EXPECT_NE(ERROR_SUCCESS, RegQueryValueExA(help, "vltest.chm", NULL, NULL, NULL, NULL));
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(help, "other.chm", NULL, NULL, NULL, NULL));
    RegDeleteValueA(help, "other.chm");
    RegCloseKey(help);
}

TEST(FileListHelpers, UniquePathsOrderingAndQuoting)
{
    PathNode *head = NULL;
    EXPECT_EQ(1, AddUniquePath(&head, "C:\\a"));
    EXPECT_EQ(0, AddUniquePath(&head, "C:\\a"));
    EXPECT_EQ(1, AddUniquePath(&head, "C:\\A"));  // exact comparison
    EXPECT_EQ(0, AddUniquePath(&head, "C:"));
    EXPECT_STREQ("C:\\A", head->Path);
    FreePathList(&head);
    EXPECT_TRUE(head == NULL);
    EXPECT_TRUE(IsUnderDirectory("c:\\p\\bin", "C:\\P"));
    EXPECT_FALSE(IsUnderDirectory("C:\\P", "C:\\P"));
    EXPECT_FALSE(IsUnderDirectory("C:\\Program", "C:\\P"));
    char path[32] = "C:\\my dir\\x.dll";
    EXPECT_TRUE(QuoteIfSpaced(path, sizeof path));
    EXPECT_STREQ("\"C:\\my dir\\x.dll\"", path);
    EXPECT_TRUE(QuoteIfSpaced(path, sizeof path));
    EXPECT_STREQ("\"C:\\my dir\\x.dll\"", path);
    char small[8] = "a b c d";
    EXPECT_FALSE(QuoteIfSpaced(small, sizeof small));
}

TEST_F(FileList, ObjectClassesOfServersAndLibrariesAreUnregistered)
{
    std::string record = root + "\\unreg.txt";
    MakeFolders(target + "\\bin");
    MakeFolders(target + "\\my dir");
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\localserver.exe", (target + "\\bin\\svc.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\localserver.exe", (target + "\\bin\\bad.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\avliregn.exe", (target + "\\uninst\\avliregn.exe").c_str(), FALSE));
    WriteTextFile(target + "\\my dir\\x.dll", "library");
    // No comment lines in these lists: ';' is just text before the backslash.
    WriteTextFile(lists + "\\serverd.u00", "\\bin\\svc.exe\r\n;\\my dir\\x.dll\r\n\\bin\\missing.dll\r\n"
                                           "\\bin\\bad.exe\r\nnoslash\r\n");
    SetEnvironmentVariableA("VL_UNREG_LOG", record.c_str());
    SetEnvironmentVariableA("VL_UNREG_EXIT_BAD", "3");

    EXPECT_EQ(30, UnregisterObjectClasses(TRUE, "serverd", NULL, bar, target.c_str()));
    EXPECT_FALSE(PathExists(record));
    EXPECT_EQ(0, UnregisterObjectClasses(FALSE, "serverd", NULL, bar, target.c_str()));
    SetEnvironmentVariableA("VL_UNREG_LOG", NULL);
    SetEnvironmentVariableA("VL_UNREG_EXIT_BAD", NULL);

    std::string calls = ReadTextFile(record);
    std::string lowerTarget = Lower(target);
    EXPECT_NE(std::string::npos, calls.find(" -UnregServer")) << calls;
    EXPECT_NE(std::string::npos, calls.find("\"" + lowerTarget + "\\my dir\\x.dll\" -u")) << calls;
    EXPECT_NE(std::string::npos, calls.find("dir: " + target + "\\bin")) << calls;
    // Most recently listed first: bad.exe, then the library, then svc.exe.
    size_t bad = calls.find("bad.exe"), library = calls.find("avliregn"), svc = calls.find("svc.exe");
    EXPECT_LT(bad, library);
    EXPECT_LT(library, svc);
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"Unregistering object classes for 'serverd'",
                                "***'" + lowerTarget + "\\bin\\bad.exe' failed to unregister, code '00000003'",
                                "Unregistered '" + lowerTarget + "\\my dir\\x.dll'",
                                "Unregistered '" + lowerTarget + "\\bin\\svc.exe'"}))
        << ReadTextFile(log);
}

TEST_F(FileList, MissingObjectClassListUnregistersNothing)
{
    EXPECT_EQ(0, UnregisterObjectClasses(TRUE, "nolist", NULL, NULL, target.c_str()));
    EXPECT_EQ(1, UnregisterObjectClasses(FALSE, "nolist", NULL, NULL, target.c_str()));
    EXPECT_TRUE(Contains(LogEntries(log), "Unregistering object classes for 'nolist'"));
}
