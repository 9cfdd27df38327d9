// Queue-manager discovery over the real registry and files of a fixture.
#include "fixture.h"
#include "fixturelists.h"
#include "listsutil.h"
#include "runner.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "core/log.h"
#include <gtest/gtest.h>

namespace {

struct Entry {
    std::string Name, Directory, LogPath;
    DWORD Flags;
};

std::vector<Entry> ListEntries()
{
    std::vector<Entry> entries;
    char name[MAX_PATH], dir[MAX_PATH], log[MAX_PATH];
    DWORD flags;
    for (BOOL more = QmListFirst(name, dir, log, &flags); more; more = QmListNext(name, dir, log, &flags))
        entries.push_back({name, dir, log, flags});
    return entries;
}

class QmScan : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik");
        root = ListsTempFolder("qm");
        work = root + "\\Data";
        MakeFolders(work);
        log = OpenTestLog(root);
    }
    void TearDown() override
    {
        QmListFree();
        LogClose();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik");
        DeleteFolderTree(root);
    }
    std::string root, work, log;
};

}  // namespace

TEST_F(QmScan, NoSourcesGiveAnEmptyListAndSucceed)
{
    EXPECT_TRUE(ScanQueueManagers(work.c_str()));
    EXPECT_FALSE(QmListFirst(NULL, NULL, NULL, NULL));
    EXPECT_FALSE(QmListNext(NULL, NULL, NULL, NULL));
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"", "Scanning registry for queue managers", "No queue managers defined in registry",
                                "", "No .ini file '" + work + "\\VLS.INI'", "",
                                "No configuration file '" + work + "\\config\\Config.reg'", "  "}));
}

TEST_F(QmScan, ThreeSourcesMergeWithDuplicatesAndListenerFlags)
{
    std::string prefix = root + "\\VL";
    std::string logs = root + "\\Logs";
    // Registry: QM1 with its own prefix and log path and a TCP listener; QM2
    // with neither, so it takes both defaults.
    FixtureQueueManager qm1{"QM1", "QM1", prefix, logs + "\\QM1", true};
    FixtureQueueManager qm2{"QM2", "QM2", "", "", false};
    qm2.CreateFolders = false;
    ASSERT_TRUE(FixtureRegistryQueueManager(qm1));
    ASSERT_TRUE(FixtureRegistryQueueManager(qm2));
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
        "Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\AllQueueManagers", 0, NULL, 0, KEY_ALL_ACCESS,
        NULL, &key, NULL));
    RegSetValueExA(key, "DefaultPrefix", 0, REG_SZ, (const BYTE *)prefix.c_str(), (DWORD)prefix.size() + 1);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE,
        "Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\LogDefaults", 0, NULL, 0, KEY_ALL_ACCESS,
        NULL, &key, NULL));
    RegSetValueExA(key, "LogDefaultPath", 0, REG_SZ, (const BYTE *)logs.c_str(), (DWORD)logs.size() + 1);
    RegCloseKey(key);
    MakeFolders(prefix + "\\qmgrs\\QM2");
    // VLS.INI: QM1 again (ignored) and QM3 whose QM.INI names its log path.
    FixtureQueueManager qm3{"QM3", "QM 3", "", logs + "\\QM3", false};
    FixtureQueueManager qm1Again{"QM1", "QM1", prefix, "", false};
    ASSERT_TRUE(FixtureVlsIni(work, prefix, {qm1Again, qm3}));
    // Config.reg: QM4 with a TCP listener, and a listener of a queue manager
    // that is in no list.
    FixtureQueueManager qm4{"QM4", "QM4", prefix, logs + "\\QM4", true};
    ASSERT_TRUE(FixtureConfigReg(work, "", {qm4}));
    std::string reg = ReadTextFile(work + "\\config\\Config.reg");
    reg += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\Services\\QMX]\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\Services\\QMX\\Listener]\r\n"
           "\"Protocol\"=dword:00000002\r\n";
    WriteTextFile(work + "\\config\\Config.reg", reg);

    EXPECT_FALSE(ScanQueueManagers(work.c_str()));  // QMX is in no list

    std::vector<Entry> entries = ListEntries();
    ASSERT_EQ(4u, entries.size());
    // Newest first.
    EXPECT_EQ("QM4", entries[0].Name);
    EXPECT_EQ(prefix + "\\qmgrs\\QM4", entries[0].Directory);
    EXPECT_EQ((DWORD)QM_FLAG_TCP_LISTENER, entries[0].Flags);
    EXPECT_EQ(logs + "\\QM4", entries[0].LogPath);
    EXPECT_EQ("QM 3", entries[1].Name);
    EXPECT_EQ(prefix + "\\qmgrs\\QM3", entries[1].Directory);
    EXPECT_EQ(logs + "\\QM3", entries[1].LogPath);
    EXPECT_EQ("QM2", entries[2].Name);
    EXPECT_EQ(prefix + "\\qmgrs\\QM2", entries[2].Directory);
    EXPECT_EQ(logs, entries[2].LogPath);
    EXPECT_EQ(0u, entries[2].Flags);
    EXPECT_EQ("QM1", entries[3].Name);
    EXPECT_EQ(logs + "\\QM1", entries[3].LogPath);
    EXPECT_EQ((DWORD)QM_FLAG_TCP_LISTENER, entries[3].Flags);

    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"Scanning registry for queue managers", "QM list entry for 'QM1' Added",
                                " Directory:    '" + prefix + "\\qmgrs\\QM1'", " Log:          '" + logs + "\\QM1'",
                                " TCP listener: Y", "Using default prefix for 'QM2'",
                                "Using default QM log path for 'QM2'", "QM list entry for 'QM2' Added",
                                " TCP listener: N", "Scanning '" + work + "\\VLS.INI' for queue managers",
                                "Duplicate QM list entry for 'QM1' ignored",
                                "Scanning '" + prefix + "\\qmgrs\\QM3\\QM.INI'", "QM list entry for 'QM 3' Added",
                                "Scanning '" + work + "\\config\\Config.reg' for queue managers",
                                "QM list entry for 'QM4' Added", "TCP listener flag set for QM 'QM4'",
                                "***Can't find QM 'QMX' in list", "  "}))
        << ReadTextFile(log);
}

