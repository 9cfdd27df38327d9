// Receipts and the report of what stayed, under Wine, over the scenarios'
// rich installation: a clean component removal, a whole-product removal with
// a file held open, one with a link the deletion guard refuses, a removal
// killed part-way and run again, a receipt named by the response file and
// one that cannot be written. Every receipt is checked against
// docs/receipt.schema.json by Debian's validator (scenario.cpp); the report
// must name every item that stayed with its reason.
#include "expectations.h"
#include "fixturelists.h"
#include "interruptedrun.h"
#include "receiptcheck.h"
#include "runner.h"
#include "scenario.h"
#include "scenariochecks.h"
#include "snapshot.h"
#include "wintestutil.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <set>

using nlohmann::json;

namespace {

const char kRemove[] = "[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n";

// The toolkit and the Java client, everything else kept; extra lines go
// into the stanza "Varolink".
std::string PartsResponse(const std::string &extra = "")
{
    return "[Varolink]\r\nVarolink=REMOVECOMPONENTS\r\nLockedFiles=CONTINUE\r\n" + extra +
           "[Components]\r\nDevelopment Toolkit=REMOVE\r\nLocal Clients\\Windows NT Client=KEEP\r\n"
           "Local Clients\\Java Client=REMOVE\r\nInternet Gateway=KEEP\r\nDocumentation\\Internet Gateway=KEEP\r\n"
           "Server=KEEP\r\nWeb Administration Server=KEEP\r\n";
}

std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

// The log's entries after "Uninstallation ended.".
std::vector<std::string> AfterEnd(const std::vector<std::string> &log)
{
    auto end = std::find(log.begin(), log.end(), "Uninstallation ended.");
    return end == log.end() ? std::vector<std::string>() : std::vector<std::string>(end + 1, log.end());
}

// Every file below folder that the snapshot after the run holds (the run's
// own log and receipt aside).
std::vector<std::string> FilesLeftBelow(const ScenarioRun &run, const std::string &folder)
{
    std::vector<std::string> files;
    std::string prefix = "file " + Lower(folder) + "\\";
    for (const std::string &line : run.After) {
        std::string identity = SnapshotIdentity(line);
        if (Lower(identity).compare(0, prefix.size(), prefix) != 0) continue;
        std::string path = identity.substr(5);
        if (Lower(path) == Lower(D + "\\avlilogn.txt") || Lower(path) == Lower(DefaultReceipt())) continue;
        files.push_back(path);
    }
    return files;
}

// The reason the receipt gives for path: its own item's, or that of a folder
// above it reported as a whole; "" when it names neither.
std::string ReasonFor(const json &receipt, const std::string &path)
{
    for (std::string at = path; !at.empty(); at = at.substr(0, at.rfind('\\') == std::string::npos ? 0 : at.rfind('\\'))) {
        json item = LeftoverItem(receipt, at);
        if (!item.is_null()) return item["Reason"];
        if (at.find('\\') == std::string::npos) break;
    }
    return "";
}

// A whole-product removal keeping the data: every file left in the program
// folder is named with a reason, those listed below with theirs; the data
// folder is one item kept by choice.
void ExpectProgramFolderReported(const ScenarioRun &run, const json &receipt,
                                 const std::vector<std::pair<std::string, std::string>> &reasons)
{
    std::vector<std::string> left = FilesLeftBelow(run, P);
    ASSERT_FALSE(left.empty());
    for (const std::string &path : left) {
        std::string reason = ReasonFor(receipt, path);
        EXPECT_NE(reason, "") << path << " stayed and the report does not name it";
        EXPECT_NE(reason, "kept") << path << ": nothing of the program folder is kept by choice";
        EXPECT_NE(reason, "failed") << path;
    }
    for (const auto &wanted : reasons) EXPECT_EQ(ReasonFor(receipt, wanted.first), wanted.second) << wanted.first;
    json data = LeftoverItem(receipt, D);
    ASSERT_FALSE(data.is_null()) << receipt.dump(1);
    EXPECT_EQ(data["Reason"], "kept");
    for (const std::string &path : FilesLeftBelow(run, D)) EXPECT_EQ(ReasonFor(receipt, path), "kept") << path;
    // The counts add up to the items.
    long total = 0;
    for (const auto &count : receipt["Leftovers"]["Counts"].items()) total += count.value().get<long>();
    EXPECT_EQ(total, receipt["Leftovers"]["Total"].get<long>());
    EXPECT_EQ((long)receipt["Leftovers"]["Items"].size() + receipt["Leftovers"]["NotListed"].get<long>(), total);
}

}  // namespace

