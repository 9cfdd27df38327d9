// Queue-manager deletion over the real registry and files of a fixture,
// walking the list that discovery builds from it.
#include "qmdatautil.h"
#include "qmconfig/qmdelete.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "core/log.h"
#include "removal/directories.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

class QmDelete : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = TempDescription("qmdel");
        data = FixtureWorkFolder(d);
        qmgrs = data + "\\qmgrs";
    }
    void Install()
    {
        ASSERT_TRUE(FixtureInstall(d));
        log = OpenTestLog(d.Root);
        ScanQueueManagers(data.c_str());
        LogClose();
        DeleteFileA(log.c_str());
        log = OpenTestLog(d.Root);
    }
    void TearDown() override
    {
        QmListFree();
        LogClose();
        FixtureRemove(d);
    }
    std::vector<std::string> Lines() { return LogBody(log); }
    FixtureDescription d;
    std::string data, qmgrs, log;
};

const std::string kQueueManagerKey = VL_CONFIG_KEY "\\QueueManager";

}  // namespace

TEST_F(QmDelete, TwoQueueManagersShareTheQueueManagerKeyUntilTheLastGoes)
{
    d.RegistryQueueManagers = {{"QM1", "VL.ONE", "tcp"}, {"QM2", "VL.TWO"}};
    Install();
    WriteTextFile(qmgrs + "\\QM1\\q\\queue.dat", "messages");
    WriteTextFile(qmgrs + "\\QM2\\qm.ini", "x");
    WriteTextFile(data + "\\log\\QM1\\active\\S0000000.LOG", "log");
    MakeFolders(qmgrs + "\\@SYSTEM\\errors");

    EXPECT_EQ(1, DeleteQueueManagers(data.c_str(), NULL));
    for (const char *gone : {"\\qmgrs\\QM1", "\\qmgrs\\QM2", "\\qmgrs", "\\log\\QM1", "\\log\\QM2"})
        EXPECT_FALSE(PathExists(data + gone)) << gone;
    EXPECT_TRUE(PathExists(data + "\\log"));   // not a queue manager's folder
    EXPECT_FALSE(KeyExists(kQueueManagerKey));
    EXPECT_FALSE(KeyExists(VL_CONFIG_KEY "\\Services\\QM1"));
    EXPECT_FALSE(KeyExists(VL_CONFIG_KEY "\\Services\\QM2"));

    std::vector<std::string> lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("Deleting all queue managers", lines[0]);
    // The list's order is newest first: QM2's keys go first, QueueManager then
    // still holds QM1's key and stays without a word; after QM1 it goes.
    EXPECT_TRUE(InOrder(lines, {"Deleted key '" + kQueueManagerKey + "\\QM2'",
                                "Deleted key '" + kQueueManagerKey + "\\QM1'", "Deleted key '" + kQueueManagerKey + "'"}))
        << ReadTextFile(log);
    EXPECT_EQ(1, std::count(lines.begin(), lines.end(), "Deleted key '" + kQueueManagerKey + "'"));
    for (const std::string &line : lines) EXPECT_NE(0u, line.rfind("***", 0)) << line;
}

TEST_F(QmDelete, LockedFileKeepsItsFolderButTheLogAndKeysStillGo)
{
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}};
    Install();
    std::string locked = qmgrs + "\\QM1\\q\\locked.dat";
    WriteTextFile(locked, "held");
    WriteTextFile(qmgrs + "\\QM1\\free.dat", "free");
    WriteTextFile(data + "\\log\\QM1\\S0000000.LOG", "log");

    Holder held = HoldOpen(locked);
    int result = DeleteQueueManagers(data.c_str(), NULL);
    Release(held);

    EXPECT_EQ(0, result);
    EXPECT_TRUE(PathExists(locked));
    EXPECT_FALSE(PathExists(qmgrs + "\\QM1\\free.dat"));
    EXPECT_TRUE(PathExists(qmgrs));   // still holds QM1
    EXPECT_FALSE(PathExists(data + "\\log\\QM1"));
    EXPECT_FALSE(KeyExists(kQueueManagerKey));
    std::vector<std::string> lines = Lines();
    EXPECT_TRUE(InOrder(lines, {"***Delete file in use: '" + locked + "'",
                                "***Delete path not empty: '" + qmgrs + "\\QM1'",
                                "Deleted key '" + kQueueManagerKey + "'"}))
        << ReadTextFile(log);
}

