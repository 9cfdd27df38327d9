// Reparse points under Wine (Unix symbolic links inside the prefix): no walk,
// removal or deletion starts at one, passes through one or enters one met on
// the way, not even when a listed subfolder is swapped for one before it is
// entered. Every target keeps its canary files; every refusal is one "***"
// line naming the path and the link.
#include "testutil.h"
#include "core/log.h"
#include "core/pathguard.h"
#include "removal/directories.h"
#include "removal/filelist.h"
#include "removal/files.h"
#include "engine/procedure.h"
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace {

class LinkGuard : public ::testing::Test {
protected:
    std::string work, log, canary, P;
    std::vector<std::string> links;

    void SetUp() override
    {
        GuardClearRoots();
        work = MakeTempFolder("links");
        log = OpenTestLog(work);
        canary = work + "\\Canary";
        P = work + "\\P";
        for (const std::string &folder : {canary, canary + "\\sub", canary + "\\uninst", P})
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL)) << folder;
        for (const char *file : {"\\keep.txt", "\\S1.LOG", "\\sub\\keep.txt", "\\uninst\\avliclcn.reg"})
            WriteTextFile(canary + file);
    }

    void TearDown() override
    {
        SetWalkHook(NULL);
        GuardClearRoots();
        // Links first: the folder clean-up of the test kit would follow them.
        for (auto link = links.rbegin(); link != links.rend(); ++link) EXPECT_TRUE(RemoveLink(*link)) << *link;
        LogEnable(0);
        RemoveFolderTree(work);
    }

    void Link(const std::string &link, const std::string &target)
    {
        ASSERT_TRUE(MakeLink(link, target)) << link;
        DWORD attributes = GetFileAttributesA(link.c_str());
        ASSERT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) << link;
        links.push_back(link);
    }

    void ExpectCanary(const std::string &what)
    {
        for (const char *file : {"\\keep.txt", "\\S1.LOG", "\\sub\\keep.txt", "\\uninst\\avliclcn.reg"})
            EXPECT_TRUE(PathExists(canary + file)) << canary + file << " after " << what;
    }

    // One call refused with exactly `lines` "***" lines, each holding `text`;
    // the canary untouched.
    void ExpectRefused(const std::string &what, const std::string &text, const std::function<int()> &call,
                       int lines = 1)
    {
        size_t before = ReadText(log).size();
        EXPECT_EQ(0, call()) << what;
        std::string added = ReadText(log).substr(before);
        EXPECT_EQ(lines, FailureLines(added)) << what << ":\n" << added;
        EXPECT_EQ(lines, CountOf(added, text)) << what << " wants '" << text << "':\n" << added;
        ExpectCanary(what);
    }
};

std::string Refused(const std::string &path, const std::string &link = "")
{
    if (link.empty() || link == path) return "***Unsafe path refused: '" + path + "' (reparse point)";
    return "***Unsafe path refused: '" + path + "' (reparse point '" + link + "')";
}

}  // namespace

TEST_F(LinkGuard, NothingStartsAtOrPassesThroughALink)
{
    std::string book = P + "\\book";
    Link(book, canary);
    BOOL whole = TRUE;
    ExpectRefused("obsolete books", Refused(book), [&] { return DeleteTree((book + "\\*").c_str(), 1, 1, 1, 0, 0); });
    ExpectRefused("below the link", Refused(book + "\\sub", book),
                  [&] { return DeleteTree((book + "\\sub\\*").c_str(), 1, 1, 1, 0, 0); });
    ExpectRefused("folders only", Refused(book), [&] { return DeleteTree(book.c_str(), 0, 1, 1, 0, 0); });
    // Removing the link itself would take its (empty) target with it under Wine.
    ExpectRefused("rmdir the link", Refused(book), [&] { return RemoveDirectoryPath(book.c_str(), FALSE); });
    ExpectRefused("rmdir below", Refused(book + "\\sub", book),
                  [&] { return RemoveDirectoryPath((book + "\\sub").c_str(), FALSE); });
    ExpectRefused("named file", Refused(book + "\\keep.txt", book),
                  [&] { return DeleteFilePath((book + "\\keep.txt").c_str(), FALSE); });
    ExpectRefused("pattern", Refused(book + "\\*.txt", book),
                  [&] { return DeleteFilePath((book + "\\*.txt").c_str(), FALSE); });
    ExpectRefused("log folder", Refused(book), [&] { return CleanLogDirectory(book.c_str(), NULL, NULL); });
    ExpectRefused("data folder", Refused(book), [&] { return CleanDataDirectory(book.c_str(), P.c_str(), 0, 0, &whole); });
    ExpectRefused("web admin", Refused(book), [&] { return CleanWebAdminDirectory(book.c_str(), NULL, NULL); });
    ExpectRefused("uninst", Refused(book), [&] { return DeleteInstallerLeftovers(book.c_str(), TRUE); }, 3);

    // A list line through the link, and a list applied to it.
    std::string uninst = work + "\\uninst";
    ASSERT_TRUE(CreateDirectoryA(uninst.c_str(), NULL));
    WriteTextFile(uninst + "\\libhtml.u00", "x\\book\\keep.txt\nx\\book\\sub\\keep.txt\n");
    std::string lower = P + "\\book";
    for (char &c : lower) c = (char)tolower((unsigned char)c);
    // Both files, then both folders the list gathered.
    ExpectRefused("listed files", lower, [&] {
        return ProcessFileList(FALSE, FALSE, 0, NULL, NULL, NULL, "libhtml", uninst.c_str(), P.c_str());
    }, 4);
    ExpectRefused("list target", Refused(book), [&] {
        return ProcessFileList(FALSE, FALSE, 0, NULL, NULL, NULL, "libhtml", uninst.c_str(), book.c_str());
    });

    // The quiet deletions of the component procedures: P\uninst is a link.
    std::string Q = work + "\\Q";
    ASSERT_TRUE(CreateDirectoryA(Q.c_str(), NULL));
    Link(Q + "\\uninst", canary + "\\uninst");
    ProcedureRun run;
    ProcedureBegin(&run, FALSE, Q.c_str(), Q.c_str(), "", NULL, NULL, NULL, NULL);
    size_t before = ReadText(log).size();
    DeleteUninstFileQuietly(&run, "avliclcn.reg");
    EXPECT_EQ(1, CountOf(ReadText(log).substr(before), Refused(Q + "\\uninst\\avliclcn.reg", Q + "\\uninst")));
    ExpectCanary("quiet deletion");
}

