// Whole-product scenarios under Wine: for each main choice of the response
// file, what must go, what must stay and what may change, as the removal
// procedures define them, over rich installations of releases 2.0, 5.0 and 5.1.
#include "fixturelists.h"
#include "runner.h"
#include "scenario.h"
#include <gtest/gtest.h>

namespace {

const char kRemove[] = "[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n";
const char kRemoveData[] = "[Varolink]\r\nVarolink=REMOVEDATA\r\nLockedFiles=CONTINUE\r\n";

// A component removal: the five choices the silent selection reads, then the
// two data answers.
std::string ComponentsResponse(const char *toolkit, const char *windowsClient, const char *javaClient,
                               const char *gateway, const char *gatewayDocs, const char *server = "KEEP",
                               const char *webAdmin = "KEEP")
{
    return std::string("[Varolink]\r\nVarolink=REMOVECOMPONENTS\r\nLockedFiles=CONTINUE\r\n[Components]\r\n") +
           "Development Toolkit=" + toolkit + "\r\nLocal Clients\\Windows NT Client=" + windowsClient +
           "\r\nLocal Clients\\Java Client=" + javaClient + "\r\nInternet Gateway=" + gateway +
           "\r\nDocumentation\\Internet Gateway=" + gatewayDocs + "\r\nServer=" + server +
           "\r\nWeb Administration Server=" + webAdmin + "\r\n";
}

const char kUninstallString[] =
    "value HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1|UninstallString";

// What the component lists of the rich installations name.
std::vector<std::string> ToolkitFiles()
{
    return {File(P + "\\tools\\c\\include\\vl.h"), File(P + "\\tools\\cplus\\include\\vlcpp.h"),
            File(P + "\\tools\\lib\\avlic32.lib"), File(P + "\\tools\\c\\samples\\bin\\vlsput.exe"),
            File(P + "\\tools\\VB\\include\\vl.bas")};
}
std::vector<std::string> JavaClientFiles()
{
    return {File(P + "\\java\\bin\\vljava.dll"), File(P + "\\tools\\javaclnt\\samples\\*\\vlsample.java"), Dir(P + "\\java\\bin")};
}
std::vector<std::string> GatewayFiles()
{
    return {File(P + "\\bin\\dvlkern.dll"), File(P + "\\gateway\\gateway.ini"), Dir(P + "\\gateway")};
}
std::vector<std::string> GatewayDocFiles()
{
    return {File(P + "\\doc\\gateway\\index.htm"), Dir(P + "\\doc\\gateway"),
            Menu("Programs\\Norvik Varolink\\Internet Gateway Documentation.lnk")};
}
// Files the Windows NT client shares with the server.
std::vector<std::string> SharedClientFiles()
{
    return {File(P + "\\bin\\avlic32.dll"), File(P + "\\bin\\avlcmd.exe"), File(P + "\\bin\\avlclcom.dll"),
            File(D + "\\conv\\table\\00437.tbl")};
}
// Files of the server's own lists and procedure.
std::vector<std::string> ServerFiles()
{
    return {File(P + "\\bin\\AVLSVC.EXE"), File(P + "\\bin\\avlmqm.dll"), File(P + "\\bin\\avlmperf.dll"),
            File(P + "\\lib\\*\\avlmsg.cat"), File(P + "\\bin\\avlisfin.exe"), File(P + "\\bin\\avlsvcps.dll"),
            File(P + "\\bin\\avlsrvcm.exe"), File(D + "\\samples\\vlsample.ini"), File(D + "\\conv\\table\\01208.tbl"),
            File(WindowsFolder() + "\\telready\\monitorslfs\\varolink.tel"), File(P + "\\java\\lib\\com.norvik.vlbind.jar"),
            File(P + "\\uninst\\avlmperf.reg"), File(P + "\\uninst\\avlicfgn.reg")};
}
// The queue managers' folders, files and log folders.
std::vector<std::string> QueueManagerData()
{
    return {File(D + "\\qmgrs\\QM*"), Dir(D + "\\qmgrs\\QM*")};
}
// The value names the clients were recorded under, by release.
std::vector<std::string> ClientComponentValues(const std::string &release)
{
    if (release == "2.0") return {ProductValue("", "WindowsNTClientComponent"), ProductValue("", "ToolkitComponent")};
    if (release == "5.0")
        return {ComponentValue("Client Windows NT"), ComponentValue("Kit de developpement"), ComponentValue("Client Java"),
                ComponentValue("Passerelle Internet"), ComponentValue("Documentation de la passerelle")};
    return {ComponentValue("Local Clients\\Windows NT Client"), ComponentValue("Development Toolkit"),
            ComponentValue("Local Clients\\Java Client"), ComponentValue("Internet Gateway"),
            ComponentValue("Documentation\\Internet Gateway")};
}

// A whole-product removal: the five client components through their
// procedures, the program tree clean-up, the Start menu items and (with the
// data) the data, log and Web Administration folders. The server,
// the libraries, the languages and Web Administration are not run through
// their procedures: what their lists name stays for the installer's own
// uninstall program, which the completion page starts.
//
// Releases 2.0 and 5.0 did not record the clients under the names of the
// components key that the confirmation page tests, so whether their client
// procedures run depends on how that test reads an older installation; their
// client files and values may go or stay. Start-up records the server of such
// an installation, which has queue managers, as "Incomplete" under its 5.1 name.
ExpectedDifference WholeRemoval(const std::string &release, bool withData)
{
    bool r5 = release != "2.0", clientsKnown = release == "5.1";
    ExpectedDifference e;
    std::vector<std::string> *clients = clientsKnown ? &e.MustGo : &e.MayGo;
    Add(clients, ToolkitFiles());
    Add(clients, ClientComponentValues(release));
    Add(clients, {File(P + "\\tools\\*"), Dir(P + "\\tools*"), File(P + "\\uninst\\avliclcn.reg")});
    if (r5) {
        Add(clients, JavaClientFiles());
        Add(clients, GatewayFiles());
        Add(clients, GatewayDocFiles());
        Add(&e.MustGo, {Env("classpath"), Env("DVL_PATH"), Env("DVL_XLAT_PATH")});
    }
    if (!clientsKnown) {
        Add(&e.MustCome, {ComponentValue("Server")});
        if (!r5) Add(&e.MustCome, {ProductKey("Components")});
    }
    Add(&e.MustGo, {File(P + "\\bin\\vlold.dll"), File(P + "\\conv\\*"), Dir(P + "\\conv*"),
                    File(P + "\\book\\guide.txt"), Dir(P + "\\book"), File(P + "\\bin\\avlhlpaw.chm"),
                    File(P + "\\README.TXT"), File(P + "\\memo.ptf"), File(P + "\\tools\\VB\\vlsample.vbw"),
                    File(P + "\\bin\\avlhlpaw.chw"), File(P + "\\uninst\\*.u00"), File(P + "\\uninst\\*.u01"),
                    Env("include"), Env("lib"), Menu("Startup\\Varolink Alert Monitor.lnk")});
    std::vector<std::string> menu = {Menu("Programs\\Norvik Varolink\\*"), Menu("Programs\\Norvik Varolink\\")};
    Add(r5 && !clientsKnown ? &e.MayGo : &e.MustGo, menu);
    if (r5 && !clientsKnown) {
        // Every item but the gateway documentation's, which only its component's procedure removes.
        for (const char *item : {"Varolink Information Center", "Release Notes", "Varolink Services", "Varolink Explorer",
                                 "Varolink Command Prompt", "Web Administration", "Varolink API Exerciser",
                                 "Uninstall Varolink", "Read Me"})
            Add(&e.MustGo, {Menu(std::string("Programs\\Norvik Varolink\\") + item + ".lnk")});
    }
    Add(&e.MayGo, {Dir(P + "\\doc")});
    Add(&e.MustChange, {Env("PATH"), ProductValue("", "CreationMask"), kUninstallString});
    if (release == "5.1") Add(&e.MustCome, {ProductValue("", "LogDefaultPath")});

    Add(&e.MustStay, ServerFiles());
    Add(&e.MustStay, {File(P + "\\custom\\site.cfg"), File(P + "\\uninst\\_isuser.dll"), File(P + "\\doc\\html\\*"),
                      ProductKey("Configuration*"), ProductValue("Configuration*", "*"), ProductValue("", "FilePath"),
                      ProductValue("", "WorkPath"), Dir(D)});
    Add(&e.MustStay, QueueManagerData());
    if (r5) Add(&e.MustStay, {File(P + "\\java\\lib\\com.norvik.vl.jar"), File(P + "\\vlwa\\*")});
    if (release == "5.1") Add(&e.MustStay, {ComponentValue("Server"), ComponentValue("Web Administration Server"),
                                            ComponentValue("Additional Languages\\*"), File(P + "\\doc\\de_de\\*")});

    if (!withData) {
        Add(&e.MustStay, {File(D + "\\*"), Dir(D + "*")});
        Add(&e.MustCome, {File(D + "\\avlilogn.txt")});
        return e;
    }
    // The data: the log folder (known to 5.1 from the registry), the
    // obsolete data files, the data folder's own files and the Web
    // Administration user data. The queue managers' own folders, exits and
    // the component lists' data files are not among them.
    Add(&e.MayCome, {File(D + "\\avlilogn.txt")});
    if (release == "5.1") Add(&e.MustGo, {File(G + "\\*"), Dir(G + "*")});
    Add(&e.MustGo, {File(D + "\\old\\vlold.dat"), Dir(D + "\\old"), File(D + "\\VLS.INI"), File(D + "\\avlclchl.tab"),
                    File(D + "\\editor.log"), File(D + "\\errors\\*"), Dir(D + "\\errors"),
                    File(D + "\\qmgrs\\zidqmgr.log"), File(D + "\\qmgrs\\@SYSTEM\\qmstatus.ini")});
    if (r5) Add(&e.MustGo, {File(D + "\\config\\Config.reg"), Dir(D + "\\config"),
                            File(D + "\\vlwa\\scripts\\public\\index.html"), Dir(D + "\\vlwa\\scripts\\public")});
    Add(&e.MustStay, {File(D + "\\qmgrs\\@SYSTEM\\errors\\AMQERR01.LOG"), File(D + "\\exits\\readme.txt"),
                      File(D + "\\conv\\ccsid.tbl")});
    return e;
}

void ExpectLogEnds(const ScenarioRun &run);

// A removal with data deletes its default log at the end unless a step
// failed (a machine without the product's administration group, such as
// Wine, fails to secure the registry at start-up).
void ExpectDefaultLogRule(const ScenarioRun &run)
{
    if (!run.LogExists) return;
    bool failed = false;
    for (const std::string &line : run.Log) failed |= line.rfind("***", 0) == 0;
    EXPECT_TRUE(failed) << "the default log of a removal with data that met no error must be deleted";
    ExpectLogEnds(run);
}

void ExpectLogEnds(const ScenarioRun &run)
{
    EXPECT_TRUE(InOrder(run.Log, {"Silent uninstallation", "", "Uninstallation ended."})) << "log:\n"
                                                                                           << Explain(run, {});
}

// The system path is back to what it was before the installation.
void ExpectPathRestored(const ScenarioRun &run)
{
    std::string after;
    for (const std::string &line : run.After)
        if (SnapshotIdentity(line) == "env PATH") after = line.substr(line.find('\t') + 1);
    EXPECT_EQ(after, "REG_EXPAND_SZ " + run.PathBefore);
}

}  // namespace

