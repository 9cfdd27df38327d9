// Every deleting primitive fed with roots, system folders, climbs, device
// forms and overlong paths, in the build's sandboxed prefix: canary files at
// the drive root, in the Windows folder and in the common Programs and
// Startup folders survive every case, and every refusal is logged.
#include "testutil.h"
#include "core/fileprobes.h"
#include "core/log.h"
#include "core/pathguard.h"
#include "removal/directories.h"
#include "removal/filelist.h"
#include "removal/files.h"
#include "removal/shortcuts.h"
#include <commctrl.h>
#include <shlobj.h>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace {

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl | CSIDL_FLAG_CREATE, NULL, 0, path);
    return path;
}

std::string WindowsFolder()
{
    char path[MAX_PATH] = "";
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

std::string SystemFolder()
{
    char path[MAX_PATH] = "";
    GetSystemDirectoryA(path, sizeof path);
    return path;
}

class DeletionGuard : public ::testing::Test {
protected:
    std::string work, log, programs, startup;
    std::vector<std::string> canaries;
    char previousFolder[MAX_PATH] = "";

    void SetUp() override
    {
        work = MakeTempFolder("guard");
        log = OpenTestLog(work, false);
        programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
        startup = ShellFolder(CSIDL_COMMON_STARTUP);
        ASSERT_FALSE(programs.empty());
        ASSERT_FALSE(startup.empty());
        // An empty folder or "\..." resolves against the current drive: make
        // that the drive of the canaries.
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
        canaries = {"C:\\vlcanary.txt", WindowsFolder() + "\\vlcanary.txt", SystemFolder() + "\\vlcanary.txt",
                    programs + "\\vlcanary.lnk", startup + "\\vlcanary.lnk",
                    programs + "\\VlCanaryFolder\\vlcanary.lnk"};
        CreateDirectoryA((programs + "\\VlCanaryFolder").c_str(), NULL);
        CreateDirectoryA("C:\\VlCanaryEmpty", NULL);
        canaries.push_back("C:\\VlCanaryEmpty");
        for (const std::string &canary : canaries)
            if (canary.find('.', canary.rfind('\\')) != std::string::npos) WriteTextFile(canary);
    }

    void TearDown() override
    {
        GuardClearRoots();
        if (GetFileAttributesA("X:\\") != INVALID_FILE_ATTRIBUTES) RemoveDrive('X');
        SetCurrentDirectoryA(previousFolder);
        for (const std::string &canary : canaries) {
            DeleteFileA(canary.c_str());
            RemoveDirectoryA(canary.c_str());
        }
        RemoveDirectoryA((programs + "\\VlCanaryFolder").c_str());
        LogEnable(0);
        RemoveFolderTree(work);
    }

    void ExpectCanaries(const std::string &what)
    {
        for (const std::string &canary : canaries) EXPECT_TRUE(PathExists(canary)) << canary << " after " << what;
    }

    // Runs one call that must be refused: result 0, at least one "***" line
    // logged by it, and every canary still there.
    void ExpectRefused(const std::string &what, const std::function<int()> &call)
    {
        size_t before = ReadText(log).size();
        EXPECT_EQ(0, call()) << what;
        std::string added = ReadText(log).substr(before);
        EXPECT_GT(FailureLines(added), 0) << what << " was refused without a log line:\n" << added;
        ExpectCanaries(what);
    }
};

}  // namespace

