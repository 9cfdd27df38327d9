// Whole silent runs of avliunin.exe from the Main page to the completion page
// against fixture installations: exit code, log lines, and exactly what is
// left on disk, in the registry and in the installer hand-over record.
#include "engineutil.h"
#include "fixturelists.h"
#include "runner.h"
#include <shlobj.h>
#include <gtest/gtest.h>

namespace {

// An NLS string of the build's library.
std::string LoadName(int id)
{
    char name[600] = "";
    HMODULE library = LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (library) {
        LoadStringA(library, id, name, sizeof name);
        FreeLibrary(library);
    }
    return name;
}

const std::string kProduct = "Software\\Norvik\\Varolink\\CurrentVersion";
const std::string kComponents = kProduct + "\\Components";

struct SilentRemoval : ::testing::Test {
    FixtureDescription d;
    std::string P, D, logFolder, logPath, record;
    void SetUp() override
    {
        d.Root = "C:\\vlengrun";
        d.InstallerUninstall = true;
        P = FixtureProgramFolder(d);
        D = FixtureWorkFolder(d);
        logFolder = MakeUniqueTempFolder("vlrun");
        logPath = logFolder + "\\run.log";
        record = logFolder + "\\isuninst.txt";
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", record.c_str());
    }
    std::string savedPath;
    // Puts the status-MIF library's stand-in on the program's search path;
    // it writes into the log folder.
    void UseMifLibrary()
    {
        char path[32768] = "";
        GetEnvironmentVariableA("PATH", path, sizeof path);
        savedPath = path;
        SetEnvironmentVariableA("PATH", (std::string(VL_BIN_DIR "\\mif;") + savedPath).c_str());
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", logFolder.c_str());
    }
    void TearDown() override
    {
        if (!savedPath.empty()) SetEnvironmentVariableA("PATH", savedPath.c_str());
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", NULL);
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
        FixtureRemove(d);
        DeleteFolderTree(ProgramsFolder());
        DeleteFolderTree(logFolder);
    }
    // Runs the uninstaller silently with the answers; returns the log.
    std::vector<std::string> Run(const std::string &answers, const std::string &more = "", unsigned limitMs = 300000)
    {
        std::string rsp = logFolder + "\\answers.rsp";
        WriteTextFile(rsp, answers);
        EXPECT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\" -G\"" + logPath + "\" " + more, limitMs), 0);
        return LogEntries(logPath);
    }
    std::string LogText() { return ReadTextFile(logPath); }
    // The installer's uninstall program is started, not waited for.
    std::string Record() { return WaitForHandOverRecord(record, 10000); }
};

