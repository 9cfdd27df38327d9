#include "fixture.h"
#include "fixturelists.h"
#include "runner.h"
#include "expectation.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

static std::vector<std::string> Marked(const std::vector<std::string> &lines, const std::string &marker)
{
    std::vector<std::string> out;
    for (const std::string &line : lines)
        if (line.find(marker) != std::string::npos) out.push_back(line);
    return out;
}

TEST(SnapshotDiffTest, GoneCameAndChangedByIdentity)
{
    std::vector<std::string> before = {"dir C:\\A", "file C:\\A\\one.txt\tsize=1 crc=00000001",
                                       "file C:\\A\\two.txt\tsize=2 crc=00000002", "env Path\tREG_EXPAND_SZ C:\\A"};
    std::vector<std::string> after = {"dir C:\\A", "file C:\\A\\two.txt\tsize=3 crc=00000003",
                                      "file C:\\A\\three.txt\tsize=3 crc=00000003", "env Path\tREG_EXPAND_SZ C:\\B"};
    SnapshotDifference d = DiffSnapshots(before, after);
    EXPECT_EQ(d.Gone, std::vector<std::string>({"file C:\\A\\one.txt\tsize=1 crc=00000001"}));
    EXPECT_EQ(d.Came, std::vector<std::string>({"file C:\\A\\three.txt\tsize=3 crc=00000003"}));
    EXPECT_EQ(d.Changed, std::vector<std::string>({"env Path\tREG_EXPAND_SZ C:\\A -> REG_EXPAND_SZ C:\\B",
                                                   "file C:\\A\\two.txt\tsize=2 crc=00000002 -> size=3 crc=00000003"}));
    EXPECT_EQ(FormatDifference(d), "- file C:\\A\\one.txt\tsize=1 crc=00000001\n"
                                   "+ file C:\\A\\three.txt\tsize=3 crc=00000003\n"
                                   "~ env Path\tREG_EXPAND_SZ C:\\A -> REG_EXPAND_SZ C:\\B\n"
                                   "~ file C:\\A\\two.txt\tsize=2 crc=00000002 -> size=3 crc=00000003\n");
    EXPECT_EQ(FormatDifference(DiffSnapshots(before, before)), "");
    EXPECT_EQ(SnapshotIdentity("key HKLM\\Software\\Norvik"), "key HKLM\\Software\\Norvik");
    EXPECT_EQ(SnapshotCrc32(0, "123456789", 9), 0xCBF43926UL);
}

TEST(SnapshotDiffTest, FileRoundTripDropsCarriageReturns)
{
    std::string folder = MakeUniqueTempFolder("snapfile");
    std::vector<std::string> lines = {"dir C:\\x", "value HKLM\\K|(default)\tREG_SZ a b", ""};
    ASSERT_TRUE(WriteSnapshotFile(folder + "\\s.txt", lines));
    std::vector<std::string> read;
    ASSERT_TRUE(ReadSnapshotFile(folder + "\\s.txt", &read));
    EXPECT_EQ(read, lines);
    WriteTextFile(folder + "\\crlf.txt", "dir C:\\x\r\nfile C:\\x\\y\tsize=0 crc=00000000");
    ASSERT_TRUE(ReadSnapshotFile(folder + "\\crlf.txt", &read));
    EXPECT_EQ(read, std::vector<std::string>({"dir C:\\x", "file C:\\x\\y\tsize=0 crc=00000000"}));
    EXPECT_FALSE(ReadSnapshotFile(folder + "\\missing.txt", &read));
    DeleteFolderTree(folder);
}