TEST_F(DeletionGuard, EveryPrimitiveRefusesRootsAndSystemFolders)
{
    std::string windows = WindowsFolder();
    std::vector<std::string> folders = {
        "", "\\", "C:", "C:\\", "c:/", "\\\\server\\share", "\\\\server\\share\\", "\\\\?\\C:\\", "\\\\?\\C:\\x",
        "\\\\server\\share\\x", "\\\\?\\UNC\\server\\share\\x",
        windows, windows + "\\", windows + ".", windows + " ", windows + "\\system32\\..", SystemFolder(),
        programs, programs + "\\", programs + ".", startup, startup + " .",
        "C:\\ProgramData",  // holds the common Programs folder
        work + "\\..\\..\\..\\..\\..\\..", "C:\\x\\..\\", "C:\\. .", "C:\\...",
        "C:\\" + std::string(300, 'd'),
    };
    BOOL whole = TRUE;
    for (const std::string &f : folders) {
        const char *d = f.c_str();
        SCOPED_TRACE("folder '" + f + "'");
        ExpectRefused("walk files " + f, [&] { return DeleteTree((f + "\\*").c_str(), TRUE, TRUE, TRUE, NULL, NULL); });
        ExpectRefused("walk dirs " + f, [&] { return DeleteTree(d, FALSE, TRUE, TRUE, NULL, NULL); });
        ExpectRefused("rmdir " + f, [&] { return RemoveDirectoryPath(d, FALSE); });
        ExpectRefused("delete pattern " + f, [&] { return DeleteFilePath((f + "\\*.*").c_str(), FALSE); });
        ExpectRefused("log dir " + f, [&] { return CleanLogDirectory(d, NULL, NULL); });
        ExpectRefused("data dir " + f, [&] { return CleanDataDirectory(d, d, NULL, NULL, &whole); });
        ExpectRefused("web dir " + f, [&] { return CleanWebAdminDirectory(d, NULL, NULL); });
        ExpectRefused("program dir " + f, [&] { return CleanProgramDirectory(d, NULL, NULL, &whole); });
        ExpectRefused("uninst " + f, [&] { return DeleteInstallerLeftovers(d, TRUE); });
        DeleteCcsidTables(d);
        ExpectCanaries("ccsid " + f);
    }
    // Named files at a drive or share root, or reached by a climb.
    for (const std::string &file : {std::string("C:\\vlcanary.txt"), std::string("\\vlcanary.txt"),
                                    std::string("vlcanary.txt"), std::string("C:vlcanary.txt"),
                                    std::string("\\\\?\\C:\\vlcanary.txt"), std::string("\\\\server\\share\\x"),
                                    work + "\\..\\..\\..\\..\\..\\..\\vlcanary.txt", windows + "\\..\\vlcanary.txt",
                                    std::string("C:\\vlcanary.txt:stream"), std::string("C:\\vlcanary.txt. ")})
        ExpectRefused("delete " + file, [&] { return DeleteFilePath(file.c_str(), FALSE); });
    EXPECT_EQ(0, FolderExists(""));
    EXPECT_EQ(1, FolderIsEmpty(""));   // names no folder: nothing in it
    EXPECT_GT(CountOf(ReadText(log), "***Unsafe path refused: 'C:\\' (drive root)"), 0);
    EXPECT_GT(CountOf(ReadText(log), "***Unsafe path refused: '" + windows + "' (protected folder)"), 0);
    EXPECT_GT(CountOf(ReadText(log), "***Unsafe path refused: '\\\\server\\share' (network path)"), 0);
}

TEST_F(DeletionGuard, ANamedFileInTheWindowsFolderStaysDeletable)
{
    std::string file = WindowsFolder() + "\\vlguard.ini";
    WriteTextFile(file);
    EXPECT_EQ(1, DeleteFilePath(file.c_str(), FALSE));
    EXPECT_FALSE(PathExists(file));
    // A 259-byte path is an ordinary path; 260 bytes are refused.
    std::string folder = work + "\\" + std::string(150 - work.size() % 10, 'f');
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    std::string fits = folder + "\\" + std::string(258 - folder.size(), 'g');
    ASSERT_EQ(259u, fits.size());
    WriteTextFile(fits);
    EXPECT_EQ(1, DeleteFilePath(fits.c_str(), FALSE));
    EXPECT_FALSE(PathExists(fits));
    ExpectRefused("260 bytes", [&] { return DeleteFilePath((fits + "h").c_str(), FALSE); });
    EXPECT_EQ(1, DeleteTree(folder.c_str(), FALSE, TRUE, FALSE, NULL, NULL));
    EXPECT_FALSE(PathExists(folder));
    ExpectCanaries("named files");
}

