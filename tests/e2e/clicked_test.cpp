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
// each, the completion page's message and Finish; then the run's end. A run
// without the "vlm" account (Wine has none) cannot secure the product key:
// its completion page reports errors with message 253. With the account the
// run meets no error and shows no message.
void ExpectClickedLog(const ScenarioRun &run, std::vector<std::string> pages, const std::string &completion)
{
    EXPECT_EQ(run.CompletionMessage, run.Vlm ? "" : ErrorsMessage());
    std::vector<std::string> wanted = {"Interactive uninstallation", "->Main dialog", "  User: Next"};
    for (const std::string &page : pages) wanted.insert(wanted.end(), {page, "  User: Next"});
    wanted.push_back(completion);
    if (!run.Vlm) wanted.push_back("MessageBox: '" + ErrorsMessage() + "'");
    wanted.insert(wanted.end(), {"  User: Finish", "", "Uninstallation ended."});
    EXPECT_TRUE(InOrder(run.Log, wanted)) << LogOf(run);
    EXPECT_FALSE(Contains(run.Log, "Silent uninstallation"));
    if (run.Vlm) ExpectCleanLog(run);
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
    ScenarioRun run = RunClickedScenario(RichInstallation("5.1"), {IDC_OPTION_REMOVE_DATA}, "-Ivlremove", "vlremove");
    ExpectWholeRemoval(run, "5.1", true, "vlremove");
    EXPECT_EQ(run.Mif, "");
    ExpectPathRestored(run);
    // Without the account the run met an error, so its default log stays.
    ASSERT_FALSE(run.Vlm);
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

// With the product's "vlm" account (CTest runs it as USER=vlm) the clicked
// component removal meets no error: no message on its completion page, no
// "***" line, and the status MIF reports success.
TEST(ClickedScenarioTest, Release51ToolkitAndJavaClientEndCleanlyWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    ScenarioRun run = RunClickedScenario(RichInstallation("5.1"),
                                         {IDC_OPTION_COMPONENTS, {"Development Toolkit", "Java Client"}}, "-Ivlparts",
                                         "vlparts");
    ExpectToolkitAndJavaClientRemoval(run);
    ExpectClickedLog(run, {"->Select-components dialog", "->Confirm-components-delete dialog", "->VL-running dialog"},
                     "->Component-deletion-complete dialog");
    ExpectMifStatus(run, true);
}
