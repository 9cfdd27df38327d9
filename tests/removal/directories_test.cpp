// The per-directory procedures on sample program, data and log folders.
#include "testutil.h"
#include "core/log.h"
#include "removal/directories.h"
#include <gtest/gtest.h>

static void Make(const std::string &base, std::initializer_list<const char *> files)
{
    for (const char *relative : files) {
        std::string path = base + "\\" + relative;
        // Create each folder on the way.
        for (size_t at = base.size(); (at = path.find('\\', at)) != std::string::npos; at++)
            CreateDirectoryA(path.substr(0, at).c_str(), NULL);
        if (path.back() == '\\') continue;
        WriteTextFile(path);
    }
}

TEST(CleanDirectories, EmptyArgumentIsRefused)
{
    std::string root = MakeTempFolder("cleanempty");
    std::string log = OpenTestLog(root, false);
    BOOL whole = TRUE;
    EXPECT_EQ(0, CleanLogDirectory("", NULL, NULL));
    EXPECT_EQ(0, CleanDataDirectory("", "", NULL, NULL, &whole));
    EXPECT_EQ(0, CleanWebAdminDirectory("", NULL, NULL));
    EXPECT_EQ(0, CleanProgramDirectory("", NULL, NULL, &whole));
    std::string text = ReadText(log);
    EXPECT_LT(Where(text, "Processing log files directory ''"), Where(text, "***Invalid log directory"));
    EXPECT_LT(Where(text, "Processing data files directory ''"), Where(text, "***Invalid data directory"));
    EXPECT_LT(Where(text, "Processing Web Admin directory '\\vlwa\\scripts\\public'"),
              Where(text, "***Invalid Web Admin directory"));
    EXPECT_LT(Where(text, "Processing program files directory ''"), Where(text, "***Invalid program directory"));
    RemoveFolderTree(root);
}

TEST(CleanDirectories, LogDirectory)
{
    std::string root = MakeTempFolder("cleanlog");
    std::string log = OpenTestLog(root, false);
    std::string g = root + "\\log";
    Make(g, {"S0000001.LOG", "QM1\\active\\S0000002.LOG", "QM1\\avlhlctl.lfh"});
    EXPECT_EQ(1, CleanLogDirectory(g.c_str(), NULL, NULL));
    EXPECT_FALSE(PathExists(g));
    Make(g, {"S1.LOG", "user.txt"});
    EXPECT_EQ(1, CleanLogDirectory(g.c_str(), NULL, NULL));
    EXPECT_TRUE(PathExists(g + "\\user.txt"));  // foreign files keep the folder
    EXPECT_FALSE(PathExists(g + "\\S1.LOG"));
    RemoveFolderTree(root);
}

TEST(CleanDirectories, DataDirectoryKeepsOnlyForeignFiles)
{
    std::string root = MakeTempFolder("cleandata");
    std::string log = OpenTestLog(root, false);
    std::string d = root + "\\data";
    Make(d, {"VLS.INI", "VLS.ORI", "avlclchl.tab", "editor.log", "x\\macro.log", "trace.1", "y\\z\\trace.3",
             "config\\Config.reg", "errors\\zid0001.log", "errors\\zid0001.fdc", "errors\\zid1.trc",
             "exits\\", "qmgrs\\QM1\\zidqm.log", "qmgrs\\@SYSTEM\\qmstatus.ini", "qmgrs\\@SYSTEM\\errors\\",
             "mine.txt"});
    BOOL whole = TRUE;
    EXPECT_EQ(1, CleanDataDirectory(d.c_str(), (root + "\\prog").c_str(), NULL, NULL, &whole));
    std::string text = ReadText(log);
    EXPECT_NE(std::string::npos, Where(text, "Processing data files directory '" + d + "'"));
    EXPECT_EQ(0, FailureLines(text)) << text;
    for (const char *gone : {"VLS.INI", "VLS.ORI", "avlclchl.tab", "editor.log", "x\\macro.log", "trace.1",
                             "y\\z\\trace.3", "config", "errors", "exits", "qmgrs\\@SYSTEM", "qmgrs\\QM1\\zidqm.log"})
        EXPECT_FALSE(PathExists(d + "\\" + gone)) << gone;
    // A queue manager's folder is not this procedure's; the user's own file stays.
    EXPECT_TRUE(PathExists(d + "\\qmgrs\\QM1"));
    EXPECT_TRUE(PathExists(d + "\\mine.txt"));
    RemoveFolderTree(root);
}