TEST_F(DeletionGuard, ShortcutsStayInTheProgramFolder)
{
    ExpectRefused("empty folder, item", [&] { return (int)DeleteProgramFolderItem("", "vlcanary"); });
    ExpectRefused("empty folder", [&] { return (int)DeleteProgramFolderItem("", NULL); });
    ExpectRefused("dot folder", [&] { return (int)DeleteProgramFolderItem(".", NULL); });
    ExpectRefused("climbing folder", [&] { return (int)DeleteProgramFolderItem("..", NULL); });
    ExpectRefused("climbing item", [&] { return (int)DeleteProgramFolderItem("VlCanaryFolder", "..\\vlcanary"); });
    ExpectRefused("device item", [&] { return (int)DeleteProgramFolderItem("\\\\?\\C:", "vlcanary"); });
    ExpectRefused("climbing startup", [&] { return (int)DeleteStartupLink("..\\..\\vlcanary"); });
    // The Startup folder lies below Programs (as on Windows NT and under
    // Wine): its root is never removed as a program folder.
    std::string startupName = startup.substr(startup.rfind('\\') + 1);
    ASSERT_EQ(startup, programs + "\\" + startupName);
    ExpectRefused("startup root", [&] { return (int)DeleteProgramFolderItem(startupName.c_str(), NULL); });
}

TEST_F(DeletionGuard, ListLinesNeverLeaveTheirFolder)
{
    std::string uninst = work + "\\uninst", target = work + "\\P";
    CreateDirectoryA(uninst.c_str(), NULL);
    CreateDirectoryA(target.c_str(), NULL);
    CreateDirectoryA((target + "\\bin").c_str(), NULL);
    WriteTextFile(target + "\\x");
    WriteTextFile(target + "\\bin\\a.dll");
    WriteTextFile(uninst + "\\server.u00",
                  "xyz\\..\\..\\windows\\win.ini\n"
                  "\\..\\..\\..\\..\\..\\..\\..\\vlcanary.txt\n"
                  "\\\\?\\C:\\vlcanary.txt\n"
                  "\\\\server\\share\\x\n"
                  "\\bin\\. .\\..\\..\\vlcanary.txt\n"
                  "C:\\x\n"
                  "\\bin\\a.dll\n");
    WriteTextFile(uninst + "\\csd01.log",
                  "added,file,C:\\src\\vlcanary.txt,%filepath%\\..\\..\\..\\..\\..\\..\\..\n"
                  "added,file,\\\\?\\C:\\vlcanary.txt,%filepath%\\\\?\\C:\n"
                  "added,file,C:\\src\\vlcanary.txt,%filepath%C:\n"
                  "added,file,C:\\src\\x,%filepath%\n");

    EXPECT_EQ(0, ProcessFileList(FALSE, FALSE, 0, NULL, NULL, NULL, "server", uninst.c_str(), target.c_str()));
    EXPECT_FALSE(PathExists(target + "\\x"));        // "C:\x" names the file x of the target
    EXPECT_FALSE(PathExists(target + "\\bin\\a.dll"));
    EXPECT_FALSE(PathExists(target + "\\bin"));
    EXPECT_TRUE(PathExists(target));
    std::string text = ReadText(log);
    EXPECT_EQ(5, CountOf(text, "***Listed path outside '" + target + "' not deleted"));
    ExpectCanaries("component list");

    WriteTextFile(target + "\\x");
    EXPECT_EQ(0, ProcessFileList(FALSE, TRUE, 0, NULL, NULL, NULL, "csd01", uninst.c_str(), target.c_str()));
    EXPECT_FALSE(PathExists(target + "\\x"));
    ExpectCanaries("service-level list");

    // The same lists against an empty, rootless or root target: nothing is applied.
    for (const char *bad : {"", "\\", "C:", "C:\\", "\\\\server\\share"}) {
        ExpectRefused(std::string("list target '") + bad + "'", [&] {
            return ProcessFileList(FALSE, FALSE, 0, NULL, NULL, NULL, "server", uninst.c_str(), bad);
        });
        ExpectRefused(std::string("csd target '") + bad + "'", [&] {
            return ProcessFileList(FALSE, TRUE, 0, NULL, NULL, NULL, "csd01", uninst.c_str(), bad);
        });
        EXPECT_EQ(0, ProcessFileList(TRUE, FALSE, 0, NULL, NULL, NULL, "server", uninst.c_str(), bad));
        ExpectRefused(std::string("class list '") + bad + "'",
                      [&] { return UnregisterObjectClasses(FALSE, "server", NULL, NULL, bad); });
    }
}

