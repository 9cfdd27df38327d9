// The run's ledger: what is counted, what is kept for the end of the run, and
// that two threads may record at once.
#include "core/ledger.h"
#include "core/mbchar.h"
#include <gtest/gtest.h>
#include <stdio.h>

namespace {

struct Ledger : ::testing::Test {
    void SetUp() override { LedgerReset(); }
    void TearDown() override
    {
        LedgerReset();
        MbSetLeadRanges(NULL);
    }
};

TEST_F(Ledger, CountsEveryOutcomeAndKeepsAllButTheDoneOnes)
{
    LedgerRecord(LEDGER_FILE, LEDGER_DONE, "C:\\p\\a.dll");
    LedgerRecord(LEDGER_KEY, LEDGER_DONE, "Software\\Norvik");
    LedgerRecord(LEDGER_WRITE, LEDGER_DONE, "C:\\p\\Config.reg");
    LedgerRecord(LEDGER_FILE, LEDGER_FAILED, "C:\\p\\b.dll", ERROR_ACCESS_DENIED);
    LedgerRecord(LEDGER_FOLDER, LEDGER_REFUSED, "C:\\Users", 5);
    LedgerRecord(LEDGER_FILE, LEDGER_IN_USE, "C:\\p\\c.dll");
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.Deleted, 2);
    EXPECT_EQ(totals.Changed, 1);
    EXPECT_EQ(totals.Failed, 1);
    EXPECT_EQ(totals.Refused, 1);
    EXPECT_EQ(totals.InUse, 1);
    EXPECT_EQ(totals.WouldDelete + totals.WouldChange, 0);

    ASSERT_EQ(LedgerItemCount(), 3);
    LedgerItem item;
    ASSERT_TRUE(LedgerItemAt(0, &item));
    EXPECT_STREQ(item.Target, "C:\\p\\b.dll");
    EXPECT_EQ(item.Error, (DWORD)ERROR_ACCESS_DENIED);
    ASSERT_TRUE(LedgerItemAt(1, &item));
    EXPECT_EQ(item.Error, 0u) << "only a failure carries an error";
    EXPECT_FALSE(LedgerItemAt(3, &item));

    ASSERT_TRUE(LedgerFind("c:\\P\\C.DLL", &item));
    EXPECT_EQ(item.Outcome, LEDGER_IN_USE);
    EXPECT_FALSE(LedgerFind("C:\\p\\a.dll", &item)) << "done items are only counted";
}

TEST_F(Ledger, PreviewKnowsWhatWouldGoFolderByFolder)
{
    LedgerRecord(LEDGER_FILE, LEDGER_WOULD, "C:\\p\\bin\\a.dll");
    LedgerRecord(LEDGER_FILE, LEDGER_WOULD, "C:\\P\\BIN\\b.dll");
    LedgerRecord(LEDGER_FILE, LEDGER_WOULD, "C:\\p\\bin\\b.dll");   // twice is once
    LedgerRecord(LEDGER_FOLDER, LEDGER_WOULD, "C:\\p\\bin\\");
    LedgerRecord(LEDGER_PROGRAM, LEDGER_WOULD, "C:\\p\\stop.exe");
    EXPECT_TRUE(LedgerWouldGo("c:\\p\\BIN\\A.DLL"));
    EXPECT_TRUE(LedgerWouldGo("C:\\p\\bin"));
    EXPECT_FALSE(LedgerWouldGo("C:\\p\\stop.exe")) << "a program started removes nothing";
    EXPECT_EQ(LedgerWouldGoIn("C:\\p\\bin"), 2);
    EXPECT_EQ(LedgerWouldGoIn("C:\\p"), 1);
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.WouldDelete, 4);
    EXPECT_EQ(totals.WouldChange, 1);
}

TEST_F(Ledger, FoldsOnlySingleByteLettersUnderADoubleByteCodePage)
{
    static const unsigned char k932[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
    MbSetLeadRanges(k932);
    // 0x83 0x41 and 0x83 0x61 are two different characters.
    LedgerRecord(LEDGER_FILE, LEDGER_WOULD, "C:\\p\\\x83\x41.h");
    EXPECT_TRUE(LedgerWouldGo("c:\\P\\\x83\x41.H"));
    EXPECT_FALSE(LedgerWouldGo("C:\\p\\\x83\x61.h"));
    // A folder whose name ends in 0x5C as a second byte is not a trailing separator.
    LedgerRecord(LEDGER_FILE, LEDGER_WOULD, "C:\\p\\\x83\x5C\\x.txt");
    EXPECT_EQ(LedgerWouldGoIn("C:\\p\\\x83\x5C"), 1);
}

DWORD WINAPI RecordMany(void *kind)
{
    char path[64];
    for (int i = 0; i < 2000; ++i) {
        snprintf(path, sizeof path, "C:\\p\\%d\\%d.txt", (int)(INT_PTR)kind, i);
        LedgerRecord(LEDGER_FILE, i % 2 ? LEDGER_WOULD : LEDGER_DONE, path);
    }
    return 0;
}

TEST_F(Ledger, TwoThreadsRecordingAtOnceLoseNothing)
{
    HANDLE threads[2] = {CreateThread(NULL, 0, RecordMany, (void *)1, 0, NULL),
                         CreateThread(NULL, 0, RecordMany, (void *)2, 0, NULL)};
    ASSERT_TRUE(threads[0] && threads[1]);
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    CloseHandle(threads[0]);
    CloseHandle(threads[1]);
    LedgerTotals totals;
    LedgerGetTotals(&totals);
    EXPECT_EQ(totals.Deleted, 2000);
    EXPECT_EQ(totals.WouldDelete, 2000);
    EXPECT_EQ(LedgerItemCount(), 2000);
    EXPECT_EQ(LedgerWouldGoIn("C:\\p\\1"), 1000);
}

}  // namespace