TEST_F(SilentRemoval, RemoveWithOnlyTheServerRunsNoComponentProcedure)
{
    d.Components = {{"Server", ""}};
    d.ListLines = {{"server", "\\bin\\avlmqm.dll"}};
    d.Shortcuts = {"Varolink Services", "Uninstall Varolink"};
    ASSERT_TRUE(FixtureInstall(d));
    WriteTextFile(P + "\\README.TXT", "x");
    auto log = Run("[Varolink]\nVarolink=REMOVE\n");
    EXPECT_TRUE(InOrder(log, {"->Main dialog", "  REMOVE", "->Confirm-delete-all dialog", "->Deleting-all dialog",
                              "Processing program files directory '" + P + "'", " ", " ",
                              "->All-deletion-complete dialog", "  User: Finish", "Starting UninstallShield silent",
                              "", "Uninstallation ended."}))
        << LogText();
    for (const std::string &line : log) EXPECT_EQ(line.find("Uninstalling "), std::string::npos) << line;
    // The program folder's items and the folder went; the program tree's
    // own files went; the server's listed files and its registry values stay
    // for the installer's uninstall program, which was started.
    EXPECT_FALSE(PathExists(ProgramsFolder()));
    EXPECT_FALSE(PathExists(P + "\\README.TXT"));
    EXPECT_FALSE(PathExists(P + "\\uninst\\server.u00"));
    EXPECT_TRUE(PathExists(P + "\\bin\\avlmqm.dll"));
    EXPECT_TRUE(PathExists(P + "\\uninst\\Uninst.isu"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    std::string line = Record();
    EXPECT_NE(line.find("-y -a -f\"" + P + "\\uninst\\Uninst.isu\" -c\"" + P + "\\uninst\\avliisun.dll\"|"),
              std::string::npos)
        << line;
}

TEST_F(SilentRemoval, RemoveComponentsRemovesTheChosenOnesAndWritesTheMif)
{
    d.Components = {{"Server", ""}, {"Development Toolkit", ""}, {"Local Clients\\Java Client", ""},
                    {"Internet Gateway", ""}};
    d.ListLines = {{"toolkit", "\\tools\\c\\include\\vl.h"}, {"clijava", "\\java\\lib\\client.jar"},
                   {"inetgway", "\\gateway\\gw.dll"}, {"server", "\\bin\\avlmqm.dll"}};
    ASSERT_TRUE(FixtureInstall(d));
    UseMifLibrary();
    auto log = Run("[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\nDevelopment Toolkit=REMOVE\n"
                   "Local Clients\\Windows NT Client=KEEP\nLocal Clients\\Java Client=REMOVE\n"
                   "Internet Gateway=KEEP\nDocumentation\\Internet Gateway=KEEP\n",
                   "-B -Ivlengrun");
    EXPECT_TRUE(InOrder(log, {"->Deleting-component dialog", "Uninstalling Development Toolkit (" +
                                  std::string(LoadName(2)) + ")",
                              "Uninstalling Local Clients\\Java Client (" + std::string(LoadName(4)) + ")", " ",
                              "->Component-deletion-complete dialog", "  User: Finish", "", "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
    EXPECT_FALSE(ValueExists(kComponents, "Local Clients\\Java Client"));
    EXPECT_TRUE(ValueExists(kComponents, "Internet Gateway"));
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    EXPECT_FALSE(PathExists(P + "\\tools\\c\\include\\vl.h"));
    EXPECT_FALSE(PathExists(P + "\\java\\lib\\client.jar"));
    EXPECT_TRUE(PathExists(P + "\\gateway\\gw.dll"));
    EXPECT_TRUE(PathExists(P + "\\bin\\avlmqm.dll"));
    EXPECT_TRUE(ReadTextFile(record).empty());  // no installer hand-over for components
    // This run cannot secure the product key (no "vlm" account here): the
    // MIF reports the failure with message 283.
    EXPECT_TRUE(InOrder(log, {"->Component-deletion-complete dialog", "  User: Finish", "", "Writing MIF file",
                              "MIF file written"}))
        << LogText();
    std::string mif = ReadTextFile(logFolder + "\\vlengrun.mif");
    EXPECT_NE(mif.find("VALUE = \"Failed\""), std::string::npos) << mif;
    EXPECT_NE(mif.find("VALUE = \"" + LoadName(283) + "\""), std::string::npos) << mif;
}

TEST_F(SilentRemoval, RemoveDataTakesTheDataTreeAndHandsOver)
{
    d.Components = {{"Server", ""}, {"Development Toolkit", ""}};
    d.RegistryQueueManagers = {{"QM1", "VL.QM.ONE"}};
    d.WebAdminData = true;
    d.ListLines = {{"toolkit", "\\tools\\c\\include\\vl.h"}, {"server", "\\bin\\avlmqm.dll"}};
    ASSERT_TRUE(FixtureInstall(d));
    WriteTextFile(D + "\\VLS.INI", "x");
    WriteTextFile(D + "\\errors\\zid001.log", "x");
    auto log = Run("[Varolink]\nVarolink=REMOVEDATA\n", "-Ivlengdata");
    EXPECT_TRUE(InOrder(log, {"  REMOVEDATA", "->Deleting-all dialog", "Uninstalling Development Toolkit (" +
                                  LoadName(2) + ")",
                              "Processing data files directory '" + D + "'",
                              "Processing Web Admin directory '" + D + "\\vlwa\\scripts\\public'",
                              "Processing program files directory '" + P + "'", "->All-deletion-complete dialog",
                              "  User: Finish", "Starting UninstallShield silent", "", "Uninstallation ended."}))
        << LogText();
    // Gone: the toolkit, the data folder's own files, the Web Administration data.
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
    EXPECT_FALSE(PathExists(P + "\\tools"));
    EXPECT_FALSE(PathExists(D + "\\VLS.INI"));
    EXPECT_FALSE(PathExists(D + "\\errors"));
    EXPECT_FALSE(PathExists(D + "\\vlwa"));
    // Stays for the installer's uninstall program: the server, which a
    // whole-product removal does not take through its procedure.
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
    EXPECT_TRUE(PathExists(P + "\\bin\\avlmqm.dll"));
    // The MIF name goes to the installer's uninstall program.
    EXPECT_NE(Record().find("-mvlengdata|"), std::string::npos) << Record();
}

// A top-level window whose thread has stopped taking messages, as a hung
// program's window does.
struct HungWindow {
    HANDLE Thread = NULL, Created = NULL, Release = NULL;
    static DWORD WINAPI Main(LPVOID self)
    {
        HungWindow *hung = (HungWindow *)self;
        HWND window = CreateWindowA("STATIC", "hung", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL, NULL, NULL);
        SetEvent(hung->Created);
        WaitForSingleObject(hung->Release, 300000);
        if (window) DestroyWindow(window);
        return 0;
    }
    bool Start()
    {
        Created = CreateEventA(NULL, TRUE, FALSE, NULL);
        Release = CreateEventA(NULL, TRUE, FALSE, NULL);
        Thread = CreateThread(NULL, 0, Main, this, 0, NULL);
        return Thread && WaitForSingleObject(Created, 10000) == WAIT_OBJECT_0;
    }
    ~HungWindow()
    {
        if (Release) SetEvent(Release);
        if (Thread) WaitForSingleObject(Thread, 10000);
        for (HANDLE h : {Thread, Created, Release})
            if (h) CloseHandle(h);
    }
};

// The environment broadcast gives up on a window that does not answer: the
// silent run ends by itself and its log says which broadcast gave up.
TEST_F(SilentRemoval, AHungWindowDoesNotHoldTheEnvironmentBroadcast)
{
    d.Components = {{"Server", ""}, {"Development Toolkit", ""}};
    d.ListLines = {{"toolkit", "\\tools\\c\\include\\vl.h"}};
    ASSERT_TRUE(FixtureInstall(d));
    HungWindow hung;
    ASSERT_TRUE(hung.Start());
    auto log = Run("[Varolink]\nVarolink=REMOVECOMPONENTS\n[Components]\nDevelopment Toolkit=REMOVE\n"
                   "Local Clients\\Windows NT Client=KEEP\nLocal Clients\\Java Client=KEEP\n"
                   "Internet Gateway=KEEP\nDocumentation\\Internet Gateway=KEEP\n",
                   "", 120000);
    EXPECT_TRUE(InOrder(log, {"Finished uninstalling Development Toolkit (" + LoadName(2) + ")", " ",
                              "Broadcasting environment changes", "Environment change broadcast timed out", " ",
                              "Refreshing Start menu", "->Component-deletion-complete dialog", "",
                              "Uninstallation ended."}))
        << LogText();
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
}

}  // namespace

namespace {

std::string ShellPath(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, 0, path);
    return path;
}

}  // namespace

// WorkPath and the log default path read from the registry name the profiles
// root and a profile: a whole removal with data deletes nothing in either
// (no log file, no settings file, no empty folder, not the default log at the
// end) and says so once for each value.
TEST_F(SilentRemoval, AWorkPathOrLogPathHoldingProfilesIsRefusedWhole)
{
    d.Components = {{"Server", ""}};
    ASSERT_TRUE(FixtureInstall(d));
    std::string profile = ShellPath(CSIDL_PROFILE), profiles = profile.substr(0, profile.rfind('\\'));
    SetValue(kProduct, "WorkPath", profiles);
    MakeKey(kProduct + "\\Configuration\\LogDefaults");
    SetValue(kProduct + "\\Configuration\\LogDefaults", "LogDefaultPath", profile);
    std::vector<std::string> canaries = {profile + "\\S0000001.LOG", profiles + "\\S0000002.LOG",
                                         profiles + "\\VLS.INI", profiles + "\\avlilogn.txt"};
    for (const std::string &canary : canaries) WriteTextFile(canary, "keep");
    std::vector<std::string> empties = {profile + "\\VlEmptyCanary", profiles + "\\VlEmptyCanary",
                                        profiles + "\\qmgrs"};
    for (const std::string &folder : empties) CreateDirectoryA(folder.c_str(), NULL);

    auto log = Run("[Varolink]\nVarolink=REMOVEDATA\n");
    for (const std::string &canary : canaries) EXPECT_TRUE(PathExists(canary)) << canary;
    for (const std::string &folder : empties) EXPECT_TRUE(PathExists(folder)) << folder;
    int workLines = 0, logLines = 0;
    for (const std::string &line : log) {
        workLines += line == "***WorkPath '" + profiles + "' is or holds a protected folder; nothing in it is deleted";
        logLines += line == "***Log default path '" + profile +
                                "' is or holds a protected folder; nothing in it is deleted";
    }
    EXPECT_EQ(1, workLines) << LogText();
    EXPECT_EQ(1, logLines) << LogText();
    // The removal reached both folders' clean-up.
    EXPECT_TRUE(InOrder(log, {"Processing log files directory '" + profile + "'",
                              "Processing data files directory '" + profiles + "'", "Uninstallation ended."}))
        << LogText();
    for (const std::string &canary : canaries) DeleteFileA(canary.c_str());
    for (const std::string &folder : empties) RemoveDirectoryA(folder.c_str());
}

// FilePath names Program Files itself: its files and folders stay.
TEST_F(SilentRemoval, AFilePathOfProgramFilesIsRefusedWhole)
{
    d.Components = {{"Server", ""}};
    ASSERT_TRUE(FixtureInstall(d));
    std::string programFiles = "C:\\Program Files";
    std::string uninst = programFiles + "\\uninst";
    bool madeUninst = CreateDirectoryA(uninst.c_str(), NULL) != 0;
    ASSERT_TRUE(CopyFileA((P + "\\uninst\\_isuser.dll").c_str(), (uninst + "\\_isuser.dll").c_str(), FALSE));
    SetValue(kProduct, "FilePath", programFiles);
    std::vector<std::string> canaries = {programFiles + "\\README.TXT", programFiles + "\\VlCanary\\editor.log",
                                         uninst + "\\vlcanary.u00"};
    for (const std::string &canary : canaries) WriteTextFile(canary, "keep");
    CreateDirectoryA((programFiles + "\\VlEmptyCanary").c_str(), NULL);

    auto log = Run("[Varolink]\nVarolink=REMOVE\n");
    for (const std::string &canary : canaries) EXPECT_TRUE(PathExists(canary)) << canary;
    EXPECT_TRUE(PathExists(programFiles + "\\VlEmptyCanary"));
    EXPECT_TRUE(PathExists(uninst + "\\_isuser.dll"));
    int lines = 0;
    for (const std::string &line : log)
        lines += line == "***FilePath '" + programFiles + "' is or holds a protected folder; nothing in it is deleted";
    EXPECT_EQ(1, lines) << LogText();
    EXPECT_TRUE(Contains(log, "Processing program files directory '" + programFiles + "'")) << LogText();
    for (const std::string &canary : canaries) DeleteFileA(canary.c_str());
    RemoveDirectoryA((programFiles + "\\VlCanary").c_str());
    RemoveDirectoryA((programFiles + "\\VlEmptyCanary").c_str());
    DeleteFileA((uninst + "\\_isuser.dll").c_str());
    if (madeUninst) RemoveDirectoryA(uninst.c_str());
}
