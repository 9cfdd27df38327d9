#include "scenariochecks.h"
#include "expectations.h"
#include "runner.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

// A removal with data deletes its default log at the end of a run that met
// no error; after an error the log stays. A run with the product's "vlm"
// account ends cleanly; without it, securing the product key fails at
// start-up and the run ends on its failure path.
void ExpectDefaultLogRule(const ScenarioRun &run)
{
    if (run.Vlm) {
        EXPECT_FALSE(run.LogExists) << "the default log of a removal with data that met no error must be deleted\n"
                                    << Explain(run, {});
        return;
    }
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

static std::string Lowered(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

static std::string CommonFolderLowered(int csidl)
{
    char folder[MAX_PATH] = "";
    if (SHGetFolderPathA(NULL, csidl, NULL, 0, folder) != S_OK) return "";
    return Lowered(folder);
}

// The text between the first "'" after prefix and the last "'" of line.
static bool Quoted(const std::string &line, const std::string &prefix, std::string *text)
{
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    size_t open = line.find('\'', prefix.size()), close = line.rfind('\'');
    if (open == std::string::npos || close <= open) return false;
    *text = line.substr(open + 1, close - open - 1);
    return true;
}

// A path of a preview's line as the snapshot names it: the common Startup
// and Programs folders as "menu" lines, anything else as kind (file, dir).
static std::string PathIdentity(const std::string &kind, const std::string &path)
{
    std::string lowered = Lowered(path);
    static const std::string startup = CommonFolderLowered(CSIDL_COMMON_STARTUP);
    static const std::string programs = CommonFolderLowered(CSIDL_COMMON_PROGRAMS);
    if (!startup.empty() && lowered.compare(0, startup.size() + 1, startup + "\\") == 0)
        return "menu startup\\" + lowered.substr(startup.size() + 1);
    if (!programs.empty() && lowered.compare(0, programs.size() + 1, programs + "\\") == 0)
        return "menu programs\\" + lowered.substr(programs.size() + 1);
    return kind + " " + lowered;
}

std::set<std::string> PreviewDeletions(const std::vector<std::string> &log)
{
    static const std::string environment = "system\\currentcontrolset\\control\\session manager\\environment";
    static const std::string valuePrefix = "Would delete value [HKLM\\";
    std::set<std::string> items;
    std::string text;
    for (const std::string &line : log) {
        if (Quoted(line, "Would delete file: ", &text)) {
            items.insert(PathIdentity("file", text));
        } else if (Quoted(line, "Would delete path: ", &text)) {
            items.insert(PathIdentity("dir", text));
        } else if (Quoted(line, "Would delete key: ", &text)) {
            items.insert("key hklm\\" + Lowered(text));
        } else if (Quoted(line, "Would delete service ", &text)) {
            items.insert("service " + Lowered(text));
        } else if (Lowered(line).find("\\bin\\avlsvc.exe' '-uninstall -silent'") != std::string::npos &&
                   line.compare(0, 13, "Would start: ") == 0) {
            // The service program deletes its own service: the preview lists
            // the program, the removal shows its effect.
            items.insert("service varolinkservices");
        } else if (line.compare(0, valuePrefix.size(), valuePrefix) == 0) {
            size_t start = valuePrefix.size(), close = line.find("] '", start);
            if (close == std::string::npos || line.back() != '\'') continue;
            std::string key = Lowered(line.substr(start, close - start));
            std::string value = Lowered(line.substr(close + 3, line.size() - close - 4));
            items.insert(key == environment ? "env " + value : "value hklm\\" + key + "|" + value);
        }
    }
    return items;
}

// Values of a key that goes with them are its key's, not items of their own.
static std::set<std::string> WithoutValuesOfGoneKeys(const std::set<std::string> &items)
{
    std::set<std::string> kept;
    for (const std::string &item : items) {
        size_t bar = item.find('|');
        if (item.compare(0, 6, "value ") == 0 && bar != std::string::npos &&
            items.count("key " + item.substr(6, bar - 6)))
            continue;
        kept.insert(item);
    }
    return kept;
}

void ExpectPreviewMatchesRemoval(const ScenarioRun &run)
{
    EXPECT_EQ(run.PreviewExitCode, 0);
    ASSERT_FALSE(run.PreviewLog.empty()) << "the preview wrote no log of its own";
    std::string previewLog = "---- log of the preview ----\n";
    for (const std::string &line : run.PreviewLog) previewLog += line + "\n";
    // Nothing on the machine changed: not a file, key, value, service or
    // variable (the preview's log lies outside the snapshot), nor the product
    // key's owner and access list, nor any component's marker.
    EXPECT_EQ(FormatDifference(DiffSnapshots(run.BeforePreview, run.Before)), "") << previewLog;
    EXPECT_FALSE(run.KeySecurityBeforePreview.empty());
    EXPECT_EQ(run.KeySecurityBeforePreview, run.KeySecurityAfterPreview);
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

    // What the preview would delete is what the removal then deletes.
    std::set<std::string> gone;
    for (const std::string &line : DiffSnapshots(run.Before, run.After).Gone) {
        std::string identity = Lowered(SnapshotIdentity(line));
        if (identity.back() == '\\') identity.pop_back();   // a menu folder
        gone.insert(identity);
    }
    gone = WithoutValuesOfGoneKeys(gone);
    std::set<std::string> would = WithoutValuesOfGoneKeys(PreviewDeletions(run.PreviewLog));
    std::string missing, extra;
    for (const std::string &item : gone)
        if (!would.count(item)) missing += "  " + item + "\n";
    for (const std::string &item : would)
        if (!gone.count(item)) extra += "  " + item + "\n";
    EXPECT_EQ(missing, "") << "deleted by the removal, not listed by the preview\n" << previewLog;
    EXPECT_EQ(extra, "") << "listed by the preview, not deleted by the removal\n" << previewLog << LogOf(run);
}
