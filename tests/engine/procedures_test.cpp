// The component procedures through UninstallComponent against fixture
// installations: what each leaves on disk, in the registry, among the
// services, environment entries and shortcuts, and that the working pass
// steps the progress bar exactly as often as the counting pass said.
#include "engineutil.h"
#include "fixturelists.h"
#include "runner.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "engine/components.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const std::string kProduct = "Software\\Norvik\\Varolink\\CurrentVersion";
const std::string kComponents = kProduct + "\\Components";
const std::string kConfiguration = kProduct + "\\Configuration";
const std::string kEventLog = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Varolink";
const std::string kEnvironment = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

struct Procedures : ::testing::Test {
    FixtureDescription d;
    StepCountingBar bar;
    std::string P, D, log, savedPath;

    void SetUp() override
    {
        d.Root = "C:\\vlengine";
        P = FixtureProgramFolder(d);
        D = FixtureWorkFolder(d);
        log = OpenTestLog(MakeUniqueTempFolder("vleng"), true, "engine.log");
        bar.Create();
        savedPath = FixtureSystemEnv("Path");
    }
    void TearDown() override
    {
        bar.Destroy();
        FixtureRemove(d);
        DeleteFolderTree(ProgramsFolder());
        FixtureDeleteSystemEnv("classpath");
        FixtureDeleteSystemEnv("DVL_PATH");
        FixtureDeleteSystemEnv("DVL_XLAT_PATH");
        if (savedPath != "<none>") FixtureSetSystemEnv("Path", savedPath);
        DeleteTestService("NorvikVarolink");
        DeleteTestService("VarolinkServices");
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kEventLog.c_str());
        NlsFreeLibrary();
        LogClose();
    }
    void Install()
    {
        ASSERT_TRUE(FixtureInstall(d));
        RunStateReset();
        gRun.SilentMode = TRUE;
        PrepareRunState(d);
    }
    // UninstallComponent as the worker calls it; checks the step count.
    int Remove(const char *key, BOOL *deleteData = NULL, bool wholeBar = true)
    {
        int option = 1;
        int nameId = 0;
        for (const Component &c : gComponents)
            if (c.ValueName && strcmp(c.ValueName, key) == 0) nameId = c.NlsNameId;
        int result = UninstallComponent(key, NULL, gRun.ProgramFilesPath, gRun.ProductWorkPath, gRun.LogDefaultPath,
                                        gRun.ProgramFolderName, &bar.Status1, &bar.Status2, &bar.Status3,
                                        &bar.Progress, gComponentDisplayNames[nameId], deleteData, &option, 0);
        if (wholeBar) {
            EXPECT_EQ(StepsSinceReset(), LastRangeTop()) << key << "\n" << ReadTextFile(log);
        }
        return result;
    }
    std::string Log() { return ReadTextFile(log); }
    void List(const char *name, const char *line) { d.ListLines.push_back({name, line}); }
};

