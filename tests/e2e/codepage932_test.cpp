// Removals on a system whose ANSI code page is 932 (Japanese): names whose
// second byte is '\' (ソ 83 5C, 表 95 5C, 能 94 5C) or a letter (ア 83 41,
// イ 83 43) in the lists and in the program and data folders. Run in a Wine
// prefix of its own started with LANG=ja_JP.UTF-8 (tests/e2e/CMakeLists.txt).
// Names are written as their 932 bytes.
#include "expectations.h"
#include "runner.h"
#include "scenario.h"
#include "scenariochecks.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>

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


// Queue managers whose names and folders hold 0x5C and A-Z second bytes, one
// from each source, every key ending in a 0x5C second byte: the registry
// (アソ), VLS.INI with its QM.INI (イ表) and Config.reg (ア能). Each has files in its folder and in its log folder, and
// the registry one values naming the program folder, one of which the
// installer's list of literal values names under every queue manager's key.
const char *const kQmKeys[] = {KA_A SO, KA_I HYOU, KA_A NOU};

void AddDoubleByteQueueManagers(FixtureDescription *d)
{
    d->RegistryQueueManagers.push_back({KA_A SO, "VL." KA_A SO, "tcp"});
    d->IniQueueManagers.push_back({KA_I HYOU, "VL." KA_I HYOU});
    d->ScriptQueueManagers.push_back({KA_A NOU, "VL." KA_A NOU});
    for (const char *key : kQmKeys) {
        d->Files.push_back({"data", std::string("\\qmgrs\\") + key + "\\" KA_A SO ".dat"});
        d->Files.push_back({"data", std::string("\\qmgrs\\") + key + "\\queues\\" SO HYOU ".Q\\q"});
        d->Files.push_back({"log", std::string("\\") + key + "\\active\\S" KA_A SO "00.LOG"});
    }
    d->ConfigValues.push_back({"sz", "QueueManager\\" KA_A SO, "ExitsPath", "%PROGRAM%\\exits\\" SO});
    d->ConfigValues.push_back({"sz", "QueueManager\\" KA_A SO, "ToolsPath", "%PROGRAM%\\tools\\" SO});
    d->VerbatimLines.push_back("\"ExitsPath\"");
}

// The queue managers' folders, files and log folders.
std::vector<std::string> DoubleByteQueueManagerData()
{
    std::vector<std::string> items;
    for (const char *key : kQmKeys) {
        Add(&items, {File(D + "\\qmgrs\\" + key + "\\*"), Dir(D + "\\qmgrs\\" + key + "*")});
        Add(&items, {File(G + "\\" + key + "\\*"), Dir(G + "\\" + key + "*")});
    }
    return items;
}

// Every file of the queue managers named in a "Deleted file" line as spelt.
void ExpectQueueManagerFilesLogged(const ScenarioRun &run)
{
    for (const char *key : kQmKeys) {
        for (const std::string &path : {D + "\\qmgrs\\" + key + "\\" KA_A SO ".dat",
                                        D + "\\qmgrs\\" + key + "\\queues\\" SO HYOU ".Q\\q",
                                        G + "\\" + key + "\\active\\S" KA_A SO "00.LOG"})
            EXPECT_TRUE(Logged(run, "Deleted file: '" + path + "'") || Logged(run, "Deleted file: '" + Lower(path) + "'"))
                << path;
    }
}

const char kServerResponse[] =
    "[Varolink]\r\nVarolink=REMOVECOMPONENTS\r\nLockedFiles=CONTINUE\r\n[Components]\r\n"
    "Development Toolkit=KEEP\r\nLocal Clients\\Windows NT Client=KEEP\r\nLocal Clients\\Java Client=KEEP\r\n"
    "Internet Gateway=KEEP\r\nDocumentation\\Internet Gateway=KEEP\r\n";

std::string ServerResponse(bool withData)
{
    const char *data = withData ? "REMOVEDATA" : "KEEP";
    return std::string(kServerResponse) + "Server=" + data + "\r\nWeb Administration Server=" + data + "\r\n";
}

FixtureDescription IncompleteServerWithDoubleByteQueueManagers()
{
    FixtureDescription d = RichInstallation("5.1");
    SetComponentValue(&d, "Server", "Incomplete");
    SetComponentValue(&d, "Web Administration Server", "Incomplete");
    AddDoubleByteQueueManagers(&d);
    return d;
}

bool Scanned(const ScenarioRun &run, const char *key, const char *name)
{
    return Logged(run, std::string("QM list entry for '") + name + "' Added") &&
           Logged(run, std::string(" Directory:    '") + D + "\\qmgrs\\" + key + "'") &&
           Logged(run, std::string(" Log:          '") + G + "\\" + key + "'");
}