// A queue manager whose folder or log folder is refused keeps its keys, with
// one line saying so; a folder that only could not be emptied lets them go.
TEST_F(QmDelete, RefusedFoldersKeepTheirKeysAndALockedFolderDoesNot)
{
    std::string outside = d.Root + "\\Outside", elsewhere = d.Root + "\\Elsewhere\\QM4";
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}, {"QM2", "VL.TWO", "tcp"}, {"QM3", "VL.THREE"}, {"QM4", "VL.FOUR"}};
    d.ConfigValues = {{"sz", "QueueManager\\QM2", "Prefix", outside},              // outside the data folder
                      {"sz", "QueueManager\\QM3", "Prefix", "%DATA%\\..\\Data"},   // the guard refuses it
                      {"sz", "QueueManager\\QM4\\Log", "LogPath", elsewhere}};
    Install();
    std::string locked = qmgrs + "\\QM1\\locked.dat";
    WriteTextFile(locked, "held");
    WriteTextFile(outside + "\\qmgrs\\QM2\\queue.dat", "QM2 data");
    WriteTextFile(qmgrs + "\\QM3\\queue.dat", "QM3 data");
    WriteTextFile(qmgrs + "\\QM4\\queue.dat", "QM4 data");
    WriteTextFile(elsewhere + "\\S0000000.LOG", "QM4 log");
    for (const char *key : {"QM1", "QM2", "QM3", "QM4"}) WriteTextFile(data + "\\log\\" + key + "\\S0000000.LOG", "log");

    Holder held = HoldOpen(locked);
    int result = DeleteQueueManagers(data.c_str(), NULL);
    Release(held);

    EXPECT_EQ(0, result);
    std::vector<std::string> lines = Lines();
    // Locked: the folder stays, its log folder and keys go.
    EXPECT_TRUE(PathExists(locked));
    EXPECT_FALSE(PathExists(data + "\\log\\QM1"));
    EXPECT_FALSE(KeyExists(kQueueManagerKey + "\\QM1"));
    EXPECT_FALSE(KeyExists(VL_CONFIG_KEY "\\Services\\QM1"));
    EXPECT_TRUE(Contains(lines, "Deleted key '" + kQueueManagerKey + "\\QM1'")) << ReadTextFile(log);
    // Refused: the folder stays and so do the keys that name it.
    EXPECT_TRUE(PathExists(outside + "\\qmgrs\\QM2\\queue.dat"));
    EXPECT_TRUE(PathExists(qmgrs + "\\QM3\\queue.dat"));
    EXPECT_TRUE(PathExists(elsewhere + "\\S0000000.LOG"));
    EXPECT_FALSE(PathExists(qmgrs + "\\QM4"));   // its own folder was not refused
    struct Kept {
        const char *Key, *Name;
        std::string Folder;
    } kept[] = {{"QM2", "VL.TWO", outside + "\\qmgrs\\QM2"},
                {"QM3", "VL.THREE", data + "\\..\\Data\\qmgrs\\QM3"},
                {"QM4", "VL.FOUR", elsewhere}};
    for (const Kept &k : kept) {
        EXPECT_TRUE(KeyExists(kQueueManagerKey + "\\" + k.Key)) << k.Key;
        EXPECT_TRUE(KeyExists(std::string(VL_CONFIG_KEY "\\Services\\") + k.Key + "\\Listener")) << k.Key;
        std::string line = std::string("***Registry keys of QM '") + k.Name + "' kept: its folder '" + k.Folder +
                           "' was not deleted";
        EXPECT_EQ(1, std::count(lines.begin(), lines.end(), line)) << line << "\n" << ReadTextFile(log);
        EXPECT_FALSE(Contains(lines, "Deleted key '" + kQueueManagerKey + "\\" + k.Key + "'"));
    }
    std::string refusal = "***Unsafe path refused: '" + data + "\\..\\Data\\qmgrs\\QM3' (";
    EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(),
                               [&](const std::string &l) { return l.rfind(refusal, 0) == 0; }))
        << ReadTextFile(log);
    EXPECT_EQ(0, std::count_if(lines.begin(), lines.end(), [](const std::string &l) {
                  return l.find("***Registry keys of QM 'VL.ONE'") == 0;
              }));
}

