#include "fixture.h"
#include "fixturelists.h"
#include "runner.h"
#include "expectation.h"
#include "previewmatch.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
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
              std::vector<std::string>({Marked(before, "acl key HKLM\\" + key + "\\Old\t").at(0),
                                        "dir C:\\" + marker + "\\sub",
                                        "file C:\\" + marker + "\\sub\\gone.txt\tsize=4 crc=" + "02984f45",
                                        "key HKLM\\" + key + "\\Old",
                                        "menu Programs\\" + marker + "\\",
                                        Marked(before, marker + "\\Tool.lnk").at(0),
                                        Marked(before, "owner key HKLM\\" + key + "\\Old\t").at(0),
                                        "value HKLM\\" + key + "\\Old|Mask\tREG_DWORD 0x0000001f",
                                        "value HKLM\\" + key + "\\Old|Text\tREG_SZ line\\x09one\\x0d\\x0atwo"}))
        << FormatDifference(d);
    EXPECT_EQ(Marked(d.Came, marker),
              std::vector<std::string>({Marked(after, "acl key HKLM\\" + key + "\\New\t").at(0),
                                        "dir C:\\" + marker + "\\new",
                                        "file C:\\" + marker + "\\new\\came.txt\tsize=4 crc=" + "ac49a6db",
                                        "key HKLM\\" + key + "\\New",
                                        Marked(after, "owner key HKLM\\" + key + "\\New\t").at(0)}))
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

// Replaces the access list of a key or folder with one granting full
// control to Administrators and the given access to Everyone.
static DWORD SetTwoEntryAcl(const std::string &object, SE_OBJECT_TYPE type, DWORD everyone)
{
    EXPLICIT_ACCESS_A entries[2] = {};
    BuildExplicitAccessWithNameA(&entries[0], (LPSTR) "Administrators", GENERIC_ALL, SET_ACCESS, NO_INHERITANCE);
    BuildExplicitAccessWithNameA(&entries[1], (LPSTR) "Everyone", everyone, SET_ACCESS, NO_INHERITANCE);
    PACL acl = NULL;
    DWORD rc = SetEntriesInAclA(2, entries, NULL, &acl);
    if (rc != ERROR_SUCCESS) return rc;
    rc = SetNamedSecurityInfoA((LPSTR)object.c_str(), type, DACL_SECURITY_INFORMATION, NULL, NULL, acl, NULL);
    LocalFree(acl);
    return rc;
}

