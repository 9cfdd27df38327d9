// The text rules of the registry script: value lines in every form, escaping,
// the %PGMDIR% placeholder and the list of values exported literally. Hex
// forms are read back with the script readers' own decoder.
#include "qmconfig/regscript.h"
#include "qmconfig/configtext.h"
#include "tests/host/shared/codepage932.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const char kQmHeader[] =
    "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\QM1]";
const char kQmPattern[] =
    "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\%QM%]";

// The lines WriteRegValue gives for one value.
std::vector<std::string> Lines(const char *name, unsigned long type, const std::string &data,
                               const char *folder = nullptr, int *result = nullptr)
{
    std::vector<std::string> lines;
    int r = WriteRegValue(name, type, (const unsigned char *)data.data(), data.size(), folder,
                          [](void *context, const char *line) {
                              ((std::vector<std::string> *)context)->push_back(line);
                              return 1;
                          },
                          &lines);
    if (result) *result = r;
    return lines;
}

std::string Line(const char *name, unsigned long type, const std::string &data, const char *folder = nullptr)
{
    std::vector<std::string> lines = Lines(name, type, data, folder);
    return lines.size() == 1 ? lines[0] : "<" + std::to_string(lines.size()) + " lines>";
}

std::string Sz(const std::string &text) { return text + std::string(1, '\0'); }

// Reads a hex form back as the script's readers do: the bytes they keep, and
// in *total how many there were.
std::string HexBack(const std::vector<std::string> &lines, size_t *total = nullptr)
{
    if (lines.empty()) return "<none>";
    RegHexData data;
    size_t equals = lines[0].find('=');
    if (!RegHexBegin(lines[0].c_str() + equals + 1, &data)) return "<no hex form>";
    for (size_t i = 1; i < lines.size(); i++) {
        EXPECT_TRUE(data.More) << "line " << i << " follows no continuation";
        EXPECT_TRUE(RegHexContinue(lines[i].c_str(), &data));
    }
    EXPECT_FALSE(data.More);
    EXPECT_FALSE(data.Bad);
    if (total) *total = data.Total;
    else EXPECT_EQ(data.Total, data.Kept);
    return std::string((const char *)data.Bytes, data.Kept);
}

struct ListFile {
    explicit ListFile(const std::string &text) : data(text) { file = fmemopen(&data[0], data.size(), "r"); }
    ~ListFile() { fclose(file); }
    std::string data;
    FILE *file;
};

void NoLog(void *, const char *) {}

}  // namespace

TEST(RegScript, StringsAndDwordsOnOneLineWithRegeditEscapes)
{
    EXPECT_EQ("\"Text\"=\"a\\\"\\'\\\\\"", Line("Text", SCRIPT_REG_SZ, Sz("a\"'\\")));
    EXPECT_EQ("@=\"default\"", Line("", SCRIPT_REG_SZ, Sz("default")));
    EXPECT_EQ("@=\"x\"", Line(nullptr, SCRIPT_REG_SZ, "x"));   // unterminated data
    // Names as regedit reads them: '"' and '\' escaped, nothing else.
    EXPECT_EQ("\"q\\\"u'o\\\\te\"=\"v\"", Line("q\"u'o\\te", SCRIPT_REG_SZ, Sz("v")));
    EXPECT_EQ("\"Protocol\"=dword:00000002", Line("Protocol", SCRIPT_REG_DWORD, std::string("\2\0\0\0", 4)));
    EXPECT_EQ("@=dword:ffffffff", Line("", SCRIPT_REG_DWORD, "\xff\xff\xff\xff"));
}