// Log folders in a log default path outside the data folder are the queue
// managers' own: they go without a word, the log default path itself stays.
TEST_F(QmDelete, LogFoldersInALogDefaultPathOutsideTheDataFolderGo)
{
    std::string logs = d.Root + "\\Logs";
    d.LogDefaultPath = logs;
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}, {"QM2", "VL.TWO"}};
    d.ConfigValues = {{"sz", "QueueManager\\QM1\\Log", "LogPath", logs + "\\QM1"},
                      {"sz", "QueueManager\\QM2\\Log", "LogPath", logs + "\\QM2"}};
    Install();
    WriteTextFile(logs + "\\QM1\\active\\S0000000.LOG", "log");
    WriteTextFile(logs + "\\QM2\\S0000000.LOG", "log");
    WriteTextFile(logs + "\\avlhlctl.lfh", "control");
    WriteTextFile(qmgrs + "\\QM1\\queue.dat", "data");

    EXPECT_EQ(1, DeleteQueueManagers(data.c_str(), NULL, logs.c_str()));
    EXPECT_FALSE(PathExists(logs + "\\QM1"));
    EXPECT_FALSE(PathExists(logs + "\\QM2"));
    EXPECT_TRUE(PathExists(logs + "\\avlhlctl.lfh"));
    EXPECT_FALSE(PathExists(qmgrs));
    EXPECT_FALSE(KeyExists(kQueueManagerKey));
    for (const std::string &line : Lines()) EXPECT_NE(0u, line.rfind("***", 0)) << line;
}

// A log default path the guard refuses (the Windows folder) makes no folder
// in it a log folder: it stays, and so do its queue manager's keys.
TEST_F(QmDelete, ALogDefaultPathTheGuardRefusesWidensNothing)
{
    char windows[MAX_PATH];
    ASSERT_NE(0u, GetWindowsDirectoryA(windows, sizeof windows));
    std::string inWindows = std::string(windows) + "\\vlqmlog" + std::to_string(GetCurrentProcessId());
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}};
    d.ConfigValues = {{"sz", "QueueManager\\QM1\\Log", "LogPath", inWindows}};
    Install();
    WriteTextFile(inWindows + "\\S0000000.LOG", "log");

    EXPECT_EQ(0, DeleteQueueManagers(data.c_str(), NULL, windows));
    EXPECT_TRUE(PathExists(inWindows + "\\S0000000.LOG"));
    EXPECT_TRUE(KeyExists(kQueueManagerKey + "\\QM1"));
    EXPECT_TRUE(Contains(Lines(), "***Registry keys of QM 'VL.ONE' kept: its folder '" + inWindows +
                                      "' was not deleted"))
        << ReadTextFile(log);
    DeleteFolderTree(inWindows);
}

TEST_F(QmDelete, QmgrsStaysWhileSystemHoldsFilesAndAnEmptyListDoesNothing)
{
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}};
    Install();
    WriteTextFile(qmgrs + "\\@SYSTEM\\qm.ini", "system");
    EXPECT_EQ(1, DeleteQueueManagers(data.c_str(), NULL));
    EXPECT_FALSE(PathExists(qmgrs + "\\QM1"));
    EXPECT_TRUE(PathExists(qmgrs + "\\@SYSTEM\\qm.ini"));
    for (const std::string &line : Lines()) EXPECT_EQ(std::string::npos, line.find("'" + qmgrs + "'")) << line;

    QmListFree();
    LogClose();
    DeleteFileA(log.c_str());
    log = OpenTestLog(d.Root);
    EXPECT_EQ(1, DeleteQueueManagers(data.c_str(), NULL));
    EXPECT_EQ((std::vector<std::string>{"Deleting all queue managers"}), Lines());
}

