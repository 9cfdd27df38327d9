// The response file read from disk and the lookups the pages make, in process.
#include "core/log.h"
#include "core/response.h"
#include "core/runstate.h"
#include "fixture.h"
#include "runner.h"
#include <gtest/gtest.h>

namespace {

struct ResponseWinTest : ::testing::Test {
    std::string folder, log;
    HWND page = NULL;
    void SetUp() override
    {
        folder = MakeUniqueTempFolder("rsp");
        log = folder + "\\rsp.log";
        RunStateReset();
        LogOpen(1, 1, log.c_str());
        gRun.MsgNext = RegisterWindowMessageA("VarolinkUninstallNext");
        gRun.MsgCancel = RegisterWindowMessageA("VarolinkUninstallCancel");
        page = CreateWindowA("STATIC", "page", 0, 0, 0, 10, 10, HWND_MESSAGE, NULL, NULL, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(page);
        ResponseReset();
        LogClose();
        DeleteFolderTree(folder);
    }
    bool Read(const std::string &text)
    {
        std::string path = folder + "\\a.rsp";
        WriteTextFile(path, text);
        CopyText(gRun.ResponseFilePath, path);
        return ReadResponseFile();
    }
    static void CopyText(char *out, const std::string &text) { snprintf(out, VL_PATH_SIZE, "%s", text.c_str()); }
    // The registered message posted to the page, or 0.
    UINT Posted()
    {
        MSG message;
        if (PeekMessageA(&message, page, 0, 0, PM_REMOVE)) return message.message;
        return 0;
    }
};

TEST_F(ResponseWinTest, LookupsLogWhatIsMissing)
{
    ASSERT_TRUE(Read("[Varolink]\nVarolink=REMOVE\n[Components]\nServer=REMOVEDATA\nInternet Gateway=maybe\n"));
    char value[VL_TEXT_SIZE];
    EXPECT_TRUE(ResponseLookup("varolink", "VAROLINK", value));
    EXPECT_STREQ(value, "REMOVE");
    EXPECT_FALSE(ResponseLookup("Nowhere", "x", value));
    EXPECT_FALSE(ResponseLookup("Varolink", "LockedFiles", value));
    BOOL flag = FALSE;
    EXPECT_TRUE(ResponseComponentChoice("Server", &flag));
    EXPECT_TRUE(flag);
    flag = FALSE;
    EXPECT_FALSE(ResponseComponentChoice("Internet Gateway", &flag));
    EXPECT_FALSE(ResponseComponentChoice("Development Toolkit", &flag));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(InOrder(LogEntries(log), {"Response file:", "  [Varolink]", "Stanza 'Nowhere' not found",
                                          "Stanza 'Varolink' keyword 'LockedFiles' not found",
                                          "Unknown value [Components] Internet Gateway=maybe",
                                          "Stanza 'Components' keyword 'Development Toolkit' not found",
                                          "Unknown value [Components] Development Toolkit="}));
}

TEST_F(ResponseWinTest, LockedFilesAnswers)
{
    ASSERT_TRUE(Read("[Varolink]\nLockedFiles=Continue\n"));
    EXPECT_TRUE(ApplyLockedFilesAnswer(page));
    EXPECT_EQ(Posted(), gRun.MsgNext);
    ResponseReset();
    ASSERT_TRUE(Read("[Varolink]\nLockedFiles=CANCEL\n"));
    EXPECT_TRUE(ApplyLockedFilesAnswer(page));
    EXPECT_EQ(Posted(), gRun.MsgCancel);
    ResponseReset();
    ASSERT_TRUE(Read("[Varolink]\nLockedFiles=perhaps\n"));
    EXPECT_TRUE(ApplyLockedFilesAnswer(page));
    EXPECT_EQ(Posted(), gRun.MsgCancel);
    ResponseReset();
    ASSERT_TRUE(Read("[Varolink]\nVarolink=REMOVE\n"));
    EXPECT_FALSE(ApplyLockedFilesAnswer(page));
    EXPECT_EQ(Posted(), 0u);
    EXPECT_TRUE(InOrder(LogEntries(log), {"***Locked files found; LockedFiles=Continue.",
                                          "***Locked files found; LockedFiles=CANCEL.",
                                          "Unknown value [Varolink] LockedFiles=perhaps",
                                          "Stanza 'Varolink' keyword 'LockedFiles' not found"}));
}

TEST_F(ResponseWinTest, UnreadableFile)
{
    CopyText(gRun.ResponseFilePath, folder + "\\missing.rsp");
    EXPECT_FALSE(ReadResponseFile());
    EXPECT_EQ(LogEntries(log).back(), "Can't open '" + folder + "\\missing.rsp'");
}

}  // namespace
