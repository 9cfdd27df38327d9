// Removals on a system whose ANSI code page is 932 (Japanese): names whose
// second byte is '\' (ソ 83 5C, 表 95 5C, 能 94 5C) or a letter (ア 83 41,
// イ 83 43) in the lists and in the program and data folders. Run in a Wine
// prefix of its own started with LANG=ja_JP.UTF-8 (tests/e2e/CMakeLists.txt).
// Names are written as their 932 bytes.
#include "expectations.h"
#include "receiptcheck.h"
#include "scenario.h"
#include "scenariochecks.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>

using nlohmann::json;

namespace {

#define SO "\x83\x5C"
#define FU "\x83\x74"
#define TO "\x83\x67"
#define HYOU "\x95\x5C"
#define NOU "\x94\x5C"
#define KA_A "\x83\x41"
#define KA_I "\x83\x43"
// ア and イ with their second byte lower-cased: ヂ and ヅ, other characters.
#define KA_DI "\x83\x61"
#define KA_DU "\x83\x63"

const char *const kListed[] = {"\\tools\\c\\include\\" SO, "\\tools\\" SO FU TO "\\" NOU ".txt",
                               "\\tools\\" KA_A KA_I "\\" KA_A ".h", "\\tools\\c\\include\\" HYOU ".h"};

std::string Lower(std::string text)
{
    // The log's path style: ASCII letters of single-byte characters only.
    for (size_t i = 0; i < text.size(); i++) {
        unsigned char c = (unsigned char)text[i];
        if (IsDBCSLeadByte(c) && i + 1 < text.size()) i++;
        else if (c >= 'A' && c <= 'Z') text[i] = (char)(c + 32);
    }
    return text;
}

bool Logged(const ScenarioRun &run, const std::string &line)
{
    return std::any_of(run.Log.begin(), run.Log.end(),
                       [&](const std::string &l) { return l.find(line) != std::string::npos; });
}

void ExpectNoRefusal(const ScenarioRun &run)
{
    for (const std::string &line : run.Log) EXPECT_EQ(line.find("Unsafe path refused"), std::string::npos) << line;
}

}  // namespace

TEST(CodePage932, SystemCodePageIsDoubleByte)
{
    ASSERT_EQ(GetACP(), 932u) << "the prefix was not started with LANG=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByte(0x83));
}

// The toolkit's list names files whose second bytes are '\' and 'A': each is
// deleted and logged as spelt, the folders it empties go, and a file named
// as the list's names would read with their second bytes lower-cased stays.
TEST(CodePage932, ToolkitRemovalDeletesEveryListedName)
{
    ASSERT_EQ(GetACP(), 932u);
    FixtureDescription d = RichInstallation("5.1");
    for (const char *path : kListed) {
        d.ListLines.push_back({"toolkit", path});
    }
    d.Files.push_back({"program", "\\tools\\" KA_DI KA_DU "\\" KA_DI ".h"});
    ScenarioRun run = RunSilentScenario(
        d, "[Varolink]\r\nVarolink=REMOVECOMPONENTS\r\nLockedFiles=CONTINUE\r\n[Components]\r\n"
           "Development Toolkit=REMOVE\r\nLocal Clients\\Windows NT Client=KEEP\r\n"
           "Local Clients\\Java Client=REMOVE\r\nInternet Gateway=KEEP\r\nDocumentation\\Internet Gateway=KEEP\r\n"
           "Server=KEEP\r\nWeb Administration Server=KEEP\r\n");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = ToolkitAndJavaClientRemoval();
    for (const char *path : kListed) Add(&e.MustGo, {File(P + path)});
    Add(&e.MustGo, {Dir(P + "\\tools\\" SO FU TO), Dir(P + "\\tools\\" KA_A KA_I)});
    Add(&e.MustStay, {File(P + "\\tools\\" KA_DI KA_DU "\\" KA_DI ".h")});
    EXPECT_EQ(Explain(run, e), "");
    for (const char *path : kListed) EXPECT_TRUE(Logged(run, "Deleted file: '" + Lower(P + path) + "'")) << path;
    EXPECT_TRUE(Logged(run, "Deleted path: '" + Lower(P + "\\tools\\" KA_A KA_I) + "'"));
    EXPECT_TRUE(Logged(run, "Deleted path: '" + Lower(P + "\\tools\\" SO FU TO) + "'"));
    ExpectNoRefusal(run);
}

// The whole product with data, double-byte names in the lists, in folders the
// directory procedures empty, in a service level's backup and in the data
// folder: everything goes, as in the single-byte code page.
TEST(CodePage932, WholeRemovalWithDataTakesDoubleByteNames)
{
    ASSERT_EQ(GetACP(), 932u);
    FixtureDescription d = RichInstallation("5.1");
    for (const char *path : kListed) d.ListLines.push_back({"toolkit", path});
    d.Files.push_back({"program", "\\conv\\table\\" SO HYOU ".tbl"});
    d.Files.push_back({"program", "\\BackUp\\u2001\\" SO "\\" HYOU ".dat"});
    d.Files.push_back({"data", "\\qmgrs\\@SYSTEM\\" SO HYOU KA_A ".ini"});
    ScenarioRun run = RunSilentScenario(d, "[Varolink]\r\nVarolink=REMOVEDATA\r\nLockedFiles=CONTINUE\r\n");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = WholeRemoval("5.1", true);
    Add(&e.MustGo, {File(P + "\\conv\\table\\" SO HYOU ".tbl"), File(P + "\\BackUp\\u2001\\" SO "\\" HYOU ".dat"),
                    Dir(P + "\\BackUp\\u2001\\" SO), File(D + "\\qmgrs\\@SYSTEM\\" SO HYOU KA_A ".ini")});
    for (const char *path : kListed) Add(&e.MustGo, {File(P + path)});
    EXPECT_EQ(Explain(run, e), "");
    ExpectInstallerHandOver(run);
    ExpectDefaultLogRule(run);
    for (const char *path : kListed) EXPECT_TRUE(Logged(run, "Deleted file: '" + Lower(P + path) + "'")) << path;
    ExpectNoRefusal(run);
}

// The receipt is UTF-8 whatever the code page: a file of the user's with a
// double-byte name, left in the program folder by a whole-product removal,
// is reported under its name converted from code page 932, and the receipt
// passes the schema check.
TEST(CodePage932, ReceiptNamesDoubleByteFilesInUtf8)
{
    ASSERT_EQ(GetACP(), 932u);
    FixtureDescription d = RichInstallation("5.1");
    const std::string name = "\\custom\\" SO HYOU KA_A ".txt";
    d.Files.push_back({"program", name});
    ScenarioRun run = RunSilentScenario(d, "[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n");
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.ReceiptProblems, "");
    // ソ表ア in UTF-8.
    const std::string utf8 = P + "\\custom\\\xE3\x82\xBD\xE8\xA1\xA8\xE3\x82\xA2.txt";
    json r = ParseReceipt(run.Receipt);
    ASSERT_TRUE(r.is_object()) << run.Receipt;
    json item = LeftoverItem(r, utf8);
    ASSERT_FALSE(item.is_null()) << r["Leftovers"].dump(1);
    EXPECT_EQ(item["Reason"], "not-product");
    EXPECT_EQ(run.Receipt.find(P + name), std::string::npos) << "code-page bytes in the receipt";
    ExpectNoRefusal(run);
}
