// The uninstall log through the real named block and files.
#include "core/log.h"
#include "fixture.h"
#include "runner.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

namespace {

const char kFolder[] = "C:\\vllogtest";
const char kLog[] = "C:\\vllogtest\\u.log";

struct LogTest : ::testing::Test {
    void SetUp() override { DeleteFolderTree(kFolder); MakeFolders(kFolder); }
    void TearDown() override { LogClose(); DeleteFolderTree(kFolder); }
};

TEST_F(LogTest, HeaderOnEverySwitchOnAndLineFormats)
{
    LogOpen(1, 0, kLog);
    LogLine("not written while logging is off");
    LogEnable(1);
    LogEnable(1);
    LogLine("\nUninstallation ended.");
    LogLine("");
    LogLine("two\nlines");
    LogEnable(0);
    LogLine("dropped");
    LogEnable(1);
    std::vector<std::string> log = LogEntries(kLog);
    std::vector<std::string> expected = {"", std::string(69, '*'), log[2], "", "Uninstallation ended.", "",
                                         "two", "lines", "", std::string(69, '*'), log[10]};
    EXPECT_EQ(log, expected);
    EXPECT_NE(log[2].find(", 20"), std::string::npos) << log[2];  // "%A %B %d, %Y"
    // Every entry has its time stamp and a blank; the empty text is "HH:MM:SS ".
    std::string raw = ReadTextFile(kLog);
    EXPECT_NE(raw.find(":00 \r\n") != std::string::npos || raw.find(" \r\n") != std::string::npos, false);
    EXPECT_EQ(raw.find("\r\r"), std::string::npos);
    EXPECT_EQ(LogBlock()->Silent, 1);
}

TEST_F(LogTest, BlockLayoutAndASecondProcessShareTheFile)
{
    LogOpen(0, 1, kLog, "C:\\prog\\uninst\\", "C:\\prog\\uninst2\\", "C:\\prog\\uninst\\_isuser.dll");
    SharedLogBlock *block = LogBlock();
    ASSERT_TRUE(block != NULL);
    const char *base = (const char *)block;
    EXPECT_STREQ(base + 16, "C:\\prog\\uninst");
    EXPECT_STREQ(base + 276, "C:\\prog\\uninst2");
    EXPECT_STREQ(base + 536, "C:\\prog\\uninst\\_isuser.dll");
    EXPECT_STREQ(base + 796, kLog);
    LogLine("first");
    EXPECT_EQ(RunProgram("\"" VL_BIN_DIR "\\logwriter.exe\" from-another-process"), 0);
    LogLine("last");
    std::vector<std::string> log = LogEntries(kLog);
    EXPECT_TRUE(InOrder(log, {"first", "from-another-process", "last"}));
    // The other process found logging already on: no second header.
    int headers = 0;
    for (const std::string &line : log) headers += line == std::string(69, '*');
    EXPECT_EQ(headers, 1);
}

TEST_F(LogTest, OverlongLinesAndPathsDoNotOverflow)
{
    std::string longPath = std::string("C:\\") + std::string(400, 'p');
    LogOpen(0, 1, longPath.c_str());  // cut to the field; the file cannot be opened, nothing is written
    LogLine("x");
    LogClose();
    LogOpen(0, 1, kLog);
    std::string big(5000, 'b');
    LogLineF("%s", big.c_str());
    LogLine(big.c_str());
    std::vector<std::string> log = LogEntries(kLog);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), big);
}

// One writer thread: 10,000 numbered lines long enough that a mixed write
// would show inside a line.
static DWORD WINAPI WriteNumberedLines(void *tag)
{
    char line[300];
    for (int i = 0; i < 10000; i++) {
        snprintf(line, sizeof line, "%s %05d %s", (const char *)tag, i, std::string(200, *(const char *)tag).c_str());
        LogLine(line);
    }
    return 0;
}

TEST_F(LogTest, TwoThreadsAppendEveryLineWholeAndOnce)
{
    LogOpen(0, 1, kLog);
    static const char worker[] = "W", page[] = "P";
    HANDLE threads[2] = {CreateThread(NULL, 0, WriteNumberedLines, (void *)worker, 0, NULL),
                         CreateThread(NULL, 0, WriteNumberedLines, (void *)page, 0, NULL)};
    ASSERT_TRUE(threads[0] && threads[1]);
    ASSERT_EQ(WaitForMultipleObjects(2, threads, TRUE, 300000), WAIT_OBJECT_0);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    std::vector<std::string> log = LogEntries(kLog);
    std::vector<int> seen[2] = {std::vector<int>(10000), std::vector<int>(10000)};
    size_t others = 0;
    for (const std::string &line : log) {
        int which = line.rfind("W ", 0) == 0 ? 0 : line.rfind("P ", 0) == 0 ? 1 : -1;
        if (which < 0) { others++; continue; }
        int number = atoi(line.c_str() + 2);
        ASSERT_TRUE(number >= 0 && number < 10000) << line;
        char expected[300];
        snprintf(expected, sizeof expected, "%c %05d %s", line[0], number, std::string(200, line[0]).c_str());
        ASSERT_EQ(line, expected);
        seen[which][number]++;
    }
    EXPECT_EQ(others, 3u);  // the header: empty line, asterisks, date
    for (int which = 0; which < 2; which++)
        for (int i = 0; i < 10000; i++) ASSERT_EQ(seen[which][i], 1) << (which ? "P " : "W ") << i;
}

}  // namespace
