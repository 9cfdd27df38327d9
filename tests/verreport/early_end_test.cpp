// The early ends of VLVer: no product entry, arguments, no report file.
#include "harness.h"
#include <gtest/gtest.h>

static const char kNotFound[] =
    "VLVer: Norvik Varolink for Windows NT Server cannot be found on this machine\r\n";

static std::string Description(const std::string& folder)
{
    return "VLVer:  Output Version Information for Norvik Varolink Files\r\n"
           "  This utility will create a file called VLVER.TXT in " + folder + "\r\n";
}

static std::string CouldNotWrite(const std::string& report)
{
    return "VLVer: Could not write " + report + ".\r\n"
           "Check that the path exists, Varolink is installed, and the named file is not read only\r\n";
}

TEST(VLVerEarlyEnd, NoProductKeyWinsOverArguments)
{
    ProductKey key;  // put back afterwards; only meaningful when the key was absent
    if (!key.ExistedBefore()) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norvik\\Varolink\\CurrentVersion");
        for (const auto& args : {std::vector<std::string>{}, std::vector<std::string>{"-?"}}) {
            RunResult r = RunVLVer(args);
            ASSERT_TRUE(r.finished);
            EXPECT_EQ(0u, r.exitCode);
            EXPECT_EQ(kNotFound, r.out);
        }
    }
    // A key without "FilePath" counts as no product entry as well.
    ProductKey again;
    again.RemoveFilePath();
    RunResult r = RunVLVer({"anything"});
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(kNotFound, r.out);
}

TEST(VLVerEarlyEnd, FilePathTooLongOrEmptyIsNotFound)
{
    std::string dir = MakeTempTree("early");
    ProductKey key;
    // 260 characters and a terminator do not fit a path buffer.
    ASSERT_TRUE(key.SetFilePath(dir + "\\" + std::string(259 - dir.size(), 'x')));
    RunResult r = RunVLVer();
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(kNotFound, r.out);
    // An empty value names no folder (walking it would mean the drive's root).
    ASSERT_TRUE(key.SetFilePath(""));
    r = RunVLVer();
    EXPECT_EQ(kNotFound, r.out);
    RemoveTree(dir);
}

TEST(VLVerEarlyEnd, AnyArgumentPrintsTheDescriptionAndWritesNoReport)
{
    std::string dir = MakeTempTree("args");
    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(dir));
    for (const auto& args : {std::vector<std::string>{""}, std::vector<std::string>{"/?"},
                             std::vector<std::string>{"-x", "two words"}}) {
        RunResult r = RunVLVer(args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(0u, r.exitCode);
        EXPECT_EQ(Description(dir), r.out);
    }
    EXPECT_FALSE(Exists(dir + "\\VLVER.TXT"));
    RemoveTree(dir);
}

TEST(VLVerEarlyEnd, ReportThatCannotBeWritten)
{
    std::string dir = MakeTempTree("nowrite");
    ProductKey key;

    // The folder does not exist.
    ASSERT_TRUE(key.SetFilePath(dir + "\\missing"));
    RunResult r = RunVLVer();
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(CouldNotWrite(dir + "\\missing\\VLVER.TXT"), r.out);

    // The report exists and is read-only: it is left as it was.
    ASSERT_TRUE(key.SetFilePath(dir));
    ASSERT_TRUE(WriteBytes(dir + "\\VLVER.TXT", "old report"));
    SetFileAttributesA((dir + "\\VLVER.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
    r = RunVLVer();
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(CouldNotWrite(dir + "\\VLVER.TXT"), r.out);
    EXPECT_EQ("old report", ReadBytes(dir + "\\VLVER.TXT"));

    // The folder fits a path buffer but the report name behind it does not:
    // the message names the whole report path.
    std::string longDir = dir + "\\" + std::string(258 - dir.size(), 'y');
    ASSERT_EQ(259u, longDir.size());
    ASSERT_TRUE(MakeDir(longDir));
    ASSERT_TRUE(key.SetFilePath(longDir));
    r = RunVLVer();
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(CouldNotWrite(longDir + "\\VLVER.TXT"), r.out);
    RemoveTree(dir);
}
