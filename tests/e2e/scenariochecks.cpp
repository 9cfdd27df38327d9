#include "scenariochecks.h"
#include "receiptcheck.h"
#include "expectations.h"
#include "runner.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>

using nlohmann::json;

// A removal with data deletes its default log at the end of a run that met
// no error; after an error the log stays. A run with the product's "vlm"
// account ends cleanly; without it, securing the product key fails at
// start-up and the run ends on its failure path.
// The receipt goes with it: to the Windows folder when the log goes, else beside it.
void ExpectDefaultLogRule(const ScenarioRun &run)
{
    json receipt = ParseReceipt(run.Receipt);
    EXPECT_EQ(run.ReceiptProblems, "");
    if (run.Vlm) {
        EXPECT_FALSE(run.LogExists) << "the default log of a removal with data that met no error must be deleted\n"
                                    << Explain(run, {});
        EXPECT_EQ(run.ReceiptPath, WindowsReceipt()) << "the receipt of a run whose log goes is in the Windows folder";
        ASSERT_TRUE(receipt.is_object()) << run.Receipt;
        EXPECT_EQ(receipt["LogRemoved"], true);
        EXPECT_EQ(receipt["AllSucceeded"], true);
        return;
    }
    EXPECT_EQ(run.ReceiptPath, DefaultReceipt());
    ASSERT_TRUE(receipt.is_object()) << run.Receipt;
    EXPECT_EQ(receipt["LogRemoved"], false);
    ASSERT_TRUE(run.LogExists) << "the default log of a removal with data that met an error must stay";
    EXPECT_TRUE(Contains(run.Log, "***Error securing Varolink registry")) << Explain(run, {});
    ExpectLogEnds(run);
}

static std::string LogOf(const ScenarioRun &run)
{
    std::string text = "---- log of the run ----\n";
    for (const std::string &line : run.Log) text += line + "\n";
    return text;
}

void ExpectCleanLog(const ScenarioRun &run)
{
    ASSERT_TRUE(run.Vlm) << "a clean end needs the \"vlm\" account: run as USER=vlm";
    ASSERT_TRUE(run.LogExists);
    for (const std::string &line : run.Log) {
        // The log's header begins with a rule of stars.
        if (line.find_first_not_of('*') == std::string::npos) continue;
        EXPECT_NE(line.rfind("***", 0), 0u) << "a run with the account met an error: " << line << "\n" << LogOf(run);
    }
}

void ExpectMifStatus(const ScenarioRun &run, bool success)
{
    EXPECT_TRUE(InOrder(run.Log, {"Writing MIF file", "MIF file written"})) << LogOf(run);
    std::string status = std::string("VALUE = \"") + (success ? "Success" : "Failed") + "\"";
    EXPECT_NE(run.Mif.find("NAME = \"Status\""), std::string::npos) << run.Mif;
    EXPECT_NE(run.Mif.find(status), std::string::npos) << run.Mif;
}

void ExpectLogEnds(const ScenarioRun &run)
{
    EXPECT_TRUE(InOrder(run.Log, {run.ModeLine, "", "Uninstallation ended."})) << "log:\n" << Explain(run, {});
}

// The system path is back to what it was before the installation.
void ExpectPathRestored(const ScenarioRun &run)
{
    std::string after;
    for (const std::string &line : run.After)
        if (SnapshotIdentity(line) == "env PATH") after = line.substr(line.find('\t') + 1);
    EXPECT_EQ(after, "REG_EXPAND_SZ " + run.PathBefore);
}

// A whole-product removal started the installer's uninstall program once,
// in the Windows folder, with the installer's two files of the uninst folder
// (which the removal left for it) and, when a MIF name was given, -m and
// that name, so that the installer reports the removal.
void ExpectInstallerHandOver(const ScenarioRun &run, const std::string &mifName)
{
    std::string parameters = " -y -a -f\"" + P + "\\uninst\\Uninst.isu\" -c\"" + P + "\\uninst\\avliisun.dll\"";
    if (!mifName.empty()) parameters += " -m" + mifName;
    ASSERT_EQ(run.InstallerUninstallRecord.size(), 1u) << Explain(run, {});
    const std::string &line = run.InstallerUninstallRecord[0];
    size_t bar = line.find('|');
    ASSERT_NE(bar, std::string::npos) << line;
    std::string commandLine = line.substr(0, bar);
    EXPECT_NE(commandLine.find("isuninst.exe"), std::string::npos) << line;
    ASSERT_GE(commandLine.size(), parameters.size()) << line;
    EXPECT_EQ(commandLine.substr(commandLine.size() - parameters.size()), parameters) << line;
    EXPECT_EQ(lstrcmpiA(line.substr(bar + 1, line.rfind('|') - bar - 1).c_str(), WindowsFolder().c_str()), 0) << line;
    EXPECT_EQ(line.substr(line.rfind('|') + 1), "f=1 c=1") << line;
}

// A component removal never hands over to the installer.
void ExpectNoHandOver(const ScenarioRun &run)
{
    EXPECT_TRUE(run.InstallerUninstallRecord.empty()) << run.InstallerUninstallRecord[0];
}

// A whole-product removal of a rich installation: exit code 0, the expected
// difference, the hand-over to the installer's uninstall program and, with
// the data, the rule for the default log.
void ExpectWholeRemoval(const ScenarioRun &run, const std::string &release, bool withData, const std::string &mifName)
{
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = WholeRemoval(release, withData);
    if (run.Vlm) AddProductKeySecured(&e);
    EXPECT_EQ(Explain(run, e), "");
    ExpectInstallerHandOver(run, mifName);
    if (withData) ExpectDefaultLogRule(run);
}

void ExpectToolkitAndJavaClientRemoval(const ScenarioRun &run, bool servicesRan)
{
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = ToolkitAndJavaClientRemoval(servicesRan);
    if (run.Vlm) AddProductKeySecured(&e);
    EXPECT_EQ(Explain(run, e), "");
    ExpectNoHandOver(run);
    for (const std::string &line : run.After) {
        if (SnapshotIdentity(line) != "env classpath") continue;
        EXPECT_EQ(line, "env classpath\tREG_EXPAND_SZ C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.iiop.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vlbind.jar");
    }
    ExpectLogEnds(run);
}

void ExpectPreviewMatchesRemoval(const ScenarioRun &run)
{
    ASSERT_TRUE(run.Previewed) << "a silent scenario is previewed first";
    ASSERT_FALSE(run.PreviewLog.empty()) << "the preview wrote no log of its own";
    std::string previewLog = "---- log of the preview ----\n";
    for (const std::string &line : run.PreviewLog) previewLog += line + "\n";
    EXPECT_TRUE(InOrder(run.PreviewLog, {"Silent uninstallation",
                                         "Preview: what the uninstallation would change is listed; nothing is changed",
                                         "Uninstallation ended."}))
        << previewLog;
    for (const std::string &line : run.PreviewLog) {
        EXPECT_TRUE(line.compare(0, 8, "Deleted ") != 0 && line.compare(0, 9, "Launching") != 0) << line;
        // It meets no error that the removal does not meet (when the removal
        // kept its default log to say so).
        if (run.LogExists && line.compare(0, 3, "***") == 0 && line.find_first_not_of('*') != std::string::npos) {
            EXPECT_TRUE(Contains(run.Log, line)) << line << "\n" << previewLog;
        }
    }
}