// A component removal that ends cleanly (the "vlm" account, no running
// services): the receipt beside the default log says what was chosen, what
// each component came to and that the product's folders, key and uninstall
// entry stay by choice; the log ends with the same, then names the receipt.
TEST(ReceiptTest, CleanComponentRemovalWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    FixtureDescription d = RichInstallation("5.1");
    d.Services = false;
    ScenarioRun run = RunSilentScenario(d, PartsResponse(), "-Ivlparts", "vlparts");
    ExpectToolkitAndJavaClientRemoval(run, false);
    ExpectCleanLog(run);
    ASSERT_EQ(run.ReceiptPath, DefaultReceipt());
    EXPECT_EQ(run.ReceiptProblems, "");
    json r = ParseReceipt(run.Receipt);
    ASSERT_TRUE(r.is_object()) << run.Receipt;
    EXPECT_EQ(r["ReceiptVersion"], 1);
    EXPECT_EQ(r["Mode"], "silent");
    EXPECT_EQ(r["Option"], "REMOVECOMPONENTS");
    EXPECT_EQ(r["Ended"], true);
    EXPECT_EQ(r["ExitCode"], 0);
    EXPECT_EQ(r["AllSucceeded"], true);
    EXPECT_EQ(r["LogPath"], D + "\\avlilogn.txt");
    EXPECT_EQ(r["LogRemoved"], false);
    EXPECT_EQ(r["ReceiptPath"], DefaultReceipt());
    EXPECT_EQ(r["Mif"]["Path"], WindowsFolder() + "\\vlparts.mif");
    EXPECT_EQ(r["Mif"]["WrittenBy"], "uninstaller");
    EXPECT_GT(r["Counts"]["Deleted"].get<long>(), 0);
    for (const char *count : {"WouldDelete", "Failed", "Refused", "InUse"}) EXPECT_EQ(r["Counts"][count], 0) << count;
    struct Expected {
        const char *Name, *Result;
        bool Chosen;
    } components[] = {{"Development Toolkit", "removed", true},     {"Local Clients\\Java Client", "removed", true},
                      {"Server", "kept", false},                    {"Local Clients\\Windows NT Client", "kept", false},
                      {"Additional Languages\\de_de", "kept", false}, {"Additional Languages\\it_it", "not installed", false}};
    for (const Expected &e : components) {
        json c = ReceiptComponent(r, e.Name);
        ASSERT_FALSE(c.is_null()) << e.Name;
        EXPECT_EQ(c["Result"], e.Result) << e.Name;
        EXPECT_EQ(c["Chosen"], e.Chosen) << e.Name;
    }
    for (const std::string &kept : {P, D, std::string("HKLM\\Software\\Norvik\\Varolink\\CurrentVersion")})
        EXPECT_EQ(ReasonFor(r, kept), "kept") << kept << "\n" << r["Leftovers"].dump(1);
    for (const json &item : r["Leftovers"]["Items"]) EXPECT_EQ(item["Reason"], "kept") << item.dump();
    std::vector<std::string> tail = AfterEnd(run.Log);
    ASSERT_FALSE(tail.empty()) << Explain(run, {});
    EXPECT_TRUE(InOrder(tail, {"", "Left on the machine: " + std::to_string(r["Leftovers"]["Total"].get<long>()) + " item(s)",
                               "Kept by choice: " + std::to_string(r["Leftovers"]["Total"].get<long>()),
                               "  folder '" + P + "'"}))
        << Explain(run, {});
    EXPECT_EQ(tail.back(), "Receipt written: '" + DefaultReceipt() + "'");
}

// A whole-product removal keeping the data, with a file of the help list
// held open by another program: it stays, reported in use; the installer's
// files and the server (which the installer's uninstall program removes)
// are left for it; a file no list names is not the product's.
TEST(ReceiptTest, WholeRemovalWithAHeldFile)
{
    const std::string held = P + "\\bin\\avlhlpaw.chm";
    ScenarioRun run = RunScenario(RichInstallation("5.1"), [&](const std::string &folder, ScenarioRun *run) {
        std::string answers = folder + "\\answers.rsp";
        if (!WriteTextFile(answers, kRemove)) return -1;
        Holder holder = HoldOpen(held);
        int code = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
        Release(holder);
        return code;
    });
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_TRUE(Contains(run.Log, "***Delete file in use: '" + Lower(held) + "'") ||
                Contains(run.Log, "***Delete file in use: '" + held + "'"))
        << Explain(run, {});
    ASSERT_EQ(run.ReceiptPath, DefaultReceipt()) << "the data stays, and so does the receipt beside the log";
    EXPECT_EQ(run.ReceiptProblems, "");
    json r = ParseReceipt(run.Receipt);
    ASSERT_TRUE(r.is_object()) << run.Receipt;
    EXPECT_EQ(r["Option"], "REMOVE");
    EXPECT_EQ(r["AllSucceeded"], false);
    EXPECT_EQ(r["ExitCode"], 0);
    ExpectProgramFolderReported(run, r,
                                {{held, "in-use"},
                                 {P + "\\custom\\site.cfg", "not-product"},
                                 {P + "\\uninst\\_isuser.dll", "installer"},
                                 {P + "\\bin\\AVLSVC.EXE", "installer"}});
    EXPECT_EQ(ReasonFor(r, "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1"),
              "installer");
    std::vector<std::string> tail = AfterEnd(run.Log);
    EXPECT_TRUE(InOrder(tail, {"***In use: 1", "  file '" + held + "'"})) << Explain(run, {});
    EXPECT_TRUE(InOrder(tail, {"Not the product's (named by no list): " +
                               std::to_string(r["Leftovers"]["Counts"]["not-product"].get<long>())}));
    ASSERT_FALSE(tail.empty());
    EXPECT_EQ(tail.back(), "Receipt written: '" + DefaultReceipt() + "'");
}