// Owners and access lists of the keys and the secured folders, and the run
// state of services: a changed access list is a change of its own; a key
// that goes takes its owner and access list along.
TEST(SnapshotTest, RecordsOwnerAccessListAndServiceState)
{
    const std::string marker = "VlSnapAcl" + std::to_string(GetCurrentProcessId());
    const std::string root = "C:\\" + marker, key = "Software\\Norvik\\" + marker;
    ASSERT_TRUE(MakeFolders(root + "\\Program"));
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (key + "\\Sub").c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL),
              ERROR_SUCCESS);
    RegCloseKey(k);
    SnapshotOptions options;
    options.RegistryRoots = {key};
    // Spelt in another case than on disk, and one that does not exist.
    options.SecuredFolders = {root + "\\PROGRAM", root + "\\Data"};
    std::vector<std::string> before = TakeSnapshot(options);
    for (const std::string &object : {"key HKLM\\" + key, "key HKLM\\" + key + "\\Sub", "dir " + root + "\\Program"})
        for (const char *kind : {"owner ", "acl "}) {
            std::vector<std::string> line = Marked(before, kind + object + "\t");
            ASSERT_EQ(line.size(), 1u) << kind << object;
            EXPECT_EQ(line[0].find("unreadable"), std::string::npos) << line[0];
        }
    EXPECT_TRUE(Marked(before, "dir " + root + "\\Data").empty());
    size_t states = 0, services = 0;
    for (const std::string &line : before) {
        services += line.rfind("service ", 0) == 0;
        if (line.rfind("state service ", 0) != 0) continue;
        std::string state = line.substr(line.find('\t') + 1);
        EXPECT_TRUE(state == "running" || state == "stopped") << line;
        states++;
    }
    EXPECT_TRUE(services > 0 && states == services) << "one run state per service";

    // Wine gives an object whose security was never written an owner (the
    // caller's primary group) when its access list is first written: the
    // owner may change with the first write, not with the next.
    ASSERT_EQ(SetTwoEntryAcl("MACHINE\\" + key + "\\Sub", SE_REGISTRY_KEY, GENERIC_READ), (DWORD)ERROR_SUCCESS);
    std::vector<std::string> written = TakeSnapshot(options);
    SnapshotDifference d = DiffSnapshots(before, written);
    EXPECT_EQ(Marked(d.Changed, "acl key HKLM\\" + key + "\\Sub\t").size(), 1u) << FormatDifference(d);
    ASSERT_EQ(SetTwoEntryAcl("MACHINE\\" + key + "\\Sub", SE_REGISTRY_KEY, GENERIC_READ | GENERIC_WRITE),
              (DWORD)ERROR_SUCCESS);
    std::vector<std::string> after = TakeSnapshot(options);
    d = DiffSnapshots(written, after);
    ASSERT_EQ(Marked(d.Changed, marker).size(), 1u) << FormatDifference(d);
    EXPECT_EQ(SnapshotIdentity(Marked(d.Changed, marker)[0]), "acl key HKLM\\" + key + "\\Sub");
    EXPECT_TRUE(Marked(d.Gone, marker).empty() && Marked(d.Came, marker).empty()) << FormatDifference(d);

    // The key goes: its owner and access list go with it, unexpected by no one.
    DeleteKeyTree(HKEY_LOCAL_MACHINE, (key + "\\Sub").c_str());
    after = TakeSnapshot(options);
    ExpectedDifference e;
    e.MustGo = {"key HKLM\\" + key + "\\Sub"};
    EXPECT_EQ(CheckDifference(Marked(before, marker), Marked(after, marker), e), std::vector<std::string>());
    EXPECT_EQ(SnapshotPropertyObject("acl key HKLM\\X"), "key HKLM\\X");
    EXPECT_EQ(SnapshotPropertyObject("state service S"), "service S");
    EXPECT_EQ(SnapshotPropertyObject("key HKLM\\acl"), "");

    DeleteFolderTree(root);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key.c_str());
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