namespace {

struct GuardAnswers {
    std::vector<std::string> Protected, Safe;
    int Wrong = 0;
};

DWORD WINAPI AskTheGuard(void *context)
{
    GuardAnswers *answers = (GuardAnswers *)context;
    for (int round = 0; round < 20; round++) {
        for (const std::string &folder : answers->Protected)
            if (FolderVerdict(folder.c_str()) != PATH_PROTECTED || RemoveDirectoryPath(folder.c_str(), FALSE) != 0)
                InterlockedIncrement((LONG *)&answers->Wrong);
        for (const std::string &folder : answers->Safe)
            if (FolderVerdict(folder.c_str()) != PATH_SAFE) InterlockedIncrement((LONG *)&answers->Wrong);
    }
    return 0;
}

}  // namespace

// The protected folders are looked up once and kept: asked at once from two
// threads (the page thread and the removal worker ask the same guard), every
// answer is the one the system's own folders call for, and a short name of
// the Windows folder is recognised too.
TEST_F(DeletionGuard, TwoThreadsGetTheSameRefusals)
{
    GuardAnswers answers;
    answers.Protected = {WindowsFolder(), SystemFolder(), programs, startup, "C:\\ProgramData", WindowsFolder() + "."};
    // Short spellings, whole or mixed with long names component by component.
    for (const std::string &folder : {WindowsFolder(), SystemFolder(), programs, startup, std::string("C:\\ProgramData")}) {
        char shortName[MAX_PATH] = "";
        DWORD n = GetShortPathNameA(folder.c_str(), shortName, sizeof shortName);
        ASSERT_TRUE(n > 0 && n < sizeof shortName) << folder;
        answers.Protected.push_back(shortName);
        std::string mixed, shortText = shortName;
        size_t l = 0, s = 0;
        for (int part = 0; l != std::string::npos && s != std::string::npos; part++) {
            size_t le = folder.find('\\', l), se = shortText.find('\\', s);
            mixed += (part % 2 ? shortText.substr(s, se - s) : folder.substr(l, le - l));
            l = le == std::string::npos ? le : le + 1;
            s = se == std::string::npos ? se : se + 1;
            if (l != std::string::npos && s != std::string::npos) mixed += "\\";
        }
        answers.Protected.push_back(mixed);
    }
    for (std::string &folder : answers.Protected)
        for (char &c : folder) c = (char)tolower((unsigned char)c);
    answers.Safe = {work, programs + "\\Norvik Varolink", WindowsFolder() + "\\Temp\\vlguard"};
    HANDLE threads[2];
    for (HANDLE &thread : threads) thread = CreateThread(NULL, 0, AskTheGuard, &answers, 0, NULL);
    WaitForMultipleObjects(2, threads, TRUE, 60000);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_EQ(answers.Wrong, 0);
    ExpectCanaries("two threads");
}