// A link in the program folder to a folder outside the product: the
// deletion guard refuses it, the folder it leads to is untouched, and the
// report names the link as refused.
TEST(ReceiptTest, WholeRemovalWithARefusedLink)
{
    const std::string outside = "C:\\VlOutside", link = P + "\\tools\\linked";
    ScenarioRun run = RunScenario(RichInstallation("5.1"), [&](const std::string &folder, ScenarioRun *run) {
        std::string answers = folder + "\\answers.rsp";
        if (!WriteTextFile(answers, kRemove) || !WriteTextFile(outside + "\\keep.txt", "not the product's") ||
            !MakeLink(link, outside))
            return -1;
        int code = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
        RemoveLink(link);
        return code;
    });
    EXPECT_EQ(ReadTextFile(outside + "\\keep.txt"), "not the product's");
    DeleteFolderTree(outside);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.ReceiptProblems, "");
    json r = ParseReceipt(run.Receipt);
    ASSERT_TRUE(r.is_object()) << run.Receipt;
    EXPECT_GE(r["Counts"]["Refused"].get<long>(), 1);
    json item = LeftoverItem(r, link);
    ASSERT_FALSE(item.is_null()) << r["Leftovers"].dump(1) << Explain(run, {});
    EXPECT_EQ(item["Reason"], "refused");
    EXPECT_TRUE(InOrder(AfterEnd(run.Log), {"***Refused by the deletion guard: " +
                                            std::to_string(r["Leftovers"]["Counts"]["refused"].get<long>())}))
        << Explain(run, {});
}

// A component removal killed while it removes the toolkit: the receipt it
// wrote as the removal started says the run has not ended and names its
// chosen components incomplete; the rerun's receipt replaces it with the end.
TEST(ReceiptTest, InterruptedRemovalAndItsRerun)
{
    std::string killedReceipt, killedProblems;
    ScenarioRun run = RunScenario(RichInstallation("5.1"), [&](const std::string &folder, ScenarioRun *run) {
        std::string answers = folder + "\\answers.rsp";
        if (!WriteTextFile(answers, PartsResponse())) return -1;
        KillPoint kill;
        kill.LogLine = "Uninstalling Development Toolkit";
        RunOutcome first = RunUninstallerUntil("-S -F1\"" + answers + "\"", D + "\\avlilogn.txt", kill, 120000);
        if (!first.Killed) run->Failures += "the first run was not killed at its line\n";
        killedReceipt = ReadTextFile(DefaultReceipt());
        killedProblems = ReceiptSchemaProblems(DefaultReceipt());
        return RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
    });
    EXPECT_EQ(run.Failures, "");
    EXPECT_EQ(killedProblems, "");
    json killed = ParseReceipt(killedReceipt);
    ASSERT_TRUE(killed.is_object()) << killedReceipt;
    EXPECT_EQ(killed["Ended"], false);
    EXPECT_TRUE(killed["EndTime"].is_null());
    EXPECT_TRUE(killed["ExitCode"].is_null());
    EXPECT_TRUE(killed["Leftovers"].is_null());
    EXPECT_EQ(ReceiptComponent(killed, "Development Toolkit")["Result"], "incomplete");
    EXPECT_EQ(ReceiptComponent(killed, "Local Clients\\Java Client")["Result"], "incomplete");
    EXPECT_EQ(ReceiptComponent(killed, "Server")["Result"], "kept");

    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.ReceiptPath, DefaultReceipt());
    EXPECT_EQ(run.ReceiptProblems, "");
    json rerun = ParseReceipt(run.Receipt);
    ASSERT_TRUE(rerun.is_object()) << run.Receipt;
    EXPECT_EQ(rerun["Ended"], true);
    EXPECT_EQ(rerun["ExitCode"], 0);
    EXPECT_EQ(ReceiptComponent(rerun, "Development Toolkit")["Result"], "removed");
    EXPECT_EQ(ReceiptComponent(rerun, "Local Clients\\Java Client")["Result"], "removed");
    EXPECT_GE(rerun["StartTime"].get<std::string>(), killed["StartTime"].get<std::string>());
    EXPECT_EQ(Explain(run, ToolkitAndJavaClientRemoval()), "");
}

