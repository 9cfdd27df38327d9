#include "scenariochecks.h"
#include "expectations.h"
#include "runner.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>

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
    EXPECT_EQ(Explain(run, WholeRemoval(release, withData)), "");
    ExpectInstallerHandOver(run, mifName);
    if (withData) ExpectDefaultLogRule(run);
}

void ExpectToolkitAndJavaClientRemoval(const ScenarioRun &run)
{
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(Explain(run, ToolkitAndJavaClientRemoval()), "");
    ExpectNoHandOver(run);
    for (const std::string &line : run.After) {
        if (SnapshotIdentity(line) != "env classpath") continue;
        EXPECT_EQ(line, "env classpath\tREG_EXPAND_SZ C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vl.iiop.jar;"
                            "C:\\Varolink\\Program\\java\\lib\\com.norvik.vlbind.jar");
    }
    ExpectLogEnds(run);
}
