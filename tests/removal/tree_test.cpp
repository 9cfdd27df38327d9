// The tree walker, its order and its quiet "not empty" rule.
#include "testutil.h"
#include "removal/files.h"
#include <gtest/gtest.h>

// d\a.log d\keep.txt d\s1\b.log d\s1\s2\c.log d\s3 (empty)
static void MakeSampleTree(const std::string &d)
{
    CreateDirectoryA((d + "\\s1").c_str(), NULL);
    CreateDirectoryA((d + "\\s1\\s2").c_str(), NULL);
    CreateDirectoryA((d + "\\s3").c_str(), NULL);
    WriteTextFile(d + "\\a.log");
    WriteTextFile(d + "\\keep.txt");
    WriteTextFile(d + "\\s1\\b.log");
    WriteTextFile(d + "\\s1\\s2\\c.log");
}

TEST(DeleteTree, DepthFirstFilesThenSubdirectoriesThenTheLevelItself)
{
    std::string root = MakeTempFolder("walk");
    std::string log = OpenTestLog(root, false);
    std::string d = root + "\\d";
    CreateDirectoryA(d.c_str(), NULL);
    MakeSampleTree(d);
    DeleteFileA((d + "\\keep.txt").c_str());

    EXPECT_EQ(1, DeleteTree((d + "\\*.log").c_str(), TRUE, TRUE, TRUE, NULL, NULL));
    EXPECT_FALSE(PathExists(d));
    std::string text = ReadText(log);
    size_t a = Where(text, "Deleted file: '" + d + "\\a.log'");
    size_t b = Where(text, "Deleted file: '" + d + "\\s1\\b.log'");
    size_t c = Where(text, "Deleted file: '" + d + "\\s1\\s2\\c.log'");
    size_t s2 = Where(text, "Deleted path: '" + d + "\\s1\\s2'");
    size_t s1 = Where(text, "Deleted path: '" + d + "\\s1'");
    size_t s3 = Where(text, "Deleted path: '" + d + "\\s3'");
    size_t top = Where(text, "Deleted path: '" + d + "'");
    for (size_t at : {a, b, c, s1, s2, s3, top}) ASSERT_NE(std::string::npos, at) << text;
    EXPECT_LT(a, b);   // the level's files before its subdirectories
    EXPECT_LT(b, c);   // then each subdirectory: its files first,
    EXPECT_LT(c, s2);  // then its own subdirectories completely,
    EXPECT_LT(s2, s1); // then itself
    EXPECT_LT(s1, top);
    EXPECT_LT(s3, top);
    RemoveFolderTree(root);
}

TEST(DeleteTree, FilesAtAnyDepthWithoutRemovingDirectories)
{
    std::string root = MakeTempFolder("walkfiles");
    std::string log = OpenTestLog(root, false);
    std::string d = root + "\\d";
    CreateDirectoryA(d.c_str(), NULL);
    MakeSampleTree(d);
    EXPECT_EQ(1, DeleteTree((d + "\\*.log").c_str(), TRUE, FALSE, TRUE, NULL, NULL));
    EXPECT_FALSE(PathExists(d + "\\a.log"));
    EXPECT_FALSE(PathExists(d + "\\s1\\b.log"));
    EXPECT_FALSE(PathExists(d + "\\s1\\s2\\c.log"));
    EXPECT_TRUE(PathExists(d + "\\keep.txt"));
    EXPECT_TRUE(PathExists(d + "\\s1\\s2"));
    EXPECT_TRUE(PathExists(d + "\\s3"));
    std::string text = ReadText(log);
    EXPECT_EQ(3, CountOf(text, "Deleted file: '"));
    EXPECT_EQ(0, CountOf(text, "path"));
    RemoveFolderTree(root);
}