TEST(ScenarioTest, Release51RemoveKeepsDataAndQueueManagers)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemove);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Explain(run, WholeRemoval("5.1", false)), "");
    ExpectPathRestored(run);
    ExpectLogEnds(run);
}

TEST(ScenarioTest, Release51RemoveDataClearsDataAndLogFolders)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemoveData);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Explain(run, WholeRemoval("5.1", true)), "");
    ExpectDefaultLogRule(run);
    ExpectPathRestored(run);
}

TEST(ScenarioTest, Release50RemoveAndRemoveData)
{
    ScenarioRun keep = RunSilentScenario(RichInstallation("5.0"), kRemove);
    EXPECT_EQ(keep.ExitCode, 0);
    EXPECT_EQ(Explain(keep, WholeRemoval("5.0", false)), "");
    ScenarioRun data = RunSilentScenario(RichInstallation("5.0"), kRemoveData);
    EXPECT_EQ(data.ExitCode, 0);
    EXPECT_EQ(Explain(data, WholeRemoval("5.0", true)), "");
    ExpectDefaultLogRule(data);
}

TEST(ScenarioTest, Release20RemoveAndRemoveData)
{
    ScenarioRun keep = RunSilentScenario(RichInstallation("2.0"), kRemove);
    EXPECT_EQ(keep.ExitCode, 0);
    EXPECT_EQ(Explain(keep, WholeRemoval("2.0", false)), "");
    ScenarioRun data = RunSilentScenario(RichInstallation("2.0"), kRemoveData);
    EXPECT_EQ(data.ExitCode, 0);
    EXPECT_EQ(Explain(data, WholeRemoval("2.0", true)), "");
    ExpectDefaultLogRule(data);
}