TEST(CleanDirectories, WebAdminDirectory)
{
    std::string root = MakeTempFolder("cleanweb");
    std::string log = OpenTestLog(root, false);
    Make(root, {"vlwa\\scripts\\public\\a.html", "vlwa\\scripts\\public\\img\\b.gif"});
    EXPECT_EQ(1, CleanWebAdminDirectory(root.c_str(), NULL, NULL));
    EXPECT_FALSE(PathExists(root + "\\vlwa"));
    EXPECT_NE(std::string::npos,
              Where(ReadText(log), "Processing Web Admin directory '" + root + "\\vlwa\\scripts\\public'"));
    RemoveFolderTree(root);
}

TEST(CleanDirectories, ProgramDirectory)
{
    std::string root = MakeTempFolder("cleanprog");
    std::string log = OpenTestLog(root, false);
    // Silent, as the removal runs: the test has no NLS library, and the
    // language lookup of the classpath entries would otherwise show a box.
    LogBlock()->Silent = 1;
    std::string p = root + "\\prog";
    Make(p, {"README.TXT", "memo.ptf", "tools\\VB\\proj.vbw", "tools\\c\\samples\\bin\\", "bin\\help.chw",
             "bin\\sub\\other.chw", "editor.log", "x.2", "bin\\empty\\", "bin\\AVLSVC.EXE"});
    // The help list names a help file; the system Path holds the program's bin folder.
    Make(p, {"bin\\avlhlpaw.chm"});
    Make(p, {"uninst\\"});
    FILE *list = fopen((p + "\\uninst\\help.u00").c_str(), "w");
    ASSERT_TRUE(list != NULL);
    fputs("; help files\nhelp\\bin\\avlhlpaw.chm\n", list);
    fclose(list);
    HKEY env;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                                           "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", 0,
                                           KEY_QUERY_VALUE | KEY_SET_VALUE, &env));
    char saved[4096] = "";
    DWORD savedType = REG_EXPAND_SZ, savedSize = sizeof saved - 1;
    RegQueryValueExA(env, "Path", NULL, &savedType, (BYTE *)saved, &savedSize);
    std::string path = std::string(saved) + ";" + p + "\\bin";
    RegSetValueExA(env, "Path", 0, REG_EXPAND_SZ, (const BYTE *)path.c_str(), (DWORD)path.size() + 1);

    BOOL whole = TRUE;
    EXPECT_EQ(1, CleanProgramDirectory(p.c_str(), NULL, NULL, &whole));
    char after[4096] = "";
    DWORD afterSize = sizeof after - 1;
    RegQueryValueExA(env, "Path", NULL, NULL, (BYTE *)after, &afterSize);
    RegSetValueExA(env, "Path", 0, savedType, (const BYTE *)saved, (DWORD)strlen(saved) + 1);
    RegCloseKey(env);
    EXPECT_EQ(std::string(after).find(p), std::string::npos) << after;
    EXPECT_FALSE(PathExists(p + "\\bin\\avlhlpaw.chm"));
    for (const char *gone : {"README.TXT", "memo.ptf", "tools", "bin\\help.chw", "bin\\sub", "editor.log", "x.2",
                             "bin\\empty"})
        EXPECT_FALSE(PathExists(p + "\\" + gone)) << gone;
    EXPECT_TRUE(PathExists(p + "\\bin\\AVLSVC.EXE"));  // not this procedure's to delete
    LogBlock()->Silent = 0;
    RemoveFolderTree(root);
}

TEST(CleanDirectories, PathThatDoesNotFitIsRefusedNotCut)
{
    std::string root = MakeTempFolder("cleanlong");
    std::string log = OpenTestLog(root, false);
    // A data folder so long that "<D>\VLS.INI" passes 259 characters while "<D>\VLS"
    // still fits: cut at 259 the name would be "<D>\VLS." and the system would
    // delete "<D>\VLS" instead.
    std::string d = root;
    while (d.size() < 254 - 10) d += "\\" + std::string(std::min<size_t>(50, 254 - 10 - d.size() - 1), 'd');
    d += "\\" + std::string(254 - d.size() - 1, 'e');
    ASSERT_EQ(254u, d.size());
    for (size_t at = root.size() + 1; (at = d.find('\\', at)) != std::string::npos; at++)
        CreateDirectoryA(d.substr(0, at).c_str(), NULL);
    CreateDirectoryA(d.c_str(), NULL);
    if (!PathExists(d)) GTEST_SKIP() << "the file system refuses a folder of 254 characters";
    WriteTextFile(d + "\\VLS");
    ASSERT_TRUE(PathExists(d + "\\VLS"));
    BOOL whole = TRUE;
    EXPECT_EQ(0, CleanDataDirectory(d.c_str(), "", NULL, NULL, &whole));
    EXPECT_TRUE(PathExists(d + "\\VLS"));
    EXPECT_EQ(1, CountOf(ReadText(log), "***Path too long: '" + d + "\\VLS.INI'"));
    RemoveFolderTree(root);
}