// A preview's "Would ..." lines against the difference a real run left:
// each side folds what a deletion takes along, and leaves out what a
// snapshot cannot see; then the two sets must be equal.
TEST(PreviewMatchTest, WouldItemsEqualTheChangesTheyName)
{
    const std::string cv = "HKLM\\Software\\Norvik\\Varolink\\CurrentVersion";
    std::vector<std::string> before = {
        "dir C:\\Varolink\\Program\\tools", "file C:\\Varolink\\Program\\tools\\a.h\tsize=1 crc=00000001",
        "file C:\\Varolink\\Program\\tools\\b.h\tsize=1 crc=00000002", "dir C:\\Varolink\\Program\\bin",
        "file C:\\Varolink\\Program\\bin\\x.dll\tsize=1 crc=00000003", "file C:\\Varolink\\Program\\bin\\keep.dll\tsize=1",
        "key " + cv, "acl key " + cv + "\tD:(A;;KA;;;BA)", "owner key " + cv + "\tO:BA",
        "key " + cv + "\\CSDS Applied", "acl key " + cv + "\\CSDS Applied\tD:(A;;KA;;;BA)",
        "value " + cv + "\\CSDS Applied|CSD01\tREG_SZ x", "value " + cv + "|CreationMask\tREG_DWORD 0x00000380",
        "value " + cv + "\\Components|Development Toolkit\tREG_SZ ", "service NorvikVarolink\tstart=3 type=16 path=x",
        "state service NorvikVarolink\trunning", "service VarolinkServices\tstart=3 type=16 path=y",
        "state service VarolinkServices\trunning", "env include\tREG_SZ C:\\Varolink\\Program\\tools\\c\\include",
        "menu Programs\\Norvik Varolink\\", "menu Programs\\Norvik Varolink\\Tool.lnk\tsize=9 crc=00000004",
        "dir C:\\Varolink\\Data", "acl dir C:\\Varolink\\Data\tD:(A;;FA;;;BA)",
        "file C:\\Varolink\\Data\\config\\Config.reg\tsize=1 crc=00000005"};
    std::vector<std::string> after = {
        "dir C:\\Varolink\\Program\\bin", "file C:\\Varolink\\Program\\bin\\keep.dll\tsize=1", "key " + cv,
        "acl key " + cv + "\tD:(A;;KA;;;BA)(A;;KA;;;SY)", "owner key " + cv + "\tO:S-1-5-21-0-0-0-513",
        "value " + cv + "|CreationMask\tREG_DWORD 0x00000300", "service VarolinkServices\tstart=3 type=16 path=y",
        "state service VarolinkServices\tstopped", "dir C:\\Varolink\\Data", "acl dir C:\\Varolink\\Data\tD:(A;;FA;;;SY)",
        "file C:\\Varolink\\Data\\config\\Config.reg\tsize=7 crc=00000006",
        // The run's own log, and a folder made for it.
        "dir C:\\Varolink\\Data\\logs", "file C:\\Varolink\\Data\\logs\\avlilogn.txt\tsize=100 crc=00000007"};
    std::vector<std::string> log = {
        "Uninstalling Development Toolkit (Development Toolkit)",
        "Would delete file: 'c:\\varolink\\program\\tools\\a.h'",
        "Would delete file: 'c:\\varolink\\program\\tools\\b.h'",
        "Would delete path: 'c:\\varolink\\program\\tools'",
        "  Would delete file: 'c:\\varolink\\program\\bin\\x.dll'",
        "Would set access list of 'MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion'",
        "Would set access list of 'MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\CSDS Applied'",
        "Would delete key: 'Software\\Norvik\\Varolink\\CurrentVersion\\CSDS Applied'",
        "Would set value [HKLM\\Software\\Norvik\\Varolink\\CurrentVersion] 'CreationMask'",
        "Would delete value [HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components] 'Development Toolkit'",
        "Would stop service 'NorvikVarolink'", "Would stop service 'VarolinkServices'",
        "Would delete service 'NorvikVarolink'", "Would set 'include' variable", "Would broadcast environment changes",
        "Would start: 'c:\\varolink\\program\\uninst\\isuninst.exe' '-y -a'", "Would end process ID 42 'avlsvc.exe'",
        "Would run: 'avlisupn.dll(isuVLStop)'",
        "Would delete file: 'c:\\menu\\programs\\norvik varolink\\tool.lnk'",
        "Would delete path: 'c:\\menu\\programs\\norvik varolink'",
        "Would write: 'c:\\varolink\\data\\config\\config.reg'", "Would write: 'c:\\windows\\vlparts.mif'",
        "Would set access list of 'C:\\Varolink\\Data'",
        // Outside the snapshot: a file's access list, a key outside its roots.
        "Would set access list of 'c:\\varolink\\program\\bin\\avlsvc.exe'",
        "Would delete key: 'SYSTEM\\CurrentControlSet\\Services\\Elsewhere'"};
    PreviewScope scope;
    scope.ProgramsFolder = "C:\\Menu\\Programs";
    scope.StartupFolder = "C:\\Menu\\Programs\\Startup";
    scope.OwnFiles = {"C:\\Varolink\\Data\\logs\\avlilogn.txt", "C:\\Varolink\\Data\\logs\\avlilogn.json"};
    SnapshotDifference difference = DiffSnapshots(before, after);
    EXPECT_EQ(FormatPreviewMismatch(ComparePreview(log, difference, scope)), "");
    EXPECT_EQ(PreviewItems(log, scope),
              std::vector<std::string>({"delete file c:\\varolink\\program\\bin\\x.dll",
                                        "delete key hklm\\software\\norvik\\varolink\\currentversion\\csds applied",
                                        "delete path c:\\menu\\programs\\norvik varolink",
                                        "delete path c:\\varolink\\program\\tools", "delete service norvikvarolink",
                                        "delete value hklm\\software\\norvik\\varolink\\currentversion\\components|development toolkit",
                                        "set access list c:\\varolink\\data",
                                        "set access list hklm\\software\\norvik\\varolink\\currentversion",
                                        "set value hklm\\software\\norvik\\varolink\\currentversion|creationmask",
                                        "set variable include", "stop service varolinkservices",
                                        "write c:\\varolink\\data\\config\\config.reg"}));

    // One change not listed, one listed item that did not happen, one line
    // of a form the comparison does not know, and a folder that came empty.
    std::vector<std::string> wrong = log;
    wrong.erase(wrong.begin() + 8);
    wrong.push_back("Would delete file: 'c:\\varolink\\program\\bin\\keep.dll'");
    wrong.push_back("Would frobnicate: 'c:\\x'");
    after.push_back("dir C:\\Varolink\\Empty");
    PreviewMismatch mismatch = ComparePreview(wrong, DiffSnapshots(before, after), scope);
    EXPECT_EQ(FormatPreviewMismatch(mismatch),
              "listed by the preview, not changed by the real run (2):\n"
              "  delete file c:\\varolink\\program\\bin\\keep.dll\n"
              "  unrecognised Would frobnicate: 'c:\\x'\n"
              "changed by the real run, not listed by the preview (2):\n"
              "  create path c:\\varolink\\empty\n"
              "  set value hklm\\software\\norvik\\varolink\\currentversion|creationmask\n");
}

