// The configuration export against the real registry and files of a fixture.
#include "qmdatautil.h"
#include "qmconfig/qmexport.h"
#include "core/log.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const std::string kHeader = "[HKEY_LOCAL_MACHINE\\" VL_CONFIG_KEY;
const std::string kQmPattern = kHeader + "\\QueueManager\\%QM%]";

// The lines of the section that begins with header, up to the next empty line.
std::vector<std::string> Section(const std::vector<std::string> &lines, const std::string &header)
{
    std::vector<std::string> out;
    auto at = std::find(lines.begin(), lines.end(), header);
    if (at == lines.end()) return {"<no section " + header + ">"};
    for (++at; at != lines.end() && !at->empty(); ++at) out.push_back(*at);
    return out;
}

std::vector<std::string> Headers(const std::vector<std::string> &lines)
{
    std::vector<std::string> out;
    for (const std::string &line : lines)
        if (!line.empty() && line[0] == '[') out.push_back(line);
    return out;
}

class Export : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = TempDescription("export");
        program = FixtureProgramFolder(d);
        escaped = program;
        for (size_t at = escaped.find('\\'); at != std::string::npos; at = escaped.find('\\', at + 2))
            escaped.insert(at, "\\");
        script = FixtureWorkFolder(d) + "\\config\\Config.reg";
    }
    void Install(bool withConfigFolder = true)
    {
        ClearProductKey();
        ASSERT_TRUE(FixtureInstall(d));
        if (withConfigFolder) MakeFolders(FixtureWorkFolder(d) + "\\config");
        log = OpenTestLog(d.Root);
    }
    void TearDown() override
    {
        LogClose();
        ClearProductKey();
        FixtureRemove(d);
    }
    void AddConfig(const char *type, const char *key, const char *name, const std::string &data)
    {
        d.ConfigValues.push_back({type, key, name, data});
    }
    FixtureDescription d;
    std::string program, escaped, script, log;
};

}  // namespace