TEST_F(Procedures, ServerGoesWhileTheWindowsClientStays)
{
    d.Components = {{"Server", ""}, {"Local Clients\\Windows NT Client", ""}};
    List("server", "\\bin\\avlmqm.dll");
    List("server", "\\lib\\-lang1-\\avlmsg.cat");
    List("clint", "\\bin\\avlcli.dll");
    List("clslfrg", "\\bin\\vlcli.exe");
    Install();
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\localserver.exe", (P + "\\bin\\vlcli.exe").c_str(), FALSE));
    std::string calls = D + "\\unreg.txt";
    SetEnvironmentVariableA("VL_UNREG_LOG", calls.c_str());
    SetValue(kProduct, "BaseComponent", "");
    SetValue(kProduct, "MinimumFilesComponent", "");
    SetValue(kProduct, "WindowsNTClientComponent", "");
    SetValue(kConfiguration + "\\LogDefaults", "LogDefaultPath", "C:\\nowhere");
    SetValue(kConfiguration + "\\WebAdministration", "Port", "9090");
    SetValue(kConfiguration + "\\ClientExitPath", "ExitsDefaultPath", "C:\\exits");
    MakeKey(kEventLog);
    ASSERT_TRUE(CreateTestService("NorvikVarolink"));
    ASSERT_TRUE(CreateTestService("VarolinkServices"));
    FixtureSetSystemEnv("Path", savedPath + ";" + P + "\\bin");
    FixtureSetSystemEnv("classpath", P + "\\java\\lib\\com.norvik.vlbind.jar;C:\\mine.jar");
    FixtureShortcut(ProgramsFolder() + "\\Varolink Services.lnk", "C:\\windows\\notepad.exe");
    FixtureShortcut(StartupFolder() + "\\Varolink Alert Monitor.lnk", "C:\\windows\\notepad.exe");
    WriteTextFile(P + "\\uninst\\avlmperf.reg", "x");
    WriteTextFile(P + "\\bin\\avlisfin.exe", "x");

    BOOL deleteData = FALSE;
    EXPECT_EQ(Remove("Server", &deleteData), 1) << Log();
    SetEnvironmentVariableA("VL_UNREG_LOG", NULL);
    EXPECT_EQ(ReadTextFile(calls).find("vlcli.exe"), std::string::npos);  // the client's classes stay
    EXPECT_TRUE(PathExists(P + "\\bin\\vlcli.exe"));

    // Gone: the server's files, values, services, shortcuts and entries.
    EXPECT_FALSE(PathExists(P + "\\bin\\avlmqm.dll"));
    EXPECT_FALSE(PathExists(P + "\\lib\\de_de\\avlmsg.cat"));
    EXPECT_FALSE(PathExists(P + "\\uninst\\avlmperf.reg"));
    EXPECT_FALSE(PathExists(P + "\\bin\\avlisfin.exe"));
    EXPECT_FALSE(ValueExists(kComponents, "Server"));
    EXPECT_FALSE(ValueExists(kProduct, "BaseComponent"));
    EXPECT_FALSE(ValueExists(kProduct, "MinimumFilesComponent"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\LogDefaults"));
    EXPECT_FALSE(ServiceExists("NorvikVarolink"));
    EXPECT_FALSE(ServiceExists("VarolinkServices"));
    EXPECT_FALSE(PathExists(ProgramsFolder() + "\\Varolink Services.lnk"));
    EXPECT_FALSE(PathExists(StartupFolder() + "\\Varolink Alert Monitor.lnk"));
    EXPECT_EQ(FixtureSystemEnv("Path"), savedPath);
    EXPECT_EQ(FixtureSystemEnv("classpath"), "C:\\mine.jar");
    // Kept for the client: its files, its value, the shared configuration
    // (all but LogDefaults) and the event-log source.
    EXPECT_TRUE(PathExists(P + "\\bin\\avlcli.dll"));
    EXPECT_TRUE(ValueExists(kComponents, "Local Clients\\Windows NT Client"));
    EXPECT_TRUE(ValueExists(kProduct, "WindowsNTClientComponent"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\ClientExitPath"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\WebAdministration"));
    EXPECT_TRUE(KeyExists(kEventLog));
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_TRUE(InOrder(lines, {"", "Uninstalling Server (" + std::string(gComponentDisplayNames[1]) + ")",
                                "Launching process 'unlodctr.exe' 'VarolinkServices'; dir ''.",
                                "Deleting file component '" + P + "\\uninst\\server'",
                                "Finished uninstalling Server (" + std::string(gComponentDisplayNames[1]) + ")"}))
        << Log();
}

// Object classes: the server's local servers are unregistered before its
// lists delete them; the client's only when the client is not installed.
TEST_F(Procedures, ServerObjectClassesAndTheClientsWhenItIsGone)
{
    d.Components = {{"Server", ""}};
    List("svslfrg", "\\bin\\vlsrv.exe");
    List("clslfrg", "\\bin\\vlcli.exe");
    Install();
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\localserver.exe", (P + "\\bin\\vlsrv.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\localserver.exe", (P + "\\bin\\vlcli.exe").c_str(), FALSE));
    // Under Wine the folder the servers ran in stays busy for a while after
    // they end: a file of another component keeps it from being removed.
    WriteTextFile(P + "\\bin\\other.dll", "x");
    std::string calls = FixtureWorkFolder(d) + "\\unreg.txt";
    SetEnvironmentVariableA("VL_UNREG_LOG", calls.c_str());
    BOOL deleteData = FALSE;
    EXPECT_EQ(Remove("Server", &deleteData), 1) << Log();
    SetEnvironmentVariableA("VL_UNREG_LOG", NULL);
    std::string text = ReadTextFile(calls);
    EXPECT_NE(text.find("vlsrv.exe"), std::string::npos) << text;
    EXPECT_NE(text.find("vlcli.exe"), std::string::npos) << text;
    EXPECT_NE(text.find(" -UnregServer"), std::string::npos) << text;
    EXPECT_FALSE(PathExists(P + "\\bin\\vlsrv.exe"));
    EXPECT_FALSE(PathExists(P + "\\bin\\vlcli.exe"));
}

TEST_F(Procedures, ServerWithQueueManagersAndDataKeptSavesTheConfigurationFirst)
{
    d.Components = {{"Server", ""}};
    d.RegistryQueueManagers = {{"QM1", "VL.QM.ONE"}};
    d.VerbatimLines = {"; nothing literal"};
    List("server", "\\bin\\avlmqm.dll");
    Install();
    MakeFolders(D + "\\config");
    BOOL deleteData = FALSE;
    EXPECT_EQ(Remove("Server", &deleteData), 1) << Log();
    EXPECT_TRUE(PathExists(D + "\\config\\Config.reg")) << Log();
    EXPECT_TRUE(PathExists(D + "\\qmgrs\\QM1"));   // the queue manager's data stays
    EXPECT_FALSE(PathExists(P + "\\bin\\avlmqm.dll"));
    EXPECT_FALSE(ValueExists(kComponents, "Server"));
}

// The log folders of queue managers may lie in a log default path outside
// the data folder: removing the data takes them, and the run stays clean.
TEST_F(Procedures, ServerWithDataRemovedTakesLogFoldersFromTheLogDefaultPath)
{
    std::string logs = d.Root + "\\Logs";
    d.Components = {{"Server", ""}};
    d.LogDefaultPath = logs;
    d.RegistryQueueManagers = {{"QM1", "VL.QM.ONE"}};
    d.ConfigValues = {{"sz", "QueueManager\\QM1\\Log", "LogPath", logs + "\\QM1"}};
    List("server", "\\bin\\avlmqm.dll");
    Install();
    WriteTextFile(logs + "\\QM1\\active\\S0000000.LOG", "log");
    WriteTextFile(D + "\\qmgrs\\QM1\\queue.dat", "data");
    BOOL deleteData = TRUE;
    EXPECT_EQ(Remove("Server", &deleteData), 1) << Log();
    EXPECT_FALSE(PathExists(logs + "\\QM1"));
    EXPECT_FALSE(PathExists(D + "\\qmgrs"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\QueueManager\\QM1"));
}

// A queue manager whose folder the removal refuses keeps its keys through the
// removal of the configuration key; the rest of that key goes.
TEST_F(Procedures, ServerWithDataRemovedKeepsTheKeysOfARefusedQueueManager)
{
    std::string outside = d.Root + "\\Outside";
    d.Components = {{"Server", ""}};
    d.RegistryQueueManagers = {{"QM1", "VL.QM.ONE"}, {"QM2", "VL.QM.TWO", "tcp"}};
    d.ConfigValues = {{"sz", "QueueManager\\QM2", "Prefix", outside}, {"sz", "ClientExitPath", "ExitsDefaultPath", "C:\\x"}};
    List("server", "\\bin\\avlmqm.dll");
    Install();
    WriteTextFile(outside + "\\qmgrs\\QM2\\queue.dat", "QM2 data");
    BOOL deleteData = TRUE;
    EXPECT_EQ(Remove("Server", &deleteData), 0) << Log();
    EXPECT_TRUE(PathExists(outside + "\\qmgrs\\QM2\\queue.dat"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\QueueManager\\QM2"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\Services\\QM2\\Listener"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\QueueManager\\QM1"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\Services\\QM1"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\ClientExitPath"));
    EXPECT_FALSE(ValueExists(kComponents, "Server"));
    std::vector<std::string> lines = LogEntries(log);
    EXPECT_EQ(1, std::count_if(lines.begin(), lines.end(), [](const std::string &line) {
                  return line.rfind("***Registry keys of QM 'VL.QM.TWO' kept", 0) == 0;
              }))
        << Log();
}

TEST_F(Procedures, FailedConfigurationExportKeepsTheWholeServer)
{
    d.Components = {{"Server", ""}};
    d.RegistryQueueManagers = {{"QM1", "VL.QM.ONE"}};
    List("server", "\\bin\\avlmqm.dll");
    Install();   // no avlirgdn.u01: the export cannot be made
    MakeFolders(D + "\\config");
    BOOL deleteData = FALSE;
    // The procedure ends at once: the bar stops where it is.
    EXPECT_EQ(Remove("Server", &deleteData, false), 0) << Log();
    char text[600];
    LoadNlsString(text, 224);
    EXPECT_TRUE(Contains(LogEntries(log), "MessageBox: '" + std::string(text) + "'")) << Log();
    EXPECT_EQ(ValueText(kComponents, "Server"), "Incomplete");
    EXPECT_TRUE(PathExists(P + "\\bin\\avlmqm.dll"));
    EXPECT_TRUE(PathExists(D + "\\qmgrs\\QM1"));
}

TEST_F(Procedures, WindowsClientGoesWhileTheServerStays)
{
    d.Components = {{"Server", ""}, {"Local Clients\\Windows NT Client", ""}};
    List("clint", "\\bin\\avlcli.dll");
    Install();
    SetValue(kProduct, "WindowsNTClientComponent", "");
    SetValue(kConfiguration + "\\ClientExitPath", "ExitsDefaultPath", "C:\\exits");
    MakeKey(kEventLog);
    FixtureSetSystemEnv("Path", savedPath + ";" + P + "\\bin");
    WriteTextFile(P + "\\uninst\\avliclcn.reg", "x");

    EXPECT_EQ(Remove("Local Clients\\Windows NT Client"), 1) << Log();
    EXPECT_FALSE(ValueExists(kComponents, "Local Clients\\Windows NT Client"));
    EXPECT_FALSE(ValueExists(kProduct, "WindowsNTClientComponent"));
    EXPECT_FALSE(PathExists(P + "\\uninst\\avliclcn.reg"));
    // Everything shared with the server stays.
    EXPECT_TRUE(PathExists(P + "\\bin\\avlcli.dll"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\ClientExitPath"));
    EXPECT_TRUE(KeyExists(kEventLog));
    EXPECT_EQ(FixtureSystemEnv("Path"), savedPath + ";" + P + "\\bin");
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
}

TEST_F(Procedures, WindowsClientAloneTakesTheSharedParts)
{
    d.Components = {{"Local Clients\\Windows NT Client", ""}};
    List("clint", "\\bin\\avlcli.dll");
    List("clintcnv", "!\\conv\\table\\0437.tbl");
    Install();
    WriteTextFile(D + "\\conv\\table\\0437.tbl", "x");
    WriteTextFile(D + "\\conv\\ccsid.tbl", "x");
    SetValue(kConfiguration + "\\ClientExitPath", "ExitsDefaultPath", "C:\\exits");
    SetValue(kConfiguration + "\\WebAdministration", "Port", "9090");
    MakeKey(kEventLog);
    FixtureSetSystemEnv("Path", savedPath + ";" + P + "\\bin");

    EXPECT_EQ(Remove("Local Clients\\Windows NT Client"), 1) << Log();
    EXPECT_FALSE(PathExists(P + "\\bin\\avlcli.dll"));
    EXPECT_FALSE(PathExists(D + "\\conv\\table\\0437.tbl"));
    EXPECT_FALSE(PathExists(D + "\\conv\\ccsid.tbl"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\ClientExitPath"));
    EXPECT_TRUE(KeyExists(kConfiguration + "\\WebAdministration"));  // spared
    EXPECT_FALSE(KeyExists(kEventLog));
    EXPECT_EQ(FixtureSystemEnv("Path"), savedPath);
}

TEST_F(Procedures, ListComponentsTakeTheirListsAndValues)
{
    d.Components = {{"Server", ""},
                    {"Development Toolkit", ""},
                    {"Documentation\\Library HTML", ""},
                    {"Documentation\\Library PDF", ""},
                    {"Local Clients\\Java Client", ""},
                    {"Internet Gateway", ""},
                    {"Documentation\\Internet Gateway", ""}};
    List("toolkit", "\\tools\\c\\include\\vl.h");
    List("libhtml", "\\doc\\html\\index.htm");
    List("libpdf", "\\doc\\pdf\\book.pdf");
    List("clijava", "\\java\\lib\\client.jar");
    List("javabase", "\\java\\lib\\base.jar");
    List("inetgway", "\\gateway\\gw.dll");
    List("ijavadoc", "\\gateway\\doc\\api.htm");
    Install();
    SetValue(kProduct, "ToolkitComponent", "");
    SetValue(kProduct, "PublicationsComponent", "");
    FixtureSetSystemEnv("classpath", P + "\\java\\lib\\com.norvik.vl.jar;" + P +
                                         "\\tools\\javaclnt\\samples\\en_us;C:\\mine.jar");
    char docsName[600];
    ASSERT_TRUE(LoadNlsString(docsName, 196));
    std::string docsLink = ProgramsFolder() + "\\" + docsName + ".lnk";
    ASSERT_TRUE(FixtureShortcut(docsLink, "C:\\windows\\notepad.exe"));

    for (const char *key : {"Development Toolkit", "Documentation\\Library HTML", "Documentation\\Library PDF",
                            "Local Clients\\Java Client", "Internet Gateway", "Documentation\\Internet Gateway"}) {
        EXPECT_EQ(Remove(key), 1) << key << "\n" << Log();
        EXPECT_FALSE(ValueExists(kComponents, key)) << key;
    }
    for (const char *file : {"\\tools\\c\\include\\vl.h", "\\doc\\html\\index.htm", "\\doc\\pdf\\book.pdf",
                             "\\java\\lib\\client.jar", "\\gateway\\gw.dll", "\\gateway\\doc\\api.htm"})
        EXPECT_FALSE(PathExists(P + file)) << file;
    EXPECT_FALSE(ValueExists(kProduct, "ToolkitComponent"));
    EXPECT_FALSE(ValueExists(kProduct, "PublicationsComponent"));
    EXPECT_FALSE(PathExists(P + "\\tools"));  // emptied folders go with their files
    EXPECT_FALSE(PathExists(docsLink));
    // The server is still installed: the Java client's shared base stays,
    // and so do the server's classpath entries; the toolkit's sample entry went.
    EXPECT_TRUE(PathExists(P + "\\java\\lib\\base.jar"));
    EXPECT_EQ(FixtureSystemEnv("classpath"), P + "\\java\\lib\\com.norvik.vl.jar;C:\\mine.jar");
    EXPECT_TRUE(ValueExists(kComponents, "Server"));
}

TEST_F(Procedures, JavaClientWithoutTheServerTakesTheSharedBase)
{
    d.Components = {{"Local Clients\\Java Client", ""}};
    List("clijava", "\\java\\lib\\client.jar");
    List("javabase", "\\java\\lib\\base.jar");
    Install();
    FixtureSetSystemEnv("classpath", P + "\\java\\lib\\com.norvik.vl.jar;C:\\mine.jar;" + P +
                                         "\\java\\lib\\com.norvik.vl.iiop.jar");
    EXPECT_EQ(Remove("Local Clients\\Java Client"), 1) << Log();
    EXPECT_FALSE(PathExists(P + "\\java\\lib\\base.jar"));
    EXPECT_FALSE(PathExists(P + "\\java\\lib\\client.jar"));
    EXPECT_EQ(FixtureSystemEnv("classpath"), "C:\\mine.jar");
}

TEST_F(Procedures, WebAdministrationDataKeptWhenAskedAndPresent)
{
    d.Components = {{"Web Administration Server", ""}};
    d.WebAdminData = true;
    List("webadmin", "\\vlwa\\server\\server.jar");
    Install();
    WriteTextFile(P + "\\vlwa\\client\\PXTX509k.properties", "x");
    WriteTextFile(D + "\\vlWebAdmin.log", "x");
    WriteTextFile(D + "\\vlwa\\scripts\\common.js", "x");
    SetValue(kConfiguration + "\\WebAdministration", "Port", "9090");
    WriteTextFile(P + "\\uninst\\avliwadn.reg", "x");

    BOOL deleteData = FALSE;
    EXPECT_EQ(Remove("Web Administration Server", &deleteData), 1) << Log();
    EXPECT_TRUE(PathExists(D + "\\vlwa\\scripts\\public\\index.html"));  // the user's data stays
    EXPECT_FALSE(PathExists(P + "\\vlwa\\client\\PXTX509k.properties"));
    EXPECT_FALSE(PathExists(P + "\\vlwa\\client"));
    EXPECT_FALSE(PathExists(D + "\\vlWebAdmin.log"));
    EXPECT_FALSE(PathExists(P + "\\vlwa\\server\\server.jar"));
    EXPECT_FALSE(PathExists(P + "\\uninst\\avliwadn.reg"));
    EXPECT_FALSE(KeyExists(kConfiguration + "\\WebAdministration"));
    EXPECT_FALSE(ValueExists(kComponents, "Web Administration Server"));
}

TEST_F(Procedures, WebAdministrationDataGoesWhenAskedOrEmpty)
{
    d.Components = {{"Web Administration Server", ""}};
    d.WebAdminData = true;
    Install();
    BOOL deleteData = TRUE;
    EXPECT_EQ(Remove("Web Administration Server", &deleteData), 1) << Log();
    EXPECT_FALSE(PathExists(D + "\\vlwa\\scripts\\public\\index.html"));
    EXPECT_FALSE(PathExists(D + "\\vlwa"));

    // Kept by choice, but the public folder is empty: it goes anyway.
    d.WebAdminData = false;
    Install();
    MakeFolders(D + "\\vlwa\\scripts\\public");
    deleteData = FALSE;
    EXPECT_EQ(Remove("Web Administration Server", &deleteData), 1) << Log();
    EXPECT_FALSE(PathExists(D + "\\vlwa"));
}

TEST_F(Procedures, LanguageWithoutListsLosesItsShortcutAndValue)
{
    d.Components = {{"Additional Languages\\fr_fr", ""}, {"Additional Languages\\de_de", ""}};
    Install();
    char name[600];
    ASSERT_TRUE(LoadOwnString(name, 345));
    std::string link = ProgramsFolder() + "\\" + name + ".lnk";
    ASSERT_TRUE(FixtureShortcut(link, "C:\\windows\\notepad.exe"));
    EXPECT_EQ(Remove("Additional Languages\\fr_fr"), 1) << Log();
    EXPECT_FALSE(PathExists(link));
    EXPECT_FALSE(ValueExists(kComponents, "Additional Languages\\fr_fr"));
    EXPECT_TRUE(ValueExists(kComponents, "Additional Languages\\de_de"));
    EXPECT_NE(Log().find("Deleting file component '" + P + "\\uninst\\chmfr_fr'"), std::string::npos);
}

TEST_F(Procedures, ComponentWithoutItsValueGetsNoMarkerButIsRemoved)
{
    d.Components = {{"Server", ""}};
    List("toolkit", "\\tools\\lib\\vl.lib");
    Install();
    EXPECT_EQ(Remove("Development Toolkit"), 1) << Log();
    EXPECT_FALSE(ValueExists(kComponents, "Development Toolkit"));
    EXPECT_FALSE(PathExists(P + "\\tools\\lib\\vl.lib"));
}

TEST_F(Procedures, MarkerSetBeforeTheWorkAndGoneAfterIt)
{
    // A procedure without final clean-up shows what the driver leaves: the marker.
    d.Components = {{"Internet Gateway", ""}};
    Install();
    int option = 0;
    EXPECT_EQ(UninstallComponent("Internet Gateway", NULL, gRun.ProgramFilesPath, gRun.ProductWorkPath, "",
                                 gRun.ProgramFolderName, NULL, NULL, NULL, NULL, "Gateway", NULL, &option, 0),
              1);
    EXPECT_EQ(ValueText(kComponents, "Internet Gateway"), "Incomplete");
}

TEST_F(Procedures, ObsoleteFilesOfBothTrees)
{
    d.Components = {{"Server", ""}};
    List("avliobpn", "\\bin\\old.dll");
    Install();
    WriteTextFile(P + "\\uninst\\avliobdn.u00", "\\old\\data.dat\n");
    WriteTextFile(D + "\\old\\data.dat", "x");
    WriteTextFile(P + "\\conv\\ccsid.tbl", "x");
    WriteTextFile(P + "\\conv\\table\\0437.tbl", "x");
    WriteTextFile(P + "\\book\\guide\\page.htm", "x");
    FixtureSetSystemEnv("DVL_PATH", "C:\\dvl");
    FixtureSetSystemEnv("DVL_XLAT_PATH", "C:\\dvl\\xlat");

    EXPECT_EQ(RemoveObsoleteFiles(TRUE, TRUE, gRun.ProgramFilesPath, gRun.ProductWorkPath, gRun.ProgramFolderName,
                                  &bar.Status3, &bar.Progress),
              1)
        << Log();
    EXPECT_FALSE(PathExists(P + "\\bin\\old.dll"));
    EXPECT_FALSE(PathExists(D + "\\old\\data.dat"));
    EXPECT_FALSE(PathExists(P + "\\conv"));
    EXPECT_FALSE(PathExists(P + "\\book\\guide"));
    EXPECT_EQ(FixtureSystemEnv("DVL_PATH"), "<none>");
    EXPECT_EQ(FixtureSystemEnv("DVL_XLAT_PATH"), "<none>");
    EXPECT_EQ(StepsSinceReset(), LastRangeTop());
    EXPECT_TRUE(InOrder(LogEntries(log), {"Deleting obsolete program files in '" + P + "' tree",
                                          "Deleting obsolete data files in '" + D + "' tree"}));
}

}  // namespace