// What a preview changed besides its own log and receipt and the folders
// that came to hold them.
TEST(PreviewMatchTest, OnlyTheOwnLogAndReceiptMayCome)
{
    PreviewScope scope;
    scope.OwnFiles = {"C:\\VlPreview1\\log\\preview.txt", "C:\\VlPreview1\\log\\preview.json"};
    std::vector<std::string> before = {"dir C:\\Varolink", "acl dir C:\\Varolink\tD:(A;;FA;;;BA)"};
    std::vector<std::string> after = {"dir C:\\Varolink", "acl dir C:\\Varolink\tD:(A;;FA;;;BA)", "dir C:\\VlPreview1",
                                      "dir C:\\VlPreview1\\log", "file C:\\vlpreview1\\LOG\\preview.txt\tsize=1",
                                      "file C:\\VlPreview1\\log\\preview.json\tsize=2"};
    EXPECT_EQ(ChangesBesidesOwnFiles(DiffSnapshots(before, after), scope), "");
    after[1] = "acl dir C:\\Varolink\tD:(A;;FA;;;SY)";
    after.push_back("file C:\\VlPreview1\\log\\other.txt\tsize=3");
    EXPECT_EQ(ChangesBesidesOwnFiles(DiffSnapshots(before, after), scope),
              "+ file C:\\VlPreview1\\log\\other.txt\tsize=3\n"
              "~ acl dir C:\\Varolink\tD:(A;;FA;;;BA) -> D:(A;;FA;;;SY)\n");
}

// The "Incomplete" marker a component's removal sets on its value before it
// deletes the value: the deletion is what the real run shows.
TEST(PreviewMatchTest, TheLastOfAValuesWritesAndDeletionsCounts)
{
    const std::string key = "[HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components] 'Server'";
    std::vector<std::string> before = {"value HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components|Server\tREG_SZ "};
    SnapshotDifference gone = DiffSnapshots(before, {});
    SnapshotDifference marked = DiffSnapshots(
        before, {"value HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components|Server\tREG_SZ Incomplete"});
    PreviewScope scope;
    EXPECT_EQ(FormatPreviewMismatch(ComparePreview({"Would set value " + key, "Would delete value " + key}, gone, scope)), "");
    EXPECT_EQ(FormatPreviewMismatch(ComparePreview({"Would set value " + key}, marked, scope)), "");
    EXPECT_NE(FormatPreviewMismatch(ComparePreview({"Would delete value " + key, "Would set value " + key}, gone, scope)), "");
}

// A variable deleted as a value of the environment key is a variable's
// change; the service program's "-UNINSTALL -SILENT" is the deletion of the
// service it removes (the removal relies on it); no other start counts.
TEST(PreviewMatchTest, EnvironmentValuesAndTheServiceProgramsRemoval)
{
    std::vector<std::string> before = {"env lib\tREG_SZ C:\\x", "service VarolinkServices\tstart=3",
                                       "state service VarolinkServices\trunning"};
    SnapshotDifference difference = DiffSnapshots(before, {});
    std::vector<std::string> log = {
        "Would stop service 'VarolinkServices'",
        "Would delete value [HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment] 'lib'",
        "Would start: 'C:\\Varolink\\Program\\bin\\AVLSVC.EXE' '-UNINSTALL -SILENT'"};
    PreviewScope scope;
    EXPECT_EQ(FormatPreviewMismatch(ComparePreview(log, difference, scope)), "");
    log[2] = "Would start: 'C:\\Varolink\\Program\\bin\\AVLSVC.EXE' '-STOP -SILENT'";
    EXPECT_EQ(FormatPreviewMismatch(ComparePreview(log, difference, scope)),
              "listed by the preview, not changed by the real run (1):\n  stop service varolinkservices\n"
              "changed by the real run, not listed by the preview (1):\n  delete service varolinkservices\n");
}