// Discovery found each queue manager with its folders, and the registry
// one's TCP listener.
void ExpectQueueManagersScanned(const ScenarioRun &run)
{
    EXPECT_TRUE(Scanned(run, KA_A SO, "VL." KA_A SO));
    EXPECT_TRUE(Scanned(run, KA_I HYOU, "VL." KA_I HYOU));
    EXPECT_TRUE(Scanned(run, KA_A NOU, "VL." KA_A NOU));
    for (const std::string &line : run.Log) {
        EXPECT_EQ(line.find("Can't find QM directory"), std::string::npos) << line;
        EXPECT_EQ(line.find("Can't find log directory"), std::string::npos) << line;
        EXPECT_EQ(line.find("Can't find QM '"), std::string::npos) << line;
    }
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

// The server with its data: every queue manager, from each source, goes from
// disk (its folder, its log folder) and from the registry; each file is
// logged as spelt.
TEST(CodePage932, ServerRemovalWithDataTakesDoubleByteQueueManagers)
{
    ASSERT_EQ(GetACP(), 932u);
    // The registry one runs: the stop sequence finds it by its log folder and
    // ends it by its name before its folders go.
    FixtureDescription d = IncompleteServerWithDoubleByteQueueManagers();
    d.RunningQueueManagers.push_back(KA_A SO);
    d.Standins.push_back("endvlcsv.exe");
    d.Standins.push_back("endvlm.exe");
    ScenarioRun run = RunSilentScenario(d, ServerResponse(true));
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = IncompleteServerRemoval(true);
    Add(&e.MustGo, DoubleByteQueueManagerData());
    EXPECT_EQ(Explain(run, e), "");
    EXPECT_TRUE(Logged(run, "Queue manager 'VL." KA_A SO "' is running"));
    EXPECT_TRUE(Logged(run, "\\endvlm.exe' '-i VL." KA_A SO "'"));
    ExpectQueueManagersScanned(run);
    ExpectQueueManagerFilesLogged(run);
    ExpectNoRefusal(run);
}

// The server keeping its data: the queue managers stay, and the saved
// configuration names each by its own key, with its name as spelt, and keeps
// the listed value literal under a key whose name ends in a 0x5C second byte
// ("%QM%" stands for that whole name).
TEST(CodePage932, ServerRemovalKeepingDataExportsDoubleByteQueueManagers)
{
    ASSERT_EQ(GetACP(), 932u);
    std::string script;
    ScenarioRun run = RunScenario(IncompleteServerWithDoubleByteQueueManagers(),
                                  [&](const std::string &folder, ScenarioRun *r) {
                                      std::string answers = folder + "\\answers.rsp";
                                      if (!WriteTextFile(answers, ServerResponse(false))) {
                                          r->Failures += "the response file could not be written\n";
                                          return -1;
                                      }
                                      int code = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
                                      script = ReadTextFile(D + "\\config\\Config.reg");
                                      return code;
                                  });
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = IncompleteServerRemoval(false);
    Add(&e.MustStay, DoubleByteQueueManagerData());
    EXPECT_EQ(Explain(run, e), "");
    ExpectQueueManagersScanned(run);
    ExpectNoRefusal(run);
    const std::string key = "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\";
    EXPECT_NE(script.find(key + "QueueManager\\" KA_A SO "]"), std::string::npos) << script;
    EXPECT_NE(script.find(key + "QueueManager\\" KA_A SO "\\Log]"), std::string::npos) << script;
    EXPECT_NE(script.find(key + "Services\\" KA_A SO "\\Listener]"), std::string::npos) << script;
    EXPECT_NE(script.find("\"Name\"=\"VL." KA_A SO "\""), std::string::npos) << script;
    // Listed: literal, the program folder escaped by character; not listed: the placeholder.
    EXPECT_NE(script.find("\"ExitsPath\"=\"C:\\\\Varolink\\\\Program\\\\exits\\\\" SO "\""), std::string::npos) << script;
    EXPECT_NE(script.find("\"ToolsPath\"=\"%PGMDIR%\\\\tools\\\\" SO "\""), std::string::npos) << script;
    EXPECT_NE(script.find("\"LogPath\"=\"C:\\\\Varolink\\\\Data\\\\log\\\\" KA_A SO "\""), std::string::npos) << script;
}

// The whole product with its data: the queue managers' log folders go with
// the log folder; their own folders stay, as in the single-byte code page.
TEST(CodePage932, WholeRemovalWithDataTakesDoubleByteQueueManagerLogs)
{
    ASSERT_EQ(GetACP(), 932u);
    FixtureDescription d = RichInstallation("5.1");
    AddDoubleByteQueueManagers(&d);
    ScenarioRun run = RunSilentScenario(d, "[Varolink]\r\nVarolink=REMOVEDATA\r\nLockedFiles=CONTINUE\r\n");
    EXPECT_EQ(run.ExitCode, 0);
    ExpectedDifference e = WholeRemoval("5.1", true);
    for (const char *key : kQmKeys) {
        Add(&e.MustGo, {File(G + "\\" + key + "\\*"), Dir(G + "\\" + key + "*")});
        Add(&e.MustStay, {File(D + "\\qmgrs\\" + key + "\\*"), Dir(D + "\\qmgrs\\" + key + "*")});
    }
    EXPECT_EQ(Explain(run, e), "");
    ExpectInstallerHandOver(run);
    ExpectQueueManagersScanned(run);
    for (const char *key : kQmKeys) {
        std::string path = G + "\\" + key + "\\active\\S" KA_A SO "00.LOG";
        EXPECT_TRUE(Logged(run, "Deleted file: '" + path + "'") || Logged(run, "Deleted file: '" + Lower(path) + "'"))
            << path;
    }
    ExpectNoRefusal(run);
}
