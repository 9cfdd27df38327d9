// The receipt writer on its own: it replaces only an earlier receipt, never
// a file of another kind nor a folder in its place, and says why in the
// error it returns; code-page text reaches it as UTF-8.
#include "app/receipt.h"
#include "core/runstate.h"
#include "core/utf8.h"
#include "fixture.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

struct ReceiptWriter : ::testing::Test {
    std::string folder, path;
    void SetUp() override
    {
        RunStateReset();
        ReceiptNoteStart();
        folder = MakeUniqueTempFolder("receipt");
        path = folder + "\\run.json";
    }
    void TearDown() override { DeleteFolderTree(folder); }
    int Write(DWORD *error)
    {
        ReceiptFacts facts = {TRUE, 0, "C:\\logs\\run.txt", FALSE, path.c_str(), NULL};
        return WriteReceipt(facts, error);
    }
};

TEST_F(ReceiptWriter, ReplacesOnlyAnEarlierReceipt)
{
    DWORD error = 1;
    ASSERT_EQ(Write(&error), 1);
    EXPECT_EQ(error, 0u);
    std::string first = ReadTextFile(path);
    EXPECT_EQ(first.rfind("{\n  \"ReceiptVersion\": 1,", 0), 0u) << first;
    EXPECT_NE(first.find("\"LogPath\": \"C:\\\\logs\\\\run.txt\""), std::string::npos) << first;
    EXPECT_EQ(Write(&error), 1) << "an earlier receipt is replaced";

    WriteTextFile(path, "somebody's notes");
    EXPECT_EQ(Write(&error), 0);
    EXPECT_EQ(error, (DWORD)ERROR_FILE_EXISTS);
    EXPECT_EQ(ReadTextFile(path), "somebody's notes");

    DeleteFileA(path.c_str());
    CreateDirectoryA(path.c_str(), NULL);
    EXPECT_EQ(Write(&error), 0);
    EXPECT_EQ(error, (DWORD)ERROR_DIRECTORY);
}

TEST_F(ReceiptWriter, CodePageTextBecomesUtf8)
{
    std::string out;
    ASSERT_EQ(AnsiToUtf8("C:\\plain", &out), 1);
    EXPECT_EQ(out, "C:\\plain");
    ASSERT_EQ(AnsiToUtf8("", &out), 1);
    EXPECT_EQ(out, "");
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    ASSERT_EQ(AnsiToUtf8("caf\xE9", &out), 1);
    EXPECT_EQ(out, "caf\xC3\xA9");
}

}  // namespace