TEST(RegScript, EveryOtherValueKeepsItsTypeAndBytesInHexForm)
{
    // A line break, an inner zero: hex(1) with the data as stored.
    EXPECT_EQ("\"Lines\"=hex(1):61,0d,0a,62,00", Line("Lines", SCRIPT_REG_SZ, Sz("a\r\nb")));
    EXPECT_EQ("\"Lf\"=hex(1):0a,00", Line("Lf", SCRIPT_REG_SZ, Sz("\n")));
    EXPECT_EQ("\"Inner\"=hex(1):61,00,62,00", Line("Inner", SCRIPT_REG_SZ, Sz(std::string("a\0b", 3))));
    EXPECT_EQ("\"E\"=hex(2):25,50,25,00", Line("E", SCRIPT_REG_EXPAND_SZ, Sz("%P%")));
    EXPECT_EQ("\"M\"=hex(7):61,00,62,00,00", Line("M", SCRIPT_REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
    EXPECT_EQ("\"B\"=hex:01,ff,00", Line("B", SCRIPT_REG_BINARY, std::string("\1\xff\0", 3)));
    EXPECT_EQ("\"B\"=hex:", Line("B", SCRIPT_REG_BINARY, ""));
    EXPECT_EQ("@=hex(0):", Line("", SCRIPT_REG_NONE, ""));
    EXPECT_EQ("\"Q\"=hex(b):01,00,00,00,00,00,00,00", Line("Q", 11, std::string("\1\0\0\0\0\0\0\0", 8)));
    EXPECT_EQ("\"Short\"=hex(4):02,00", Line("Short", SCRIPT_REG_DWORD, std::string("\2\0", 2)));
}

TEST(RegScript, LongValuesContinueOverRegeditLinesAndReadBack)
{
    // 2,000 bytes: far beyond a line, so hex lines of at most 80 characters.
    std::string data;
    for (int i = 0; i < 2000; i++) data += (char)(i * 7);
    std::vector<std::string> lines = Lines("Blob", SCRIPT_REG_BINARY, data);
    ASSERT_GT(lines.size(), 25u);
    EXPECT_EQ(0u, lines[0].rfind("\"Blob\"=hex:00,07,0e,", 0));
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_LE(lines[i].size(), (size_t)REG_HEX_WIDTH) << i;
        EXPECT_EQ(i + 1 < lines.size(), lines[i].back() == '\\') << i;
        if (i) EXPECT_EQ(0u, lines[i].rfind("  ", 0)) << i;
    }
    size_t total = 0;
    EXPECT_EQ(data.substr(0, REG_HEX_KEEP), HexBack(lines, &total));
    EXPECT_EQ(data.size(), total);

    // A string that does not fit one line is written as hex(1), not refused.
    std::string text(600, '\\');
    std::vector<std::string> sz = Lines("Long", SCRIPT_REG_SZ, Sz(text));
    EXPECT_EQ(0u, sz[0].rfind("\"Long\"=hex(1):5c,", 0));
    EXPECT_EQ(Sz(text).substr(0, REG_HEX_KEEP), HexBack(sz, &total));
    EXPECT_EQ(text.size() + 1, total);
    // The longest string that fits stays on one line.
    std::string fits(250, '\\');
    EXPECT_EQ("\"N\"=\"" + std::string(500, '\\') + "\"", Line("N", SCRIPT_REG_SZ, Sz(fits)));

    // A long name leaves its first line without bytes; every line still fits.
    std::string name(400, 'n');
    std::vector<std::string> named = Lines(name.c_str(), SCRIPT_REG_EXPAND_SZ, Sz("x"));
    ASSERT_EQ(2u, named.size());
    EXPECT_EQ("\"" + name + "\"=hex(2):\\", named[0]);
    EXPECT_EQ(Sz("x"), HexBack(named));
}

TEST(RegScript, NamesRegeditCannotReadBackAreRefused)
{
    int result = 0;
    EXPECT_TRUE(Lines("two\nlines", SCRIPT_REG_SZ, Sz("x"), nullptr, &result).empty());
    EXPECT_EQ(REG_VALUE_BAD_NAME, result);
    EXPECT_TRUE(Lines(std::string(300, '\\').c_str(), SCRIPT_REG_SZ, Sz("x"), nullptr, &result).empty());
    EXPECT_EQ(REG_VALUE_BAD_NAME, result);
    // A write error is reported as such.
    EXPECT_EQ(REG_VALUE_WRITE_ERROR, WriteRegValue("n", SCRIPT_REG_BINARY, (const unsigned char *)"\1", 1, nullptr,
                                                   [](void *, const char *) { return 0; }, nullptr));
}

TEST(RegScript, ProgramFolderBecomesThePlaceholderInTheTextBeforeItIsEncoded)
{
    const char *folder = "C:\\Program Files\\Varolink";
    EXPECT_EQ("\"Prefix\"=\"%PGMDIR%\"", Line("Prefix", SCRIPT_REG_SZ, Sz(folder), folder));
    EXPECT_EQ("\"Prefix\"=\"%PGMDIR%\\\\log\"",
              Line("Prefix", SCRIPT_REG_SZ, Sz("C:\\Program Files\\Varolink\\log"), folder));
    EXPECT_EQ("\"Prefix\"=\"C:\\\\Program Files\\\\Varolink2\"",
              Line("Prefix", SCRIPT_REG_SZ, Sz("C:\\Program Files\\Varolink2"), folder));
    // Case-sensitive; one before a ';' stays, one before an apostrophe goes.
    EXPECT_EQ("\"P\"=\"c:\\\\program files\\\\varolink\"",
              Line("P", SCRIPT_REG_SZ, Sz("c:\\program files\\varolink"), folder));
    EXPECT_EQ("\"P\"=\"C:\\\\Program Files\\\\Varolink;%PGMDIR%\\'s;%PGMDIR%\\\\b\"",
              Line("P", SCRIPT_REG_SZ,
                   Sz("C:\\Program Files\\Varolink;C:\\Program Files\\Varolink's;C:\\Program Files\\Varolink\\b"),
                   folder));
    // The name is left alone; no folder known: the data too.
    EXPECT_EQ("\"" "C:\\\\P" "\"=\"%PGMDIR%\"", Line("C:\\P", SCRIPT_REG_SZ, Sz("C:\\P"), "C:\\P"));
    EXPECT_EQ("\"P\"=\"C:\\\\P\"", Line("P", SCRIPT_REG_SZ, Sz("C:\\P"), ""));
    // In the hex forms: each string of a REG_MULTI_SZ ends at its zero.
    EXPECT_EQ(Sz("%PGMDIR%\\x") , HexBack(Lines("E", SCRIPT_REG_EXPAND_SZ, Sz("C:\\P\\x"), "C:\\P")));
    EXPECT_EQ(std::string("%PGMDIR%\0C:\\PX\0%PGMDIR%\0\0", 25),
              HexBack(Lines("M", SCRIPT_REG_MULTI_SZ, std::string("C:\\P\0C:\\PX\0C:\\P\0\0", 17), "C:\\P")));
    EXPECT_EQ(Sz("C:\\P\r\n%PGMDIR%"), HexBack(Lines("L", SCRIPT_REG_SZ, Sz("C:\\P\r\nC:\\P"), "C:\\P")));
    // Binary data and dwords are no text.
    EXPECT_EQ("C:\\P", HexBack(Lines("B", SCRIPT_REG_BINARY, "C:\\P", "C:\\P")));
    // A short folder grows with every occurrence: the line turns into hex.
    std::string many;
    while (many.size() < 300) many += "C:\\V\\;";
    std::vector<std::string> grown = Lines("G", SCRIPT_REG_SZ, Sz(many), "C:\\V");
    EXPECT_GT(grown.size(), 1u);
    std::string expected;
    for (size_t at = 0; at < many.size(); at += 6) expected += "%PGMDIR%\\;";
    EXPECT_EQ(Sz(expected), HexBack(grown));
}

TEST(RegScript, VerbatimValuesAreFoundByKeyAndName)
{
    VerbatimPair name = {nullptr, (char *)kQmPattern, (char *)"Prefix"};
    EXPECT_TRUE(ValueIsVerbatim(&name, kQmHeader, "PREFIX"));
    EXPECT_FALSE(ValueIsVerbatim(&name, kQmHeader, "Other"));
    EXPECT_FALSE(ValueIsVerbatim(&name, "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration]",
                                 "Prefix"));
    EXPECT_FALSE(ValueIsVerbatim(nullptr, kQmHeader, "Prefix"));
}

TEST(RegScript, QmPatternsMatchByStartAndEnd)
{
    EXPECT_TRUE(VerbatimKeyMatches(kQmPattern, kQmHeader));
    EXPECT_TRUE(VerbatimKeyMatches(kQmPattern,
        "[hkey_local_machine\\software\\norvik\\varolink\\currentversion\\configuration\\queuemanager\\Q.M 2]"));
    EXPECT_FALSE(VerbatimKeyMatches(kQmPattern,
        "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\Services\\QM1]"));
    EXPECT_TRUE(VerbatimKeyMatches("[A\\B]", "[a\\b]"));
    EXPECT_FALSE(VerbatimKeyMatches("[A\\B]", "[A\\B\\C]"));
    // Nothing after the token, or a header too short for both ends.
    EXPECT_FALSE(VerbatimKeyMatches("[A\\%QM%", "[A\\QM1"));
    EXPECT_FALSE(VerbatimKeyMatches("[AB%QM%BA]", "[ABA]"));
    EXPECT_FALSE(VerbatimKeyMatches("[A%QM%]", "]"));
}

TEST(RegScript, VerbatimListLinesAreReadAsKeysAndNames)
{
    ListFile list(std::string("; comment\r\n# comment\r\n\"Orphan\"\r\n") + kQmPattern +
                  "\r\n\"Prefix\"=\"x\"\r\n  \"Indented\"\r\n\"Directory\"\n[ \"Quoted\" ]\r\nplain\r\n\"Last\"");
    VerbatimPair *head = nullptr;
    ASSERT_TRUE(ReadVerbatimList(list.file, &head, NoLog, nullptr));
    std::vector<std::string> pairs;
    for (VerbatimPair *p = head; p; p = p->Next) pairs.push_back(std::string(p->Key) + "|" + p->Name);
    // Newest first; the name before any key and the indented line are dropped.
    ASSERT_EQ(3u, pairs.size());
    EXPECT_EQ("[ \"Quoted\" ]|Last", pairs[0]);
    EXPECT_EQ(std::string(kQmPattern) + "|Directory", pairs[1]);
    EXPECT_EQ(std::string(kQmPattern) + "|Prefix", pairs[2]);
    EXPECT_TRUE(ValueIsVerbatim(head, kQmHeader, "directory"));
    EXPECT_FALSE(ValueIsVerbatim(head, kQmHeader, "Name"));
    FreeVerbatimList(&head);
    EXPECT_EQ(nullptr, head);
}

// The export escapes '"', '\'' and '\' only where they are characters of
// their own; the reader undoes exactly that, so 932 text comes back intact.
TEST(RegScript, DoubleByteTextIsEscapedByCharacterAndReadsBack)
{
    CodePage932 cp;
    EXPECT_EQ("\"" HYOU "\"=\"C:\\\\" SO "\\\\" HYOU "\"", Line(HYOU, SCRIPT_REG_SZ, Sz("C:\\" SO "\\" HYOU)));
    EXPECT_EQ("\"" SO "\\\"\"=\"" KA_A "\\'\"", Line(SO "\"", SCRIPT_REG_SZ, Sz(KA_A "'")));
    for (const char *value : {SO, "C:\\" SO "\\" HYOU, HYOU "'\"\\", "\x83"}) {
        char escaped[256], back[256];
        ASSERT_TRUE(EscapeRegText(value, escaped, sizeof escaped));
        std::string quoted = std::string("\"") + escaped + "\"";
        ASSERT_TRUE(DecodeRegString(quoted.c_str(), back, sizeof back));
        EXPECT_STREQ(value, back);
    }
    // A lead byte standing alone before a quote: escaping the quote would
    // make the backslash its second byte, so the text takes the hex form and
    // such a name is refused.
    EXPECT_EQ("\"T\"=hex(1):83,22,00", Line("T", SCRIPT_REG_SZ, Sz("\x83\"")));
    int result = 0;
    EXPECT_TRUE(Lines("\x83\"", SCRIPT_REG_SZ, Sz("v"), nullptr, &result).empty());
    EXPECT_EQ(REG_VALUE_BAD_NAME, result);
    // The program folder is looked for at character starts only: here "C:\P"
    // would begin at the second byte of "\x83C".
    size_t size = 0;
    std::string data = "\x83" "C:\\P\\x";
    unsigned char *out = SubstituteProgramFolder((const unsigned char *)data.data(), data.size(), "C:\\P", &size);
    ASSERT_TRUE(out);
    EXPECT_EQ(data, std::string((const char *)out, size));
    free(out);
    data = SO "C:\\P\\x";
    out = SubstituteProgramFolder((const unsigned char *)data.data(), data.size(), "C:\\P", &size);
    ASSERT_TRUE(out);
    EXPECT_EQ(SO "%PGMDIR%\\x", std::string((const char *)out, size));
    free(out);
}

// A "%QM%" pattern under code page 932. Second bytes are 0x40 and above, so
// a '%' (0x25) is never one: the token starts a character even right after a
// lead byte, which then stands alone. The pattern's two ends match the
// header only at character boundaries of the header: a queue-manager name
// ending in a 0x5C second byte is no separator of its own.
TEST(RegScript, QmPatternsMatchDoubleByteNamesAtCharacterBoundaries)
{
    CodePage932 cp;
    const std::string base = "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\";
    EXPECT_TRUE(VerbatimKeyMatches(kQmPattern, (base + KA_A SO "]").c_str()));
    const std::string log = base + "%QM%\\Log]";
    EXPECT_TRUE(VerbatimKeyMatches(log.c_str(), (base + KA_A SO "\\Log]").c_str()));
    // "\Log]" read from the second byte of ソ: the key "アソLog", not a Log key.
    EXPECT_FALSE(VerbatimKeyMatches(log.c_str(), (base + KA_A SO "Log]").c_str()));
    // The text before the token ends in a lead byte standing alone: it does
    // not match a header where that byte begins a character, only one where
    // it stands alone too.
    EXPECT_EQ(std::string("%QM%]"), MbFindText("[A\\\x83%QM%]", "%QM%"));
    EXPECT_FALSE(VerbatimKeyMatches("[A\\\x83%QM%]", "[A\\" SO "]"));
    EXPECT_FALSE(VerbatimKeyMatches("[A\\\x83%QM%]", "[A\\" SO "X]"));
    EXPECT_TRUE(VerbatimKeyMatches("[A\\\x83%QM%]", "[A\\\x83!]"));
    // A double-byte character before the token belongs to the text before it.
    EXPECT_TRUE(VerbatimKeyMatches("[A\\" SO "%QM%]", "[A\\" SO KA_A "]"));
    EXPECT_FALSE(VerbatimKeyMatches("[A\\" SO "%QM%]", "[A\\" HYOU KA_A "]"));
}