// A list applied to the Windows folder deletes the files it names in the
// system folder and passes over the system folder itself: stepped, quiet,
// never refused, never removed.
TEST_F(DeletionGuard, AListAppliedToTheWindowsFolderLeavesItsSystemFolder)
{
    std::string system = SystemFolder(), windows = WindowsFolder();
    std::string systemName = system.substr(system.rfind('\\') + 1);
    ASSERT_EQ(windows + "\\" + systemName, system);
    std::string uninst = work + "\\uninst";
    CreateDirectoryA(uninst.c_str(), NULL);
    WriteTextFile(system + "\\vlguardlisted.tmp");
    WriteTextFile(uninst + "\\winlist.u00", ("\\" + systemName + "\\vlguardlisted.tmp\n").c_str());
    HWND bar = CreateWindowA(PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 100, 10, NULL, NULL, NULL, NULL);
    SendMessageA(bar, PBM_SETRANGE32, 0, 100);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    int counted = ProcessFileList(TRUE, FALSE, 0, NULL, NULL, bar, "winlist", uninst.c_str(), windows.c_str());
    size_t before = ReadText(log).size();
    EXPECT_EQ(1, ProcessFileList(FALSE, FALSE, 0, NULL, NULL, bar, "winlist", uninst.c_str(), windows.c_str()));
    std::string added = ReadText(log).substr(before);
    EXPECT_EQ(counted, (int)SendMessageA(bar, PBM_GETPOS, 0, 0));
    DestroyWindow(bar);
    EXPECT_FALSE(PathExists(system + "\\vlguardlisted.tmp"));
    EXPECT_TRUE(PathExists(system));
    EXPECT_EQ(FailureLines(added), 0) << added;
    ExpectCanaries("list on the Windows folder");
}

// Other names of the same folder: UNC forms of local folders, and a second
// drive letter for C: (made here, after the test runner has removed every
// drive but C: and T:). The Windows folder, a profile and Program Files are
// recognised by identity, whatever their spelling.
TEST_F(DeletionGuard, OtherNamesOfAProtectedFolderAreRefused)
{
    std::string windows = WindowsFolder(), profile = ShellFolder(CSIDL_PROFILE);
    std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    ASSERT_EQ(':', profile[1]);
    WriteTextFile(profile + "\\vlcanary.txt");
    canaries.push_back(profile + "\\vlcanary.txt");
    std::string canaryFolder = work + "\\Canary";
    ASSERT_TRUE(CreateDirectoryA(canaryFolder.c_str(), NULL));
    WriteTextFile(canaryFolder + "\\vlcanary.txt");
    canaries.push_back(canaryFolder + "\\vlcanary.txt");

    for (const std::string &local : {windows, profile, canaryFolder}) {
        std::string rest = local.substr(2);
        for (const std::string &name : {"\\\\localhost\\c$" + rest, "\\\\127.0.0.1\\c$" + rest,
                                        "\\\\?\\UNC\\localhost\\c$" + rest, "//localhost/c$" + rest}) {
            SCOPED_TRACE(name);
            ExpectRefused("walk " + name, [&] { return DeleteTree((name + "\\vlcanary*.txt").c_str(), 1, 0, 0, 0, 0); });
            ExpectRefused("delete " + name, [&] { return DeleteFilePath((name + "\\vlcanary.txt").c_str(), FALSE); });
            ExpectRefused("rmdir " + name, [&] { return RemoveDirectoryPath(name.c_str(), FALSE); });
            EXPECT_EQ(1, CountOf(ReadText(log), "***Unsafe path refused: '" + name + "\\vlcanary.txt' (network path)"));
        }
    }

    ASSERT_TRUE(MakeDrive('X', "C:\\"));
    BOOL whole = TRUE;
    for (const std::string &local : {windows, windows + "\\system32", profile, programFiles, std::string("C:\\users")}) {
        std::string name = "X:" + local.substr(2);
        SCOPED_TRACE(name);
        ExpectRefused("walk " + name, [&] { return DeleteTree((name + "\\vlcanary*.txt").c_str(), 1, 0, 0, 0, 0); });
        ExpectRefused("log dir " + name, [&] { return CleanLogDirectory(name.c_str(), NULL, NULL); });
        ExpectRefused("data dir " + name, [&] { return CleanDataDirectory(name.c_str(), name.c_str(), 0, 0, &whole); });
        ExpectRefused("rmdir " + name, [&] { return RemoveDirectoryPath(name.c_str(), FALSE); });
        EXPECT_EQ(4, CountOf(ReadText(log), "***Unsafe path refused: '" + name + "' (protected folder)"));
    }
    // The same drive's name of an ordinary folder is an ordinary folder.
    std::string other = "X:" + canaryFolder.substr(2);
    EXPECT_EQ(1, DeleteFilePath((other + "\\vlcanary.txt").c_str(), FALSE));
    EXPECT_FALSE(PathExists(canaryFolder + "\\vlcanary.txt"));
    WriteTextFile(canaryFolder + "\\vlcanary.txt");
    EXPECT_TRUE(RemoveDrive('X'));
    ExpectCanaries("other names");
}