// Changes of every kind the snapshot records, made between two real snapshots.
TEST(SnapshotTest, RecordsDriveRegistryEnvironmentAndMenuChanges)
{
    const std::string marker = "VlSnapMark" + std::to_string(GetCurrentProcessId());
    const std::string root = "C:\\" + marker, key = "Software\\Norvik\\" + marker;
    const std::string programs = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\" + marker;
    ASSERT_TRUE(WriteTextFile(root + "\\keep.txt", "same"));
    ASSERT_TRUE(WriteTextFile(root + "\\sub\\gone.txt", "gone"));
    ASSERT_TRUE(WriteTextFile(root + "\\edit.txt", "before"));
    ASSERT_TRUE(FixtureSetSystemEnv(marker, "C:\\one;C:\\two"));
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key + "\\Old").c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL),
              ERROR_SUCCESS);
    DWORD mask = 0x1f;
    RegSetValueExA(k, "Mask", 0, REG_DWORD, (const BYTE *)&mask, sizeof mask);
    RegSetValueExA(k, "Text", 0, REG_SZ, (const BYTE *)"line\tone\r\ntwo", 14);
    RegCloseKey(k);
    ASSERT_TRUE(FixtureShortcut(programs + "\\Tool.lnk", root + "\\keep.txt"));

    SnapshotOptions options;
    options.RegistryRoots = {key};
    std::vector<std::string> before = TakeSnapshot(options);

    DeleteFolderTree(root + "\\sub");
    WriteTextFile(root + "\\edit.txt", "after!");
    WriteTextFile(root + "\\new\\came.txt", "came");
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    WriteTextFile(std::string(temp) + marker + ".tmp", "temp files are churn");
    FixtureSetSystemEnv(marker, "C:\\one");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, (key + "\\Old").c_str());
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key + "\\New").c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL);
    RegCloseKey(k);
    DeleteFolderTree(programs);

    std::vector<std::string> after = TakeSnapshot(options);
    SnapshotDifference d = DiffSnapshots(before, after);
    EXPECT_EQ(Marked(d.Gone, marker),
              std::vector<std::string>({"dir C:\\" + marker + "\\sub",
                                        "file C:\\" + marker + "\\sub\\gone.txt\tsize=4 crc=" + "02984f45",
                                        "key HKLM\\" + key + "\\Old",
                                        "menu Programs\\" + marker + "\\",
                                        Marked(before, marker + "\\Tool.lnk").at(0),
                                        "value HKLM\\" + key + "\\Old|Mask\tREG_DWORD 0x0000001f",
                                        "value HKLM\\" + key + "\\Old|Text\tREG_SZ line\\x09one\\x0d\\x0atwo"}))
        << FormatDifference(d);
    EXPECT_EQ(Marked(d.Came, marker),
              std::vector<std::string>({"dir C:\\" + marker + "\\new",
                                        "file C:\\" + marker + "\\new\\came.txt\tsize=4 crc=" + "ac49a6db",
                                        "key HKLM\\" + key + "\\New"}))
        << FormatDifference(d);
    std::vector<std::string> changed = Marked(d.Changed, marker);
    ASSERT_EQ(changed.size(), 2u) << FormatDifference(d);
    EXPECT_EQ(changed[0], "env " + marker + "\tREG_EXPAND_SZ C:\\one;C:\\two -> REG_EXPAND_SZ C:\\one");
    EXPECT_EQ(changed[1].substr(0, changed[1].find('\t')), "file C:\\" + marker + "\\edit.txt");
    EXPECT_TRUE(Marked(after, "service ").size() > 0) << "the services are part of a snapshot";

    DeleteFolderTree(root);
    DeleteFileA((std::string(temp) + marker + ".tmp").c_str());
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
    FixtureDeleteSystemEnv(marker);
}