TEST_F(QmDelete, HostileFoldersDeleteNothingOutsideTheDataFolder)
{
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}, {"QM2", "VL.TWO"}};
    Install();
    std::string outside = d.Root + "\\Outside";
    WriteTextFile(outside + "\\precious.txt", "keep");
    WriteTextFile(data + "\\VLS.INI", "keep");
    WriteTextFile(qmgrs + "\\QM2\\queue.dat", "QM2 data");
    WriteTextFile(qmgrs + "\\@SYSTEM\\qm.ini", "system");

    // Entries whose folders a damaged configuration could name.
    AddQmListEntry("EMPTY", "", "", FALSE, FALSE);
    AddQmListEntry("DOTS", "..", "..", FALSE, FALSE);
    AddQmListEntry("DRIVE", "C:", "C:\\", FALSE, FALSE);
    AddQmListEntry("CLIMB", (qmgrs + "\\..\\..\\Outside").c_str(), (data + "\\..\\Outside").c_str(), FALSE, FALSE);
    AddQmListEntry("DATA", data.c_str(), data.c_str(), FALSE, FALSE);
    AddQmListEntry("QMGRS", qmgrs.c_str(), qmgrs.c_str(), FALSE, FALSE);
    AddQmListEntry("OUT", (outside + "\\qmgrs\\X").c_str(), outside.c_str(), FALSE, FALSE);
    // QM1's log path names QM2's folder.
    ASSERT_TRUE(AddQmListEntry("VL.ONE", (qmgrs + "\\QM1").c_str(), (qmgrs + "\\QM2").c_str(), FALSE, TRUE));
    LogClose();
    DeleteFileA(log.c_str());
    log = OpenTestLog(d.Root);

    EXPECT_EQ(0, DeleteQueueManagers(data.c_str(), NULL));
    EXPECT_TRUE(PathExists(outside + "\\precious.txt"));
    EXPECT_TRUE(PathExists(data + "\\VLS.INI"));
    EXPECT_TRUE(PathExists(qmgrs + "\\@SYSTEM\\qm.ini"));
    EXPECT_FALSE(PathExists(qmgrs + "\\QM1"));
    EXPECT_FALSE(PathExists(qmgrs + "\\QM2"));   // by its own entry
    std::vector<std::string> lines = Lines();
    EXPECT_TRUE(Contains(lines, "***Log directory '" + qmgrs + "\\QM2' for 'VL.ONE' is not a log folder of its own in '" +
                                    data + "'; not deleted"))
        << ReadTextFile(log);
    EXPECT_TRUE(Contains(lines, "***QM directory '" + data + "' for 'DATA' is not a queue-manager folder in '" + data +
                                    "'; not deleted"));
    EXPECT_TRUE(Contains(lines, "***Unsafe path refused: 'C:' (drive root)")) << ReadTextFile(log);
    EXPECT_TRUE(Contains(lines, "***Unsafe path refused: '..' (not a full path)"));
    // The damaged entries do not stop the real ones: QM2's own log folder goes.
    EXPECT_FALSE(PathExists(data + "\\log\\QM2"));
}

// A queue manager's folder, its log folder and qmgrs\@SYSTEM replaced by
// links to folders outside the data folder: nothing behind them is deleted,
// and each is refused with a line naming it.
TEST_F(QmDelete, LinksInQmgrsAndLogFoldersAreNotFollowed)
{
    d.RegistryQueueManagers = {{"QM1", "VL.ONE"}};
    Install();
    std::string canary = d.Root + "\\Canary";
    for (const char *folder : {"\\qm", "\\log", "\\system"}) WriteTextFile(canary + folder + "\\keep.dat", "keep");
    std::vector<std::string> links = {qmgrs + "\\QM1", data + "\\log\\QM1", qmgrs + "\\@SYSTEM"};
    const char *targets[] = {"\\qm", "\\log", "\\system"};
    for (size_t i = 0; i < links.size(); i++) {
        DeleteFolderTree(links[i]);
        ASSERT_TRUE(MakeLink(links[i], canary + targets[i])) << links[i];
    }
    EXPECT_EQ(0, DeleteQueueManagers(data.c_str(), NULL));
    BOOL whole = TRUE;
    EXPECT_EQ(0, CleanDataDirectory(data.c_str(), data.c_str(), NULL, NULL, &whole));
    for (const char *folder : {"\\qm", "\\log", "\\system"})
        EXPECT_TRUE(PathExists(canary + folder + "\\keep.dat")) << folder;
    std::vector<std::string> lines = Lines();
    for (const std::string &link : links)
        EXPECT_TRUE(Contains(lines, "***Unsafe path refused: '" + link + "' (reparse point)")) << ReadTextFile(log);
    EXPECT_TRUE(Contains(lines, "***Unsafe path refused: '" + qmgrs + "\\@SYSTEM\\errors' (reparse point '" + qmgrs +
                                    "\\@SYSTEM')"));
    for (auto link = links.rbegin(); link != links.rend(); ++link) EXPECT_TRUE(RemoveLink(*link)) << *link;
}