TEST_F(QmScan, SameNameInTwoRegistryKeysIsOverwrittenInPlace)
{
    std::string prefix = root + "\\VL";
    ASSERT_TRUE(FixtureRegistryQueueManager({"A1", "Same", prefix, root + "\\L1", false}));
    ASSERT_TRUE(FixtureRegistryQueueManager({"B2", "Same", prefix, root + "\\L2", true}));
    EXPECT_TRUE(ScanQueueManagers(work.c_str()));
    std::vector<Entry> entries = ListEntries();
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(prefix + "\\qmgrs\\B2", entries[0].Directory);
    EXPECT_EQ((DWORD)QM_FLAG_TCP_LISTENER, entries[0].Flags);
    EXPECT_TRUE(Contains(LogEntries(log), "Overwriting duplicate QM list entry for 'Same'"));
}

TEST_F(QmScan, MissingFoldersAreReportedButTheEntryStays)
{
    FixtureQueueManager gone{"GONE", "Gone", root + "\\nowhere", root + "\\nolog", false};
    gone.CreateFolders = false;
    ASSERT_TRUE(FixtureRegistryQueueManager(gone));
    // Neither prefix nor default: the folder is "\qmgrs\<directory>".
    WriteTextFile(work + "\\VLS.INI", "QueueManager:\n  Name=Bare\n  Directory=bare\n");
    EXPECT_FALSE(ScanQueueManagers(work.c_str()));
    std::vector<Entry> entries = ListEntries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("\\qmgrs\\bare", entries[0].Directory);
    EXPECT_EQ("", entries[0].LogPath);
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"***Can't find QM directory '" + root + "\\nowhere\\qmgrs\\GONE' for 'Gone'",
                                "***Can't find log directory '" + root + "\\nolog' for 'Gone'",
                                "***Can't find QM directory '\\qmgrs\\bare' for 'Bare'",
                                "***No log directory for 'Bare'"}))
        << ReadTextFile(log);
}

TEST_F(QmScan, DirectoryClimbingOutOfQmgrsIsRefused)
{
    std::string prefix = root + "\\VL";
    MakeFolders(prefix + "\\qmgrs");
    WriteTextFile(work + "\\VLS.INI", "QueueManager:\n  Name=Evil\n  Prefix=" + prefix +
                                          "\n  Directory=..\\..\nQueueManager:\n  Name=Empty\n  Prefix=" + prefix + "\n");
    EXPECT_FALSE(ScanQueueManagers(work.c_str()));
    std::vector<Entry> entries = ListEntries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ("", entries[0].Directory);  // never <prefix>\qmgrs itself
    EXPECT_EQ("", entries[1].Directory);
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(Contains(lines, "***QM directory '..\\..' for 'Evil' is outside the qmgrs folder; ignored"));
    EXPECT_TRUE(Contains(lines, "***No QM directory for 'Empty'"));
}

TEST_F(QmScan, CursorAndFlags)
{
    std::string prefix = root + "\\VL";
    ASSERT_TRUE(FixtureRegistryQueueManager({"Q1", "First", prefix, root + "\\L", false}));
    ASSERT_TRUE(FixtureRegistryQueueManager({"Q2", "Second", prefix, root + "\\L", false}));
    ScanQueueManagers(work.c_str());
    char name[MAX_PATH];
    // Next before any First starts at the front.
    ASSERT_TRUE(QmListNext(name, NULL, NULL, NULL));
    std::string front = name;
    ASSERT_TRUE(QmListNext(name, NULL, NULL, NULL));
    EXPECT_NE(front, name);
    EXPECT_TRUE(QmListSetFlags(name, 7));  // the current entry
    EXPECT_FALSE(QmListNext(name, NULL, NULL, NULL));
    EXPECT_FALSE(QmListNext(name, NULL, NULL, NULL));
    EXPECT_FALSE(QmListSetFlags("first", 1));  // exact case only
    EXPECT_TRUE(QmListSetFlags("First", 1));  // searched from the front
    DWORD flags = 9;
    ASSERT_TRUE(QmListFirst(name, NULL, NULL, &flags));
    EXPECT_EQ("Second", std::string(name));  // newest first
    EXPECT_EQ(0u, flags);
    ASSERT_TRUE(QmListNext(name, NULL, NULL, &flags));
    EXPECT_EQ(1u, flags);
    // Start-up frees the list at the end; a freed list is empty again.
    QmListFree();
    EXPECT_FALSE(QmListNext(NULL, NULL, NULL, NULL));
}