TEST_F(Export, RichConfigurationKeepsListedValuesLiteralAndMarksTheProgramFolder)
{
    d.VerbatimLines = {"; values the next installation needs as they are", kQmPattern, "\"Prefix\"=\"\""};
    d.LogDefaultPath = "C:\\VL\\log";
    AddConfig("sz", "QueueManager\\QM1", "Name", "QM1");
    AddConfig("sz", "QueueManager\\QM1", "Prefix", "%PROGRAM%");
    AddConfig("sz", "QueueManager\\QM1", "WorkDir", "%PROGRAM%");
    AddConfig("sz", "QueueManager\\QM1\\Log", "LogPath", "%PROGRAM%\\log");
    AddConfig("sz", "QueueManager\\QM2", "Prefix", "%PROGRAM%\\qm2");
    AddConfig("sz", "QueueManager\\QM2", "Near", "%PROGRAM%2");
    AddConfig("sz", "Misc", "", "default text");
    AddConfig("sz", "Misc", "Text", "a\"'\\");
    AddConfig("expand", "Misc", "Expand", "%SystemRoot%\\x");
    AddConfig("dword", "Services\\QM1\\Listener", "Protocol", "2");
    // Machine values in another order than the script's, one missing.
    d.MachineValues = {{"sz", "", "VLDAIQMName", "DAI"}, {"sz", "", "MachineName", "HOST1"},
                       {"dword", "", "RepositoryValid", "1"}, {"sz", "", "RepositoryMachineName", "REPO"},
                       {"dword", "", "RepositoryType", "3"}, {"sz", "", "ClusterName", "CL"},
                       {"sz", "", "VLQMName", "%PROGRAM%\\qm"}};
    Install();
    WriteTextFile(script, "an earlier script\r\n");

    EXPECT_TRUE(SaveQmConfiguration());
    // The new script replaced the earlier one; nothing is left beside it.
    EXPECT_FALSE(PathExists(script + ".new"));
    std::vector<std::string> lines = FileLines(script);
    ASSERT_GE(lines.size(), 6u) << ReadTextFile(script);
    EXPECT_EQ((std::vector<std::string>{"REGEDIT4", ";", ";Varolink", ";", kHeader + "]"}),
              std::vector<std::string>(lines.begin(), lines.begin() + 5));
    // One empty line ends the script.
    std::string text = ReadTextFile(script), end = "\"VLDAIQMName\"=\"DAI\"\r\n\r\n";
    EXPECT_EQ(end, text.substr(text.size() - end.size()));

    // Depth first, each key's values before its subkeys, in the registry's
    // order (alphabetical here), the product key last.
    EXPECT_EQ((std::vector<std::string>{kHeader + "]", kHeader + "\\LogDefaults]", kHeader + "\\Misc]",
                                        kHeader + "\\QueueManager]", kHeader + "\\QueueManager\\QM1]",
                                        kHeader + "\\QueueManager\\QM1\\Log]", kHeader + "\\QueueManager\\QM2]",
                                        kHeader + "\\Services]", kHeader + "\\Services\\QM1]",
                                        kHeader + "\\Services\\QM1\\Listener]",
                                        "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion]"}),
              Headers(lines));

    EXPECT_EQ((std::vector<std::string>{"\"Name\"=\"QM1\"", "\"Prefix\"=\"" + escaped + "\"",
                                        "\"WorkDir\"=\"%PGMDIR%\""}),
              Section(lines, kHeader + "\\QueueManager\\QM1]"));
    EXPECT_EQ((std::vector<std::string>{"\"LogPath\"=\"%PGMDIR%\\\\log\""}),
              Section(lines, kHeader + "\\QueueManager\\QM1\\Log]"));
    EXPECT_EQ((std::vector<std::string>{"\"Near\"=\"" + escaped + "2\"", "\"Prefix\"=\"" + escaped + "\\\\qm2\""}),
              Section(lines, kHeader + "\\QueueManager\\QM2]"));
    // REG_EXPAND_SZ keeps its type: hex(2), the text's bytes with its zero.
    EXPECT_EQ((std::vector<std::string>{"@=\"default text\"",
                                        "\"Expand\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,74,25,5c,78,00",
                                        "\"Text\"=\"a\\\"\\'\\\\\""}),
              Section(lines, kHeader + "\\Misc]"));
    EXPECT_EQ((std::vector<std::string>{"\"Protocol\"=dword:00000002"}),
              Section(lines, kHeader + "\\Services\\QM1\\Listener]"));
    EXPECT_EQ((std::vector<std::string>{"\"RepositoryMachineName\"=\"REPO\"", "\"RepositoryValid\"=dword:00000001",
                                        "\"RepositoryType\"=dword:00000003", "\"ClusterName\"=\"CL\"",
                                        "\"MachineName\"=\"HOST1\"", "\"VLQMName\"=\"%PGMDIR%\\\\qm\"",
                                        "\"VLDAIQMName\"=\"DAI\""}),
              Section(lines, "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion]"));

    std::vector<std::string> logged = LogEntries(log);
    EXPECT_TRUE(InOrder(logged, {"", "Saving QM configuration", "Key '" + kHeader + "]'",
                                 "Key '" + kHeader + "\\QueueManager\\QM1]'", "    \"Name\"=\"QM1\"",
                                 "    \"WorkDir\"=\"%PGMDIR%\"", "QM configuration saved"}))
        << ReadTextFile(log);
}

TEST_F(Export, BinaryAndOverlongValuesAreExportedInHexForm)
{
    d.VerbatimLines = {kQmPattern, "\"Prefix\""};
    AddConfig("sz", "QueueManager\\QM1", "Alpha", "QM1");
    AddConfig("binary", "QueueManager\\QM1", "Blob", "0102ff");
    AddConfig("sz", "QueueManager\\QM1", "Long", std::string(300, '\\'));
    AddConfig("sz", "QueueManager\\QM1", "Zulu", "written");
    AddConfig("sz", "QueueManager\\QM2", "Name", "QM2");
    Install();

    EXPECT_TRUE(SaveQmConfiguration()) << ReadTextFile(log);
    std::vector<std::string> lines = Section(FileLines(script), kHeader + "\\QueueManager\\QM1]");
    ASSERT_GE(lines.size(), 5u) << ReadTextFile(script);
    EXPECT_EQ("\"Alpha\"=\"QM1\"", lines[0]);
    EXPECT_EQ("\"Blob\"=hex:01,02,ff", lines[1]);
    // 301 bytes over regedit's continued lines of at most 80 characters.
    EXPECT_EQ(0u, lines[2].rfind("\"Long\"=hex(1):5c,5c,", 0)) << lines[2];
    ASSERT_EQ(0u, lines[2].rfind("\"Long\"=hex(1):", 0)) << ReadTextFile(script);
    size_t last = 2;
    while (last + 1 < lines.size() && lines[last].back() == '\\') last++;
    EXPECT_EQ(lines.size() - 2, last);
    for (size_t i = 2; i <= last; i++) EXPECT_LE(lines[i].size(), 80u) << lines[i];
    EXPECT_EQ("  5c,5c,5c,5c,00", lines[last]);   // 21 bytes on the first line, 25 on each other
    EXPECT_EQ("\"Zulu\"=\"written\"", lines.back());
    EXPECT_EQ((std::vector<std::string>{"\"Name\"=\"QM2\""}), Section(FileLines(script), kHeader + "\\QueueManager\\QM2]"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"    \"Blob\"=hex:01,02,ff", "    \"Zulu\"=\"written\"",
                                          "QM configuration saved"}))
        << ReadTextFile(log);
}

