// Whole-product scenarios under Wine: for each main choice of the response
// file, what must go, what must stay and what may change, as the removal
// procedures define them, over rich installations of releases 2.0, 5.0 and 5.1.
#include "fixturelists.h"
#include "runner.h"
#include "expectations.h"
#include "scenario.h"
#include "scenariochecks.h"
#include <gtest/gtest.h>
#include <windows.h>

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

// Both whole-product removals, one after the other, of a rich installation.
void ExpectRemoveAndRemoveData(const std::string &release)
{
    ExpectWholeRemoval(RunSilentScenario(RichInstallation(release), kRemove), release, false);
    ExpectWholeRemoval(RunSilentScenario(RichInstallation(release), kRemoveData), release, true);
}

}  // namespace

TEST(ScenarioTest, Release51RemoveKeepsDataAndQueueManagers)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemove);
    ExpectWholeRemoval(run, "5.1", false);
    ExpectPathRestored(run);
    ExpectLogEnds(run);
}

TEST(ScenarioTest, Release51RemoveDataClearsDataAndLogFolders)
{
    // With a MIF name, which goes to the installer's uninstall program: the
    // uninstaller, which finds the MIF library, writes none itself.
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemoveData, "-Ivlremove", "vlremove");
    ExpectWholeRemoval(run, "5.1", true, "vlremove");
    EXPECT_EQ(run.Mif, "");
    EXPECT_FALSE(Contains(run.Log, "Writing MIF file"));
    ExpectPathRestored(run);
}

// The same with the product's "vlm" account (CTest runs these tests as
// USER=vlm): nothing fails, so the default log goes with the data.
TEST(ScenarioTest, Release51RemoveDataEndsCleanlyWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemoveData, "-Ivlremove", "vlremove");
    ExpectWholeRemoval(run, "5.1", true, "vlremove");
    EXPECT_EQ(run.Mif, "");
    ExpectPathRestored(run);
}

TEST(ScenarioTest, Release50RemoveAndRemoveData)
{
    ExpectRemoveAndRemoveData("5.0");
}

TEST(ScenarioTest, Release20RemoveAndRemoveData)
{
    ExpectRemoveAndRemoveData("2.0");
}

// Toolkit and Java client: their own files go; the Java base archives, which
// the installed server shares, stay; the variables the installer created for
// the toolkit go with their CreationMask bits.
// Without the "vlm" account the run ends on its failure path: the summary,
// and a status MIF that reports the failure.
TEST(ScenarioTest, Release51ComponentsToolkitAndJavaClient)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), ComponentsResponse("REMOVE", "KEEP", "REMOVE", "KEEP", "KEEP"),
                                        "-Ivlparts", "vlparts");
    ASSERT_FALSE(run.Vlm);
    ExpectToolkitAndJavaClientRemoval(run);
    EXPECT_TRUE(InOrder(run.Log, {"***Error securing Varolink registry", "->Component-deletion-complete dialog",
                                  "***One or more errors have occurred."}))
        << Explain(run, {});
    ExpectMifStatus(run, false);
}

// With the account the same removal ends cleanly: no "***" line, and the
// status MIF reports success. The product's services are not running here,
// so the run has no running-product answer to log either.
TEST(ScenarioTest, Release51ComponentsEndCleanlyWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    FixtureDescription d = RichInstallation("5.1");
    d.Services = false;
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("REMOVE", "KEEP", "REMOVE", "KEEP", "KEEP"),
                                        "-Ivlparts", "vlparts");
    ExpectToolkitAndJavaClientRemoval(run, false);
    ExpectCleanLog(run);
    ExpectMifStatus(run, true);
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
    AddServicesStopped(&e);
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
                    File(P + "\\uninst\\avliclcn.reg"), File(D + "\\conv\\ccsid.tbl"),
                    ProductKey("Configuration\\LogDefaults"), ProductValue("Configuration\\LogDefaults", "*"),
                    ProductKey("Configuration\\AllQueueManagers"), ProductValue("Configuration\\AllQueueManagers", "*")});
    Add(&e.MustChange, {Env("PATH")});
    Add(&e.MustCome, {File(D + "\\avlilogn.txt"), ProductValue("", "LogDefaultPath")});
    AddServicesStopped(&e);
    // The configuration goes but for the Web Administration settings, which it spares.
    Add(&e.MustStay, {File(P + "\\bin\\avlmqm.dll"), File(D + "\\conv\\table\\01208.tbl"), Env("classpath"),
                      ProductKey("Configuration"), ProductKey("Configuration\\WebAdministration"),
                      ProductValue("Configuration\\WebAdministration", "Port")});
    EXPECT_EQ(Explain(run, e), "");
    ExpectPathRestored(run);
    ExpectLogEnds(run);
}

