// DeleteFilePath and RemoveDirectoryPath against real files of the prefix.
#include "testutil.h"
#include "core/log.h"
#include "removal/files.h"
#include <gtest/gtest.h>

TEST(FileDeletion, OutcomesAndTheirLogLines)
{
    std::string dir = MakeTempFolder("delfile");
    std::string log = OpenTestLog(dir, false);
    std::string plain = dir + "\\plain.txt", readOnly = dir + "\\readonly.txt";
    WriteTextFile(plain);
    WriteTextFile(readOnly);
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);

    DWORD error = 99;
    EXPECT_EQ(1, DeleteFilePath(plain.c_str(), FALSE, &error));
    EXPECT_EQ(0u, error);
    EXPECT_FALSE(PathExists(plain));
    // Already gone: success, silent unless report-all.
    EXPECT_EQ(1, DeleteFilePath(plain.c_str(), FALSE, &error));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, error);
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Deleted file: '" + plain + "'"));
    EXPECT_EQ(0, CountOf(text, "not found"));
    EXPECT_EQ(1, DeleteFilePath(plain.c_str(), TRUE));
    EXPECT_EQ(1, DeleteFilePath((dir + "\\nofolder\\x.txt").c_str(), TRUE));
    // Read-only: access denied is final, the file stays.
    EXPECT_EQ(0, DeleteFilePath(readOnly.c_str(), FALSE, &error));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, error);
    EXPECT_TRUE(PathExists(readOnly));

    text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Delete file not found: '" + plain + "'"));
    EXPECT_EQ(1, CountOf(text, "Delete file not found: '" + dir + "\\nofolder\\x.txt'"));
    EXPECT_EQ(1, CountOf(text, "***Delete file access denied: '" + readOnly + "'"));
    RemoveFolderTree(dir);
}

// A file shown lower-cased is deleted under the spelling it came in; a
// spelling that names another path is never used.
TEST(FileDeletion, SpeltDeletionLogsOneNameAndNeverFollowsAnother)
{
    std::string dir = MakeTempFolder("DelSpelt");
    std::string log = OpenTestLog(dir, false);
    std::string lower = dir + "\\mixed.txt", spelt = dir + "\\MiXeD.TXT", other = dir + "\\Other.txt";
    for (char &c : lower) c = (char)tolower((unsigned char)c);
    WriteTextFile(spelt);
    WriteTextFile(other);
    EXPECT_EQ(1, DeleteFilePathSpelt(lower.c_str(), spelt.c_str(), FALSE));
    EXPECT_FALSE(PathExists(spelt));
    EXPECT_EQ(1, CountOf(ReadText(log), "Deleted file: '" + lower + "'"));
    WriteTextFile(spelt);
    EXPECT_EQ(1, DeleteFilePathSpelt(lower.c_str(), other.c_str(), FALSE));
    EXPECT_FALSE(PathExists(spelt));
    EXPECT_TRUE(PathExists(other));
    RemoveFolderTree(dir);
}

TEST(FileDeletion, HeldOpenByAnotherProcessIsInUse)
{
    std::string dir = MakeTempFolder("inuse");
    std::string log = OpenTestLog(dir, false);
    std::string held = dir + "\\held file.dat";
    WriteTextFile(held);
    Holder holder = HoldOpen(held);
    DWORD error = 0;
    EXPECT_EQ(0, DeleteFilePath(held.c_str(), FALSE, &error));
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, error);
    Release(holder);
    EXPECT_TRUE(PathExists(held));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "***Delete file in use: '" + held + "'"));  // reported once, no retry
    RemoveFolderTree(dir);
}

TEST(FileDeletion, PatternDeletesOneDirectoryLevelOnly)
{
    std::string dir = MakeTempFolder("pattern");
    std::string log = OpenTestLog(dir, false);
    CreateDirectoryA((dir + "\\sub").c_str(), NULL);
    WriteTextFile(dir + "\\a.tmp");
    WriteTextFile(dir + "\\b.tmp");
    WriteTextFile(dir + "\\c.txt");
    WriteTextFile(dir + "\\sub\\d.tmp");
    EXPECT_EQ(1, DeleteFilePath((dir + "\\*.tmp").c_str(), FALSE));
    EXPECT_FALSE(PathExists(dir + "\\a.tmp"));
    EXPECT_FALSE(PathExists(dir + "\\b.tmp"));
    EXPECT_TRUE(PathExists(dir + "\\c.txt"));
    EXPECT_TRUE(PathExists(dir + "\\sub\\d.tmp"));
    EXPECT_TRUE(PathExists(dir + "\\sub"));
    std::string text = ReadText(log);
    EXPECT_EQ(2, CountOf(text, "Deleted file: '"));
    EXPECT_EQ(0, CountOf(text, "Deleted path"));
    RemoveFolderTree(dir);
}