// Toolkit and Java client: their own files go; the Java base archives, which
// the installed server shares, stay; the variables the installer created for
// the toolkit go with their CreationMask bits.
TEST(ScenarioTest, Release51ComponentsToolkitAndJavaClient)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), ComponentsResponse("REMOVE", "KEEP", "REMOVE", "KEEP", "KEEP"));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e;
    Add(&e.MustGo, ToolkitFiles());
    Add(&e.MustGo, JavaClientFiles());
    Add(&e.MustGo, {ComponentValue("Development Toolkit"), ComponentValue("Local Clients\\Java Client"), Env("include"),
                    Env("lib"), Dir(P + "\\tools\\c*"), Dir(P + "\\tools\\cplus*"), Dir(P + "\\tools\\lib"),
                    Dir(P + "\\tools\\VB\\include"), Dir(P + "\\tools\\javaclnt*")});
    Add(&e.MustChange, {Env("classpath"), ProductValue("", "CreationMask")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, {File(P + "\\java\\lib\\*"), File(P + "\\tools\\VB\\vlsample.vbw"), Env("PATH"), Env("DVL_PATH"),
                      Menu("*"), File(P + "\\uninst\\*"), File(D + "\\*"), ComponentValue("Server")});
    EXPECT_EQ(Explain(run, e), "");
    for (const std::string &line : run.After) {
        if (SnapshotIdentity(line) != "env classpath") continue;
        EXPECT_EQ(line, "env classpath\tREG_EXPAND_SZ C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.iiop.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vlbind.jar");
    }
    ExpectLogEnds(run);
}