// The server and Web Administration of a rich 5.1 installation, recorded as
// incomplete (so a silent run removes them whatever its answers say), with
// or without their data (the answers for Server and Web Administration
// Server): what goes and stays either way, then what the data decides.
ScenarioRun RunIncompleteServerRemoval(bool withData)
{
    FixtureDescription d = RichInstallation("5.1");
    SetComponentValue(&d, "Server", "Incomplete");
    SetComponentValue(&d, "Web Administration Server", "Incomplete");
    const char *data = withData ? "REMOVEDATA" : "KEEP";
    return RunSilentScenario(d, ComponentsResponse("KEEP", "KEEP", "KEEP", "KEEP", "KEEP", data, data));
}

TEST(ScenarioTest, Release51ComponentsIncompleteServerWithData)
{
    ScenarioRun run = RunIncompleteServerRemoval(true);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Explain(run, IncompleteServerRemoval(true)), "");
    ExpectLogEnds(run);
}

TEST(ScenarioTest, Release51ComponentsIncompleteServerKeepsData)
{
    ScenarioRun run = RunIncompleteServerRemoval(false);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Explain(run, IncompleteServerRemoval(false)), "");
    ExpectLogEnds(run);
}

// A preview of each kind of removal, then the removal with the same answers
// (as every silent scenario: RunSilentScenario): the preview changes nothing
// (with the account, the real run would secure the product key: the preview
// leaves its access list as it is) and lists what the removal then changes.
TEST(ScenarioTest, PreviewOfRelease51RemoveDataWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemoveData);
    ExpectPreviewMatchesRemoval(run);
    EXPECT_TRUE(Contains(run.PreviewLog, "Would stop service 'NorvikVarolink'"));
    EXPECT_TRUE(InOrder(run.PreviewLog, {"Would set value [HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components] 'Development Toolkit'",
                                         "Would delete value [HKLM\\Software\\Norvik\\Varolink\\CurrentVersion\\Components] 'Development Toolkit'"}));
    EXPECT_TRUE(Contains(run.PreviewLog, "Would start: '" + P + "\\uninst\\isuninst.exe' '-y -a -f\"" + P +
                                             "\\uninst\\Uninst.isu\" -c\"" + P + "\\uninst\\avliisun.dll\"'"));
    ExpectWholeRemoval(run, "5.1", true);
}

TEST(ScenarioTest, PreviewOfRelease51ComponentsWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    FixtureDescription d = RichInstallation("5.1");
    d.Services = false;
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("REMOVE", "KEEP", "REMOVE", "KEEP", "KEEP"));
    ExpectPreviewMatchesRemoval(run);
    ExpectToolkitAndJavaClientRemoval(run, false);
}

// The server of a component removal, keeping its data: the configuration
// export runs as it would, into nothing, and is listed as the one file it
// would write; the services are listed, not deleted.
TEST(ScenarioTest, PreviewOfRelease51IncompleteServerKeepsData)
{
    FixtureDescription d = RichInstallation("5.1");
    SetComponentValue(&d, "Server", "Incomplete");
    SetComponentValue(&d, "Web Administration Server", "Incomplete");
    ScenarioRun run = RunSilentScenario(d, ComponentsResponse("KEEP", "KEEP", "KEEP", "KEEP", "KEEP", "KEEP", "KEEP"));
    ExpectPreviewMatchesRemoval(run);
    EXPECT_TRUE(InOrder(run.PreviewLog, {"Saving QM configuration", "Would write: '" + D + "\\config\\Config.reg'",
                                         "QM configuration saved", "Would delete service 'NorvikVarolink'"}));
    EXPECT_EQ(Explain(run, IncompleteServerRemoval(false)), "");
}
