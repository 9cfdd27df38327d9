// Each main choice clicked through the real pages of avliunin.exe under Wine,
// on the rich 5.1 installation: the difference it leaves must be the one the
// silent scenario of the same choice expects, and its log the interactive
// run's from Main to Finish.
#include "clickedscenario.h"
#include "expectations.h"
#include "runner.h"
#include "scenario.h"
#include "scenariochecks.h"
#include "wizard/nlsids.h"
#include <gtest/gtest.h>
#include <windows.h>

namespace {

// NLS string 253 of the build's library, formatted with the default log,
// as the completion page shows it when the run met errors.
std::string ErrorsMessage()
{
    char format[516] = "", text[1100] = "";
    HMODULE nls = LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (nls) {
        LoadStringA(nls, 253, format, sizeof format);
        FreeLibrary(nls);
    }
    snprintf(text, sizeof text, format, (D + "\\avlilogn.txt").c_str());
    return text;
}

std::string LogOf(const ScenarioRun &run)
{
    std::string text = run.Failures + "---- log of the run ----\n";
    for (const std::string &line : run.Log) text += line + "\n";
    return text;
}

// The interactive run's dialogue: its pages in order, the user's Next on
// each, the completion page's message (a run that met errors shows 253: under
// Wine every run does, as the product key cannot be secured without the
// "vlm" group) and Finish; then the run's end.
void ExpectClickedLog(const ScenarioRun &run, std::vector<std::string> pages, const std::string &completion)
{
    bool failed = false;
    for (const std::string &line : run.Log) failed |= line.rfind("***", 0) == 0;
    EXPECT_EQ(run.CompletionMessage, failed ? ErrorsMessage() : "");
    std::vector<std::string> wanted = {"Interactive uninstallation", "->Main dialog", "  User: Next"};
    for (const std::string &page : pages) wanted.insert(wanted.end(), {page, "  User: Next"});
    wanted.push_back(completion);
    if (failed) wanted.push_back("MessageBox: '" + ErrorsMessage() + "'");
    wanted.insert(wanted.end(), {"  User: Finish", "", "Uninstallation ended."});
    EXPECT_TRUE(InOrder(run.Log, wanted)) << LogOf(run);
    EXPECT_FALSE(Contains(run.Log, "Silent uninstallation"));
}

}  // namespace

TEST(ClickedScenarioTest, Release51RemoveLeavesWhatTheSilentRunLeaves)
{
    ScenarioRun run = RunClickedScenario(RichInstallation("5.1"), {IDC_OPTION_REMOVE});
    ExpectWholeRemoval(run, "5.1", false);
    ExpectPathRestored(run);
    ExpectClickedLog(run, {"->Confirm-delete-all dialog", "->VL-running dialog"}, "->All-deletion-complete dialog");
    EXPECT_TRUE(InOrder(run.Log, {"  REMOVE", "->Deleting-all dialog", "  User: Finish", "Starting UninstallShield silent"}))
        << LogOf(run);
}

TEST(ClickedScenarioTest, Release51RemoveDataLeavesWhatTheSilentRunLeaves)
{
    // With a MIF name, which goes to the installer's uninstall program.
    ScenarioRun run = RunClickedScenario(RichInstallation("5.1"), {IDC_OPTION_REMOVE_DATA}, "-Ivlremove");
    ExpectWholeRemoval(run, "5.1", true, "vlremove");
    EXPECT_EQ(GetFileAttributesA((WindowsFolder() + "\\vlremove.mif").c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectPathRestored(run);
    if (run.LogExists)
        ExpectClickedLog(run, {"->Confirm-delete-all dialog", "->VL-running dialog"}, "->All-deletion-complete dialog");
}

TEST(ClickedScenarioTest, Release51ToolkitAndJavaClientLeaveWhatTheSilentRunLeaves)
{
    ScenarioRun run = RunClickedScenario(RichInstallation("5.1"),
                                         {IDC_OPTION_COMPONENTS, {"Development Toolkit", "Java Client"}});
    ExpectToolkitAndJavaClientRemoval(run);
    ExpectClickedLog(run, {"->Select-components dialog", "->Confirm-components-delete dialog", "->VL-running dialog"},
                     "->Component-deletion-complete dialog");
    EXPECT_TRUE(Contains(run.Log, "  REMOVECOMPONENTS")) << LogOf(run);
    EXPECT_TRUE(Contains(run.Log, "Finished uninstalling Local Clients\\Java Client (Java Client)")) << LogOf(run);
    EXPECT_TRUE(Contains(run.Log, "Finished uninstalling Development Toolkit (Development Toolkit)")) << LogOf(run);
}