TEST(DeleteTree, EmptyDirectoriesGoBottomUpAndFullOnesStayQuietly)
{
    std::string root = MakeTempFolder("walkdirs");
    std::string log = OpenTestLog(root, false);
    std::string d = root + "\\d";
    CreateDirectoryA(d.c_str(), NULL);
    MakeSampleTree(d);
    DeleteFileA((d + "\\s1\\s2\\c.log").c_str());
    EXPECT_EQ(1, DeleteTree(d.c_str(), FALSE, TRUE, TRUE, NULL, NULL));
    EXPECT_FALSE(PathExists(d + "\\s1\\s2"));
    EXPECT_FALSE(PathExists(d + "\\s3"));
    EXPECT_TRUE(PathExists(d + "\\s1\\b.log"));  // s1 still holds a file: kept
    EXPECT_TRUE(PathExists(d));
    std::string text = ReadText(log);
    EXPECT_EQ(2, CountOf(text, "Deleted path: '"));
    EXPECT_EQ(0, FailureLines(text));  // "not empty" is quiet
    EXPECT_EQ(0, CountOf(text, "Deleted file"));
    RemoveFolderTree(root);
}

TEST(DeleteTree, PatternWithoutBackslashIsRefused)
{
    std::string root = MakeTempFolder("walkbad");
    std::string log = OpenTestLog(root, false);
    EXPECT_EQ(0, DeleteTree("*.log", TRUE, TRUE, FALSE, NULL, NULL));
    EXPECT_EQ(1, CountOf(ReadText(log), "***Invalid file pattern; path '*.log', pattern '', dirs 1, FilePaths 1"));
    RemoveFolderTree(root);
}

TEST(DeleteTree, MissingTreeIsSilentSuccess)
{
    std::string root = MakeTempFolder("walkmissing");
    std::string log = OpenTestLog(root, false);
    EXPECT_EQ(1, DeleteTree((root + "\\none\\*.log").c_str(), TRUE, TRUE, TRUE, NULL, NULL));
    EXPECT_EQ(0, FailureLines(ReadText(log)));
    RemoveFolderTree(root);
}

TEST(DeleteTree, NamesWithBlanksAndAnsiCharacters)
{
    std::string root = MakeTempFolder("walkansi");
    std::string log = OpenTestLog(root, false);
    std::string d = root + "\\Donn\xe9" "es de test";
    CreateDirectoryA(d.c_str(), NULL);
    CreateDirectoryA((d + "\\sous dossier \xe4").c_str(), NULL);
    WriteTextFile(d + "\\r\xe9sum\xe9 1.log");
    WriteTextFile(d + "\\sous dossier \xe4\\\xfc 2.log");
    EXPECT_EQ(1, DeleteTree((d + "\\*.log").c_str(), TRUE, TRUE, TRUE, NULL, NULL));
    EXPECT_FALSE(PathExists(d));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Deleted file: '" + d + "\\sous dossier \xe4\\\xfc 2.log'"));
    RemoveFolderTree(root);
}

TEST(DeleteTree, CcsidTablesAndInstallerLeftovers)
{
    std::string root = MakeTempFolder("ccsid");
    std::string log = OpenTestLog(root, false);
    CreateDirectoryA((root + "\\conv").c_str(), NULL);
    CreateDirectoryA((root + "\\conv\\more").c_str(), NULL);
    WriteTextFile(root + "\\conv\\ccsid1208.tbl");
    WriteTextFile(root + "\\conv\\more\\ccsid850.tbl");
    WriteTextFile(root + "\\conv\\other.txt");
    EXPECT_EQ(1, DeleteCcsidTables(root.c_str()));
    EXPECT_FALSE(PathExists(root + "\\conv\\ccsid1208.tbl"));
    EXPECT_FALSE(PathExists(root + "\\conv\\more"));
    EXPECT_TRUE(PathExists(root + "\\conv\\other.txt"));
    EXPECT_EQ(1, DeleteCcsidTables((root + "\\missing").c_str()));

    std::string uninst = root + "\\uninst";
    CreateDirectoryA(uninst.c_str(), NULL);
    WriteTextFile(uninst + "\\server.u00");
    WriteTextFile(uninst + "\\help.u01");
    WriteTextFile(uninst + "\\_isuser.dll");
    EXPECT_EQ(1, DeleteInstallerLeftovers(uninst.c_str(), FALSE));
    EXPECT_FALSE(PathExists(uninst + "\\server.u00"));
    EXPECT_FALSE(PathExists(uninst + "\\help.u01"));
    EXPECT_TRUE(PathExists(uninst + "\\_isuser.dll"));
    EXPECT_EQ(1, DeleteInstallerLeftovers(uninst.c_str(), TRUE));
    EXPECT_FALSE(PathExists(uninst));
    RemoveFolderTree(root);
}
