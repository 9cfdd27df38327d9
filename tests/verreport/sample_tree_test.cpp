// Reports of sample trees built from our own programs and libraries.
#include "harness.h"
#include <gtest/gtest.h>

typedef std::vector<std::pair<std::string, std::string>> Keys;

static const Keys kMultiGerman = {
    {"FileDescription", "Deutsche Beschreibung"}, {"BuildDate", "1999-11-30"},
    {"CompanyName", "Norvik GmbH"}, {"FileVersion", "5.1.0.3 de"}, {"InternalName", "multi"},
    {"LegalCopyright", "(C) Norvik 1999"}, {"Level", "p510-03"}, {"OriginalFilename", "multi.exe"},
    {"ProductName", "Varolink"}, {"ProductVersion", "5.1"}, {"Package", "Server"}, {"Release", "R3"}};

static Keys FullKeys()
{
    std::string copyright = "L";
    for (int i = 0; i < 70; i++)
        copyright += "0123456789";
    copyright += "Z";
    return {{"FileDescription", "Varolink core library"}, {"BuildDate", "2000-01-15"},
            {"CompanyName", "Norvik"}, {"FileVersion", "5.1.0.0"}, {"InternalName", "core"},
            {"LegalCopyright", copyright}, {"Level", "p510"}, {"OriginalFilename", "core.dll"},
            {"ProductName", "Varolink for Windows NT"}, {"ProductVersion", "5.1"},
            {"Package", "Base"}, {"Release", ""}};
}

static const Keys kPartial = {{"FileDescription", "Partial tool"}, {"CompanyName", "Norvik"},
                              {"FileVersion", "2.0"}, {"OriginalFilename", "partial.exe"},
                              {"Release", "R1"}};

// One walked subfolder per folder and at most one reported .exe and .dll in
// each, so the whole report follows from the walk rules alone.
TEST(VLVerSampleTree, ReportAndConsoleAreExact)
{
    std::string root = MakeTempTree("tree");
    ASSERT_TRUE(CopySample("vlver_sample_multi.exe", root + "\\multi.exe"));
    ASSERT_TRUE(CopySample("vlver_sample_plain.exe", root + "\\plain.exe"));
    ASSERT_TRUE(CopySample("vlver_sample_full.dll", root + "\\core.dll"));
    ASSERT_TRUE(CopySample("vlver_sample_full.dll", root + "\\notes.txt"));
    ASSERT_TRUE(MakeDir(root + "\\tools.exe"));  // a folder matching *.exe: no report, no walk
    ASSERT_TRUE(CopySample("vlver_sample_full.dll", root + "\\tools.exe\\inside.dll"));
    ASSERT_TRUE(MakeDir(root + "\\samples.old"));
    ASSERT_TRUE(CopySample("vlver_sample_multi.exe", root + "\\samples.old\\old.exe"));
    ASSERT_TRUE(MakeDir(root + "\\.hidden"));
    ASSERT_TRUE(CopySample("vlver_sample_multi.exe", root + "\\.hidden\\hidden.exe"));
    ASSERT_TRUE(MakeDir(root + "\\bin"));
    ASSERT_TRUE(CopySample("vlver_sample_partial.exe", root + "\\bin\\partial.exe"));
    ASSERT_TRUE(CopySample("vlver_sample_notrans.dll", root + "\\bin\\notrans.dll"));
    ASSERT_TRUE(CopySample("vlver_sample_plain.exe", root + "\\bin\\plain.dll"));
    ASSERT_TRUE(MakeDir(root + "\\bin\\deep"));
    ASSERT_TRUE(CopySample("vlver_sample_full.dll", root + "\\bin\\deep\\deep.dll"));
    ASSERT_TRUE(WriteBytes(root + "\\VLVER.TXT", "an old report, longer than nothing"));

    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(root));
    RunResult r = RunVLVer();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);

    std::string expected = Block(root + "\\multi.exe", "040704E4", kMultiGerman) +
                           Block(root + "\\core.dll", "040904B0", FullKeys()) +
                           Block(root + "\\bin\\partial.exe", "041D04E4", kPartial) +
                           Block(root + "\\bin\\notrans.dll", NULL, {}) +
                           Block(root + "\\bin\\deep\\deep.dll", "040904B0", FullKeys());
    EXPECT_EQ(expected, ReadBytes(root + "\\VLVER.TXT"));
    EXPECT_EQ("VLVer: Working, please wait...\r\n" + LookingIn(root) + LookingIn(root + "\\bin") +
                  LookingIn(root + "\\bin\\deep") + "\r\nCreated file " + root + "\\VLVER.TXT\r\n",
              r.out);
    RemoveTree(root);
}