// The Windows NT client (with the gateway, which depends on it) while the
// server stays: the client's shared files and the configuration stay, only
// its values and its own registration script go.
TEST(ScenarioTest, Release51ComponentsWindowsClientBesideServer)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), ComponentsResponse("KEEP", "REMOVE", "KEEP", "REMOVE", "KEEP"));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e;
    Add(&e.MustGo, GatewayFiles());
    Add(&e.MustGo, {ComponentValue("Local Clients\\Windows NT Client"), ComponentValue("Internet Gateway"),
                    File(P + "\\uninst\\avliclcn.reg")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, SharedClientFiles());
    Add(&e.MustStay, {ProductKey("Configuration*"), Env("PATH"), File(D + "\\*")});
    EXPECT_EQ(Explain(run, e), "");
    ExpectLogEnds(run);
}

// The same without a server (and so without queue managers): the client's
// shared files, object classes, conversion tables and configuration go, and
// its bin folder leaves the path.
TEST(ScenarioTest, Release51ComponentsWindowsClientWithoutServer)
{
    FixtureDescription d = RichInstallation("5.1");
    DropComponent(&d, "Server");
    d.RegistryQueueManagers.clear();
    d.IniQueueManagers.clear();
    d.ScriptQueueManagers.clear();
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("KEEP", "REMOVE", "KEEP", "REMOVE", "KEEP"));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e;
    Add(&e.MustGo, GatewayFiles());
    Add(&e.MustGo, SharedClientFiles());
    Add(&e.MustGo, {ComponentValue("Local Clients\\Windows NT Client"), ComponentValue("Internet Gateway"),
                    File(P + "\\uninst\\avliclcn.reg"), File(D + "\\conv\\ccsid.tbl"), ProductKey("Configuration\\*"),
                    ProductValue("Configuration*", "*")});
    Add(&e.MayGo, {ProductKey("Configuration")});
    Add(&e.MustChange, {Env("PATH")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, {File(P + "\\bin\\avlmqm.dll"), File(D + "\\conv\\table\\01208.tbl"), Env("classpath")});
    EXPECT_EQ(Explain(run, e), "");
    ExpectPathRestored(run);
    ExpectLogEnds(run);
}