// The response file names the receipt: it goes there, not beside the log.
TEST(ReceiptTest, PathFromTheResponseFile)
{
    const std::string folder = "C:\\VlReceipts", named = folder + "\\run.json";
    MakeFolders(folder);
    FixtureDescription d = RichInstallation("5.1");
    ScenarioRun run = RunSilentScenario(d, PartsResponse("Receipt=" + named + "\r\n"));
    std::string text = ReadTextFile(named);
    std::string problems = ReceiptSchemaProblems(named);
    DeleteFolderTree(folder);
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.ReceiptPath, "") << "no receipt beside the log";
    EXPECT_EQ(problems, "");
    json r = ParseReceipt(text);
    ASSERT_TRUE(r.is_object()) << text;
    EXPECT_EQ(r["ReceiptPath"], named);
    ASSERT_FALSE(run.Log.empty());
    EXPECT_EQ(run.Log.back(), "Receipt written: '" + named + "'");
    ExpectedDifference e = ToolkitAndJavaClientRemoval();
    Add(&e.MayCome, {Dir(folder), File(named)});
    EXPECT_EQ(Explain(run, e), "");
}

// A receipt that cannot be written (its folder is a file) is one log line:
// the run ends as it would, cleanly, and its status MIF reports success.
TEST(ReceiptTest, UnwritableReceiptLeavesTheResultAloneWithTheAccount)
{
    ASSERT_TRUE(VlmAccountPresent()) << "run as USER=vlm";
    FixtureDescription d = RichInstallation("5.1");
    d.Services = false;
    const std::string named = D + "\\avlilogn.txt\\run.json";
    ScenarioRun run = RunSilentScenario(d, PartsResponse("Receipt=" + named + "\r\n"), "-Ivlparts", "vlparts");
    ExpectToolkitAndJavaClientRemoval(run, false);
    ExpectMifStatus(run, true);
    EXPECT_EQ(run.ReceiptPath, "");
    ASSERT_FALSE(run.Log.empty());
    EXPECT_EQ(run.Log.back(), "***Receipt not written: '" + named + "' (error 3)") << Explain(run, {});
    for (const std::string &line : run.Log) {
        if (line.find_first_not_of('*') == std::string::npos || line == run.Log.back()) continue;
        EXPECT_NE(line.rfind("***", 0), 0u) << line;
    }
}

// A preview's receipt: its mode, exit code 0, what it would delete counted and
// nothing deleted; what it says would stay is what the removal that follows
// leaves, item by item and reason by reason.
TEST(ReceiptTest, PreviewNamesWhatTheRemovalLeaves)
{
    ScenarioRun run = RunSilentScenario(RichInstallation("5.1"), kRemove);
    EXPECT_EQ(run.PreviewExitCode, 0);
    EXPECT_EQ(run.PreviewReceiptProblems, "");
    EXPECT_EQ(run.ReceiptProblems, "");
    json preview = ParseReceipt(run.PreviewReceipt), removal = ParseReceipt(run.Receipt);
    ASSERT_TRUE(preview.is_object()) << run.PreviewReceipt;
    ASSERT_TRUE(removal.is_object()) << run.Receipt;
    EXPECT_EQ(preview["Mode"], "preview");
    EXPECT_EQ(preview["ExitCode"], 0);
    EXPECT_EQ(preview["Counts"]["Deleted"], 0);
    EXPECT_GT(preview["Counts"]["WouldDelete"].get<long>(), 0);
    EXPECT_EQ(removal["Mode"], "silent");
    EXPECT_EQ(removal["Counts"]["WouldDelete"], 0);
    EXPECT_EQ(preview["Counts"]["WouldDelete"], removal["Counts"]["Deleted"]);
    EXPECT_EQ(ReceiptComponent(preview, "Development Toolkit")["Result"], "removed");
    std::set<std::string> would, left;
    for (const json &item : preview["Leftovers"]["Items"])
        would.insert(Lower(item["Path"].get<std::string>()) + " " + item["Reason"].get<std::string>());
    for (const json &item : removal["Leftovers"]["Items"])
        left.insert(Lower(item["Path"].get<std::string>()) + " " + item["Reason"].get<std::string>());
    std::string onlyPreview, onlyRemoval;
    for (const std::string &item : would)
        if (!left.count(item)) onlyPreview += "  " + item + "\n";
    for (const std::string &item : left)
        if (!would.count(item)) onlyRemoval += "  " + item + "\n";
    EXPECT_EQ(onlyPreview, "") << "the preview says these would stay; the removal took them";
    EXPECT_EQ(onlyRemoval, "") << "these stayed; the preview did not say so";
}