// A product folder read from data that is, or holds, a protected folder is
// refused as a whole: one line naming the value, nothing in it touched, and
// no further line however often it is met again.
TEST_F(DeletionGuard, AProductFolderHoldingAProtectedFolderIsRefusedWhole)
{
    std::string profile = ShellFolder(CSIDL_PROFILE), programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    std::string profiles = profile.substr(0, profile.rfind('\\'));
    for (const std::string &folder : {profile, profiles, programFiles}) {
        WriteTextFile(folder + "\\S0000001.LOG");
        canaries.push_back(folder + "\\S0000001.LOG");
    }
    std::string uninst = work + "\\uninst";
    CreateDirectoryA(uninst.c_str(), NULL);
    std::string profileName = profile.substr(profile.rfind('\\') + 1);
    WriteTextFile(uninst + "\\serverd.u00", ("x\\S0000001.LOG\nx\\" + profileName + "\\S0000001.LOG\n").c_str());
    BOOL whole = TRUE;
    HWND status = NULL, progress = NULL;
    for (const std::string &value : {profiles, profile, programFiles}) {
        SCOPED_TRACE(value);
        GuardClearRoots();
        GuardAddRoot("Log default path", value.c_str());
        GuardAddRoot("WorkPath", (value + "\\").c_str());
        GuardAddRoot("FilePath", value.c_str());
        size_t before = ReadText(log).size();
        EXPECT_EQ(0, CleanLogDirectory(value.c_str(), NULL, NULL));
        EXPECT_EQ(0, CleanLogDirectory(value.c_str(), NULL, NULL));
        EXPECT_EQ(0, CleanDataDirectory(value.c_str(), value.c_str(), &status, &progress, &whole));
        EXPECT_EQ(0, CleanProgramDirectory(value.c_str(), &status, &progress, &whole));
        EXPECT_EQ(0, ProcessFileList(FALSE, FALSE, 0, NULL, NULL, NULL, "serverd", uninst.c_str(), value.c_str()));
        EXPECT_EQ(0, DeleteTree((value + "\\S*.LOG").c_str(), 1, 1, 1, NULL, NULL));
        std::string added = ReadText(log).substr(before);
        // The longest of the three equal folders is the first registered.
        EXPECT_EQ(1, FailureLines(added)) << added;
        EXPECT_EQ(1, CountOf(added, "***Log default path '" + value +
                                        "' is or holds a protected folder; nothing in it is deleted"))
            << added;
        ExpectCanaries("product folder " + value);
    }
    // A product folder inside a profile is an ordinary folder.
    GuardClearRoots();
    GuardAddRoot("WorkPath", work.c_str());
    WriteTextFile(work + "\\S0000001.LOG");
    EXPECT_EQ(1, CleanLogDirectory(work.c_str(), NULL, NULL));
    EXPECT_FALSE(PathExists(work + "\\S0000001.LOG"));
    GuardClearRoots();
    ExpectCanaries("product folder in a profile");
}