// Folder by folder: its .exe files, its .dll files, then each subfolder's
// whole subtree before the next subfolder.
TEST(VLVerSampleTree, WalkIsDepthFirstWithProgramsBeforeLibraries)
{
    std::string root = MakeTempTree("order");
    const char* dirs[] = {"", "\\a", "\\a\\a1", "\\b", "\\b\\b1"};
    for (const char* d : dirs) {
        ASSERT_TRUE(MakeDir(root + d));
        ASSERT_TRUE(CopySample("vlver_sample_full.dll", root + d + "\\lib.dll"));
        ASSERT_TRUE(CopySample("vlver_sample_partial.exe", root + d + "\\prog.exe"));
    }
    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(root));
    RunResult r = RunVLVer();
    ASSERT_TRUE(r.finished);

    // Subfolder order is the file system's: take it from the same search.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((root + "\\*.").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    std::vector<std::string> subs;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0] != '.')
            subs.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    ASSERT_EQ(2u, subs.size());

    std::vector<std::string> folders = {root};
    for (const std::string& s : subs) {
        folders.push_back(root + "\\" + s);
        folders.push_back(root + "\\" + s + "\\" + s + "1");
    }
    std::string expected, console = "VLVer: Working, please wait...\r\n";
    for (const std::string& f : folders) {
        expected += Block(f + "\\prog.exe", "041D04E4", kPartial) +
                    Block(f + "\\lib.dll", "040904B0", FullKeys());
        console += LookingIn(f);
    }
    EXPECT_EQ(expected, ReadBytes(root + "\\VLVER.TXT"));
    EXPECT_EQ(console + "\r\nCreated file " + root + "\\VLVER.TXT\r\n", r.out);
    RemoveTree(root);
}

// Names at and beyond the path limit: a file whose full name fills the path
// buffer exactly is reported; longer names cannot be opened by name and are
// left out, as are folders whose search pattern would not fit.
TEST(VLVerSampleTree, PathsAtTheLimit)
{
    std::string root = MakeTempTree("limit");
    ASSERT_TRUE(CopySample("vlver_sample_partial.exe", root + "\\first.exe"));
    // root\<folder> with "\*.exe" behind it is 259 characters.
    std::string deep = root + "\\" + std::string(253 - root.size() - 1, 'd');
    ASSERT_EQ(253u, deep.size());
    ASSERT_TRUE(MakeDir(deep));
    std::string fits = deep + "\\" + std::string(259 - deep.size() - 1 - 4, 'f') + ".dll";
    std::string tooLong = deep + "\\" + std::string(260 - deep.size() - 1 - 4, 'g') + ".exe";
    ASSERT_EQ(259u, fits.size());
    ASSERT_TRUE(CopySample("vlver_sample_full.dll", fits));
    ASSERT_TRUE(CopySample("vlver_sample_partial.exe", tooLong));
    // A folder whose own search pattern no longer fits.
    std::string deeper = deep + "\\" + "sub";
    ASSERT_TRUE(MakeDir(deeper));
    ASSERT_TRUE(CopySample("vlver_sample_partial.exe", deeper + "\\x.exe"));

    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(root));
    RunResult r = RunVLVer();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);
    EXPECT_EQ(Block(root + "\\first.exe", "041D04E4", kPartial) +
                  Block(fits, "040904B0", FullKeys()),
              ReadBytes(root + "\\VLVER.TXT"));
    EXPECT_EQ("VLVer: Working, please wait...\r\n" + LookingIn(root) + LookingIn(deep) +
                  LookingIn(deeper) + "\r\nCreated file " + root + "\\VLVER.TXT\r\n",
              r.out);
    RemoveTree(root);
}
