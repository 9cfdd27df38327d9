// Whole silent runs of avliunin.exe from the Main page to the completion page
// against fixture installations: exit code, log lines, and exactly what is
// left on disk, in the registry and in the installer hand-over record.
#include "engineutil.h"
#include "fixturelists.h"
#include "runner.h"
#include <gtest/gtest.h>

namespace {

std::string LoadName(int id)
{
    static char names[20][600];
    HMODULE library = LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (library) {
        LoadStringA(library, id, names[id], sizeof names[id]);
        FreeLibrary(library);
    }
    return names[id];
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
    void TearDown() override
    {
        SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
        FixtureRemove(d);
        DeleteFolderTree(ProgramsFolder());
        DeleteFolderTree(logFolder);
    }
    // Runs the uninstaller silently with the answers; returns the log.
    std::vector<std::string> Run(const std::string &answers, const std::string &more = "")
    {
        std::string rsp = logFolder + "\\answers.rsp";
        WriteTextFile(rsp, answers);
        EXPECT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\" -G\"" + logPath + "\" " + more, 300000), 0);
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

}  // namespace