TEST_F(LinkGuard, ALinkInsideAWalkIsNeitherEnteredNorRemoved)
{
    std::string tree = P + "\\tree";
    ASSERT_TRUE(CreateDirectoryA(tree.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA((tree + "\\real").c_str(), NULL));
    WriteTextFile(tree + "\\a.txt");
    WriteTextFile(tree + "\\real\\b.txt");
    // (A link to a file is not shown as a reparse point under Wine, so only
    // links to folders are tried here.)
    Link(tree + "\\sub", canary);
    size_t before = ReadText(log).size();
    EXPECT_EQ(0, DeleteTree((tree + "\\*").c_str(), 1, 1, 1, NULL, NULL));
    std::string added = ReadText(log).substr(before);
    EXPECT_EQ(1, FailureLines(added)) << added;
    EXPECT_EQ(1, CountOf(added, Refused(tree + "\\sub"))) << added;
    EXPECT_FALSE(PathExists(tree + "\\a.txt"));
    EXPECT_FALSE(PathExists(tree + "\\real"));
    EXPECT_TRUE(PathExists(tree));   // still holds the links
    ExpectCanary("walk around links");
}

TEST_F(LinkGuard, AProductFolderBelowALinkIsWalkedButNoLinkBelowIt)
{
    // WorkPath lies below a link (another disk mounted into the tree): that
    // is the administrator's choice, and only what lies below it is checked.
    std::string real = work + "\\real", via = work + "\\via";
    ASSERT_TRUE(CreateDirectoryA(real.c_str(), NULL));
    for (const char *folder : {"\\D", "\\D\\x", "\\D\\y"})
        ASSERT_TRUE(CreateDirectoryA((real + folder).c_str(), NULL));
    WriteTextFile(real + "\\D\\x\\f.txt");
    Link(via, real);
    std::string D = via + "\\D";
    ExpectRefused("no product folder", Refused(D + "\\x", via),
                  [&] { return DeleteTree((D + "\\x\\*").c_str(), 1, 1, 1, 0, 0); });
    EXPECT_TRUE(PathExists(real + "\\D\\x\\f.txt"));

    GuardAddRoot("WorkPath", D.c_str());
    EXPECT_EQ(1, DeleteTree((D + "\\x\\*").c_str(), 1, 1, 1, NULL, NULL));
    EXPECT_FALSE(PathExists(real + "\\D\\x"));
    Link(D + "\\y\\link", canary);
    ExpectRefused("link below the product folder", Refused(D + "\\y\\link"),
                  [&] { return DeleteTree((D + "\\y\\link\\*").c_str(), 1, 1, 1, 0, 0); });
    // A product folder that is itself a link is not walked.
    GuardAddRoot("FilePath", via.c_str());
    ExpectRefused("product folder is a link", Refused(via), [&] { return DeleteTree(via.c_str(), 0, 1, 1, 0, 0); });
    EXPECT_TRUE(PathExists(real + "\\D\\y"));
}

namespace {

struct Swap {
    std::string Subfolder, Target;
    bool Done = false, Made = false;
};
Swap *sSwap;

// Between the listing of a level and the entering of its subfolder: the
// subfolder is moved away and a link to the canary put in its place.
void SwapForALink(const char *listed)
{
    if (!sSwap || sSwap->Done || std::string(listed).rfind(sSwap->Subfolder, 0) != 0) return;
    sSwap->Done = true;
    if (!MoveFileA(sSwap->Subfolder.c_str(), (sSwap->Subfolder + ".away").c_str())) return;
    sSwap->Made = MakeLink(sSwap->Subfolder, sSwap->Target);
}

}  // namespace

TEST_F(LinkGuard, ASubfolderSwappedForALinkAfterTheListingIsNotEntered)
{
    std::string tree = P + "\\tree", sub = tree + "\\sub";
    ASSERT_TRUE(CreateDirectoryA(tree.c_str(), NULL));
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), NULL));
    WriteTextFile(tree + "\\t.txt");
    WriteTextFile(sub + "\\s.txt");
    Swap swap;
    swap.Subfolder = sub;
    swap.Target = canary;
    sSwap = &swap;
    SetWalkHook(SwapForALink);
    size_t before = ReadText(log).size();
    int result = DeleteTree((tree + "\\*").c_str(), 1, 1, 1, NULL, NULL);
    SetWalkHook(NULL);
    sSwap = NULL;
    if (swap.Made) links.push_back(sub);
    ASSERT_TRUE(swap.Done && swap.Made);
    EXPECT_EQ(0, result);
    std::string added = ReadText(log).substr(before);
    EXPECT_EQ(1, FailureLines(added)) << added;
    EXPECT_EQ(1, CountOf(added, Refused(sub))) << added;
    EXPECT_FALSE(PathExists(tree + "\\t.txt"));
    EXPECT_TRUE(PathExists(sub + ".away\\s.txt"));   // moved before it was walked
    ExpectCanary("swap");
}