// The server and Web Administration, recorded as incomplete (so a silent
// run removes them), with their data: every queue manager goes from disk
// and registry, with the data and log folders' product files; what the
// Windows NT client shares stays.
TEST(ScenarioTest, Release51ComponentsIncompleteServerWithData)
{
    FixtureDescription d = RichInstallation("5.1");
    SetComponentValue(&d, "Server", "Incomplete");
    SetComponentValue(&d, "Web Administration Server", "Incomplete");
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("KEEP", "KEEP", "KEEP", "KEEP", "KEEP", "REMOVEDATA", "REMOVEDATA"));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e;
    Add(&e.MustGo, ServerFiles());
    Add(&e.MustGo, QueueManagerData());
    Add(&e.MustGo, {Dir(P + "\\lib*"), Dir(WindowsFolder() + "\\telready*"), Dir(D + "\\samples"), File(G + "\\*"),
                    Dir(G + "*"), File(D + "\\VLS.INI"), File(D + "\\avlclchl.tab"), File(D + "\\editor.log"),
                    File(D + "\\config\\Config.reg"), Dir(D + "\\config"), File(D + "\\errors\\*"), Dir(D + "\\errors"),
                    File(D + "\\qmgrs\\zidqmgr.log"), File(D + "\\qmgrs\\@SYSTEM\\qmstatus.ini"),
                    ProductKey("Configuration\\QueueManager*"), ProductValue("Configuration\\QueueManager*", "*"),
                    ProductKey("Configuration\\Services\\*"), ProductValue("Configuration\\Services\\*", "*"),
                    ProductKey("Configuration\\LogDefaults"), ProductValue("Configuration\\LogDefaults", "*"),
                    ComponentValue("Server"), ComponentValue("Web Administration Server"),
                    Menu("Startup\\Varolink Alert Monitor.lnk"), Menu("Programs\\Norvik Varolink\\Varolink Services.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Explorer.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Command Prompt.lnk"),
                    Menu("Programs\\Norvik Varolink\\Web Administration.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink API Exerciser.lnk"),
                    // Web Administration with its data.
                    File(P + "\\vlwa\\*"), Dir(P + "\\vlwa*"), File(D + "\\vlWeb.cfg"), File(D + "\\vlwa\\*"),
                    Dir(D + "\\vlwa*"), File(P + "\\uninst\\avliwadn.reg")});
    Add(&e.MayGo, {Dir(P + "\\java\\lib"), Dir(D + "\\conv\\table")});
    Add(&e.MustChange, {Env("PATH"), Env("classpath")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, SharedClientFiles());
    Add(&e.MustStay, {File(P + "\\java\\lib\\com.norvik.vl.jar"), ProductKey("Configuration"),
                      ComponentValue("Local Clients\\Windows NT Client"), File(D + "\\exits\\readme.txt"),
                      File(D + "\\qmgrs\\@SYSTEM\\errors\\AMQERR01.LOG"), Dir(D + "\\qmgrs"),
                      Menu("Programs\\Norvik Varolink\\Uninstall Varolink.lnk")});
    EXPECT_EQ(Explain(run, e), "");
    ExpectLogEnds(run);
}

// The same with the data kept: the configuration is exported to Config.reg
// first, and the data folder, the queue managers and their logs stay.
TEST(ScenarioTest, Release51ComponentsIncompleteServerKeepsData)
{
    FixtureDescription d = RichInstallation("5.1");
    SetComponentValue(&d, "Server", "Incomplete");
    SetComponentValue(&d, "Web Administration Server", "Incomplete");
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("KEEP", "KEEP", "KEEP", "KEEP", "KEEP", "KEEP", "KEEP"));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e;
    Add(&e.MustGo, ServerFiles());
    Add(&e.MustGo, {Dir(P + "\\lib*"), Dir(WindowsFolder() + "\\telready*"), Dir(D + "\\samples"),
                    ProductKey("Configuration\\LogDefaults"), ProductValue("Configuration\\LogDefaults", "*"),
                    ComponentValue("Server"), ComponentValue("Web Administration Server"),
                    Menu("Startup\\Varolink Alert Monitor.lnk"), Menu("Programs\\Norvik Varolink\\Varolink Services.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Explorer.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink Command Prompt.lnk"),
                    Menu("Programs\\Norvik Varolink\\Web Administration.lnk"),
                    Menu("Programs\\Norvik Varolink\\Varolink API Exerciser.lnk"),
                    // Web Administration without its user data.
                    File(P + "\\vlwa\\*"), Dir(P + "\\vlwa*"), File(D + "\\vlWeb.cfg"),
                    File(D + "\\vlwa\\scripts\\admin.js"), File(P + "\\uninst\\avliwadn.reg")});
    Add(&e.MayGo, {Dir(P + "\\java\\lib"), Dir(D + "\\conv\\table")});
    Add(&e.MustChange, {Env("PATH"), Env("classpath"), File(D + "\\config\\Config.reg")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    Add(&e.MustStay, SharedClientFiles());
    Add(&e.MustStay, QueueManagerData());
    Add(&e.MustStay, {File(G + "\\*"), Dir(D + "\\qmgrs*"), File(D + "\\VLS.INI"), File(D + "\\qmgrs\\@SYSTEM\\*"),
                      ProductKey("Configuration\\QueueManager*"), File(D + "\\vlwa\\scripts\\public\\index.html")});
    EXPECT_EQ(Explain(run, e), "");
    ExpectLogEnds(run);
}