TEST_F(Export, FailedExportLeavesThePreviousScriptByteForByte)
{
    d.VerbatimLines = {"; none"};
    AddConfig("sz", "QueueManager\\QM1", "Name", "QM1");
    // A value name regedit could not read back stops the export.
    AddConfig("sz", "QueueManager\\QM2", "two\r\nlines", "x");
    Install();
    std::string previous = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" VL_CONFIG_KEY "\\QueueManager\\OLD]\n"
                           "\"Name\"=\"OLD\"\r\n\r\n\x1a";
    ASSERT_TRUE(WriteTextFile(script, previous));

    EXPECT_FALSE(SaveQmConfiguration());
    EXPECT_EQ(previous, ReadTextFile(script));
    EXPECT_FALSE(PathExists(script + ".new"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"    \"Name\"=\"QM1\"", "***Value name not valid for .reg file \"two  lines\"",
                                          "Deleted file: '" + script + ".new'", "Error saving QM configuration"}))
        << ReadTextFile(log);
}

TEST_F(Export, MissingListFailsAndMissingConfigurationSucceedsWithoutAScript)
{
    AddConfig("sz", "QueueManager\\QM1", "Name", "QM1");
    Install();
    EXPECT_FALSE(SaveQmConfiguration());
    EXPECT_FALSE(PathExists(script));
    EXPECT_TRUE(Contains(LogEntries(log), "***Unable to open '" + program + "\\uninst\\avlirgdn.u01'"));
    LogClose();

    d.VerbatimLines = {"; nothing listed"};
    d.ConfigValues.clear();
    Install();
    EXPECT_TRUE(SaveQmConfiguration());
    EXPECT_FALSE(PathExists(script));
    EXPECT_TRUE(InOrder(LogEntries(log), {"Saving QM configuration",
                                          "No QM configuration found; key: '" VL_CONFIG_KEY "'"}));
    LogClose();

    // The config folder belongs to the kept data and is not created.
    d.ConfigValues = {{"sz", "QueueManager\\QM1", "Name", "QM1"}};
    Install(false);
    EXPECT_FALSE(SaveQmConfiguration());
    EXPECT_FALSE(PathExists(script));
    EXPECT_TRUE(InOrder(LogEntries(log), {"***Unable to open '" + script + ".new'", "Error saving QM configuration"}));
}

TEST_F(Export, KeysThatRefuseAccessAreRepairedAndExported)
{
    d.VerbatimLines = {"; none"};
    AddConfig("sz", "QueueManager\\QM1", "Name", "QM1");
    AddConfig("sz", "QueueManager\\QM1\\Log", "LogPath", "C:\\L");
    Install();
    RestrictKey(VL_CONFIG_KEY "\\QueueManager\\QM1");
    HKEY probe;
    ASSERT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_CONFIG_KEY "\\QueueManager\\QM1", 0,
                                                 KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &probe));
    EXPECT_TRUE(SaveQmConfiguration()) << ReadTextFile(log);
    std::vector<std::string> lines = FileLines(script);
    EXPECT_EQ((std::vector<std::string>{"\"Name\"=\"QM1\""}), Section(lines, kHeader + "\\QueueManager\\QM1]"));
    EXPECT_EQ((std::vector<std::string>{"\"LogPath\"=\"C:\\\\L\""}), Section(lines, kHeader + "\\QueueManager\\QM1\\Log]"));
}
