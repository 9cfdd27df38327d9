// Libraries whose version data is damaged: the walk goes on, nothing is read
// outside the data, and only what can be trusted is reported.
#include "harness.h"
#include <gtest/gtest.h>
#include <map>

TEST(VLVerDamaged, DamagedVersionDataIsReportedByNameOnly)
{
    std::string root = MakeTempTree("damaged");
    const char* cases[] = {"handmade", "rootlong", "childover", "zerolen",
                           "noterm", "truncated", "shorttrans"};
    for (const char* c : cases)
        ASSERT_TRUE(CopySample(("vlver_sample_bad_" + std::string(c) + ".dll").c_str(),
                               root + "\\" + c + ".dll"));
    // A library that is no image at all, and one cut off after its headers.
    ASSERT_TRUE(WriteBytes(root + "\\garbage.dll", std::string(5000, '\xA5')));
    std::string image = ReadBytes(std::string(VL_BIN_DIR) + "\\vlver_sample_full.dll");
    ASSERT_GT(image.size(), 1024u);
    ASSERT_TRUE(WriteBytes(root + "\\cutoff.dll", image.substr(0, 1024)));
    ASSERT_TRUE(CopySample("vlver_sample_partial.exe", root + "\\after.exe"));

    std::map<std::string, std::string> blocks;
    // The sound hand-built data shows that each damaged copy differs by its damage only.
    blocks["handmade.dll"] = Block(root + "\\handmade.dll", "040904B0",
                                   {{"FileDescription", "Hand made"}, {"FileVersion", "1.0"}, {"Level", "7"}});
    for (const char* c : {"rootlong", "childover", "zerolen", "noterm", "truncated", "shorttrans"}) {
        std::string name = std::string(c) + ".dll";
        blocks[name] = Block(root + "\\" + name, NULL, {});
    }

    ProductKey key;
    ASSERT_TRUE(key.SetFilePath(root));
    RunResult r = RunVLVer();
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(0u, r.exitCode);

    std::string expected = Block(root + "\\after.exe", "041D04E4",
                                 {{"FileDescription", "Partial tool"}, {"CompanyName", "Norvik"},
                                  {"FileVersion", "2.0"}, {"OriginalFilename", "partial.exe"},
                                  {"Release", "R1"}});
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((root + "\\*.dll").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    do
        expected += blocks[found.cFileName];  // garbage and cutoff: no block
    while (FindNextFileA(h, &found));
    FindClose(h);
    EXPECT_EQ(expected, ReadBytes(root + "\\VLVER.TXT"));
    EXPECT_NE(std::string::npos, r.out.find("Created file " + root + "\\VLVER.TXT\r\n"));
    RemoveTree(root);
}