// The command-line tool writes snapshot files and reports a difference by its exit code.
TEST(SnapshotTest, ToolTakesAndDiffs)
{
    std::string folder = MakeUniqueTempFolder("vlsnap");
    std::string tool = "\"" VL_BIN_DIR "\\vlsnap.exe\" ";
    const std::string marker = "C:\\VlSnapTool" + std::to_string(GetCurrentProcessId());
    ASSERT_EQ(RunProgram(tool + "take \"" + folder + "\\a.txt\" -k Software\\Norvik\\None"), 0);
    ASSERT_TRUE(WriteTextFile(marker + "\\x.txt", "x"));
    ASSERT_EQ(RunProgram(tool + "take \"" + folder + "\\b.txt\" -k Software\\Norvik\\None"), 0);
    std::vector<std::string> b;
    ASSERT_TRUE(ReadSnapshotFile(folder + "\\b.txt", &b));
    EXPECT_EQ(Marked(b, marker).size(), 2u);
    EXPECT_EQ(RunProgram(tool + "diff \"" + folder + "\\a.txt\" \"" + folder + "\\b.txt\""), 1);
    EXPECT_EQ(RunProgram(tool + "diff \"" + folder + "\\b.txt\" \"" + folder + "\\b.txt\""), 0);
    EXPECT_EQ(RunProgram(tool + "diff \"" + folder + "\\b.txt\" \"" + folder + "\\none.txt\""), 2);
    EXPECT_EQ(RunProgram(tool + "take"), 2);
    DeleteFolderTree(marker);
    DeleteFolderTree(folder);
}

TEST(ExpectationTest, PatternsAreCaseBlindWildcards)
{
    EXPECT_TRUE(PatternMatches("file C:\\Varolink\\*", "FILE c:\\varolink\\Program\\bin\\a.dll"));
    EXPECT_TRUE(PatternMatches("*\\bin\\*.dll", "file C:\\P\\bin\\x\\a.dll"));
    EXPECT_TRUE(PatternMatches("dir C:\\P", "dir C:\\P"));
    EXPECT_FALSE(PatternMatches("dir C:\\P", "dir C:\\P\\bin"));
    EXPECT_FALSE(PatternMatches("*.dll", "file a.dll.bak"));
    EXPECT_TRUE(PatternMatches("*", ""));
}

// Every line of the difference must be accounted for; each rule reports what broke it.
TEST(ExpectationTest, UnaccountedChangesAndBrokenRulesAreFailures)
{
    std::vector<std::string> before = {"dir C:\\P", "file C:\\P\\a.dll\tsize=1", "file C:\\P\\b.dll\tsize=1",
                                       "file C:\\D\\data.dat\tsize=5", "env Path\tREG_SZ C:\\P", "file C:\\D\\log.txt\tsize=1"};
    std::vector<std::string> after = {"file C:\\D\\data.dat\tsize=5", "env Path\tREG_SZ ", "file C:\\D\\log.txt\tsize=2",
                                      "file C:\\D\\Config.reg\tsize=9"};
    ExpectedDifference good;
    good.MustGo = {"file C:\\P\\*.dll"};
    good.MayGo = {"dir C:\\P"};
    good.MustStay = {"file C:\\D\\data.dat"};
    good.MustCome = {"file C:\\D\\Config.reg"};
    good.MustChange = {"env Path"};
    good.MayChange = {"file C:\\D\\log.txt"};
    EXPECT_EQ(CheckDifference(before, after, good), std::vector<std::string>());

    ExpectedDifference strict = good;
    strict.MayGo.clear();
    strict.MayChange.clear();
    strict.MustCome = {"file C:\\D\\Other.reg"};
    strict.MustStay.push_back("file C:\\D\\log.txt");
    strict.MustGo.push_back("file C:\\X\\*");
    EXPECT_EQ(CheckDifference(before, after, strict),
              std::vector<std::string>({"nothing before matches what must go: file C:\\X\\*",
                                        "should have stayed unchanged: file C:\\D\\log.txt",
                                        "should have come: file C:\\D\\Other.reg", "went unexpectedly: dir C:\\P",
                                        "came unexpectedly: file C:\\D\\Config.reg\tsize=9"}));
    ExpectedDifference nothingGoes;
    nothingGoes.MustStay = {"file C:\\P\\*"};
    std::vector<std::string> failures = CheckDifference(before, after, nothingGoes);
    ASSERT_GE(failures.size(), 2u);
    EXPECT_EQ(failures[0], "should have stayed: file C:\\P\\a.dll");
    EXPECT_EQ(failures[1], "should have stayed: file C:\\P\\b.dll");
}