TEST(FileDeletion, DeletingTheLogFileSwitchesLoggingOffFirst)
{
    std::string dir = MakeTempFolder("logfile");
    std::string log = OpenTestLog(dir, false);
    LogLine("before");
    ASSERT_TRUE(PathExists(log));
    // Compared without regard to case.
    std::string upper = dir + "\\TEST.LOG";
    EXPECT_EQ(1, DeleteFilePath(upper.c_str(), FALSE));
    EXPECT_FALSE(PathExists(log));
    ASSERT_TRUE(LogBlock() != NULL);
    EXPECT_EQ(0, LogBlock()->Logging);
    LogLine("after");  // the log stays silent: the file is not made again
    EXPECT_FALSE(PathExists(log));
    RemoveFolderTree(dir);
}

TEST(FileDeletion, LongAndUnusualNamesAreHandledWithoutTruncation)
{
    std::string dir = MakeTempFolder("names");
    std::string log = OpenTestLog(dir, false);
    // Blanks and characters of the ANSI code page above 127.
    std::string odd = dir + "\\caf\xe9 na\xefve \xe4\xf6\xfc.txt";
    WriteTextFile(odd);
    ASSERT_TRUE(PathExists(odd));
    EXPECT_EQ(1, DeleteFilePath(odd.c_str(), FALSE));
    EXPECT_FALSE(PathExists(odd));
    // A path beyond 259 bytes: refused before the system sees it, logged, nothing crashes.
    std::string longPath = dir + "\\" + std::string(300, 'x');
    DWORD error = 0;
    EXPECT_EQ(0, DeleteFilePath(longPath.c_str(), FALSE, &error));
    EXPECT_EQ((DWORD)ERROR_FILENAME_EXCED_RANGE, error);
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Deleted file: '" + odd + "'"));
    EXPECT_EQ(1, CountOf(text, "'" + longPath + "'"));
    EXPECT_EQ(1, CountOf(text, "***Unsafe path refused: '" + longPath + "' (path too long)"));
    RemoveFolderTree(dir);
}

TEST(DirectoryRemoval, OutcomesAndTheQuietRules)
{
    std::string dir = MakeTempFolder("rmdir");
    std::string log = OpenTestLog(dir, false);
    std::string empty = dir + "\\empty", full = dir + "\\full", missing = dir + "\\missing";
    CreateDirectoryA(empty.c_str(), NULL);
    CreateDirectoryA(full.c_str(), NULL);
    WriteTextFile(full + "\\keep.txt");

    DWORD error = 99;
    EXPECT_EQ(1, RemoveDirectoryPath(empty.c_str(), FALSE, &error));
    EXPECT_EQ(0u, error);
    EXPECT_FALSE(PathExists(empty));
    EXPECT_EQ(1, RemoveDirectoryPath(full.c_str(), FALSE, &error));
    EXPECT_EQ(0u, error);
    EXPECT_TRUE(PathExists(full));
    EXPECT_EQ(1, RemoveDirectoryPath(missing.c_str(), FALSE));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Deleted path: '" + empty + "'"));
    EXPECT_EQ(0, FailureLines(text));

    // With report-all the quiet outcomes are logged and count as failures.
    EXPECT_EQ(0, RemoveDirectoryPath(full.c_str(), TRUE));
    EXPECT_EQ(0, RemoveDirectoryPath(missing.c_str(), TRUE));
    text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "***Delete path not empty: '" + full + "'"));
    EXPECT_EQ(1, CountOf(text, "***Delete path not found: '" + missing + "'"));
    RemoveFolderTree(dir);
}

// Takes 20 seconds: the directory is retried once a second.
TEST(DirectoryRemoval, HeldOpenIsRetriedTwentyTimesThenReported_Slow)
{
    std::string dir = MakeTempFolder("rmdirheld");
    std::string log = OpenTestLog(dir, false);
    std::string held = dir + "\\held";
    CreateDirectoryA(held.c_str(), NULL);
    Holder holder = HoldOpen(held);
    DWORD start = GetTickCount(), error = 0;
    EXPECT_EQ(0, RemoveDirectoryPath(held.c_str(), FALSE, &error));
    DWORD elapsed = GetTickCount() - start;
    Release(holder);
    EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, error);
    EXPECT_GE(elapsed, 19000u);
    EXPECT_TRUE(PathExists(held));
    std::string text = ReadText(log);
    EXPECT_EQ(20, CountOf(text, "Delete path in use; waiting: '" + held + "'"));
    EXPECT_EQ(1, CountOf(text, "***Delete path in use: '" + held + "'"));
    EXPECT_LT(Where(text, "waiting"), Where(text, "***Delete path in use"));
    RemoveFolderTree(dir);
}
