// The text rules of the registry script: value lines, escaping, the
// %PGMDIR% placeholder and the list of values exported literally.
#include "qmconfig/regscript.h"
#include <gtest/gtest.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

const char kQmHeader[] =
    "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\QM1]";
const char kQmPattern[] =
    "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\%QM%]";

std::string Line(RegScriptState *state, const VerbatimPair *list, const char *folder, const std::string &text,
                 int *kind = nullptr)
{
    ProgramFolderForms forms;
    bool known = MakeProgramFolderForms(folder, &forms);
    char out[REG_LINE_SIZE];
    int k = PrepareRegScriptLine(state, list, known ? &forms : nullptr, text.c_str(), out, sizeof out);
    if (kind) *kind = k;
    return out;
}

std::string StringLine(const char *name, const char *text)
{
    char out[REG_LINE_SIZE];
    EXPECT_TRUE(FormatRegStringLine(name, text, out, sizeof out));
    return out;
}

struct ListFile {
    explicit ListFile(const std::string &text) : data(text) { file = fmemopen(&data[0], data.size(), "r"); }
    ~ListFile() { fclose(file); }
    std::string data;
    FILE *file;
};

void NoLog(void *, const char *) {}

}  // namespace

TEST(RegScript, ValueLinesEscapeQuotesApostrophesAndBackslashes)
{
    EXPECT_EQ("\"Text\"=\"a\\\"\\'\\\\\"", StringLine("Text", "a\"'\\"));
    EXPECT_EQ("@=\"default\"", StringLine("", "default"));
    EXPECT_EQ("@=\"x\"", StringLine(nullptr, "x"));
    char out[REG_LINE_SIZE];
    ASSERT_TRUE(FormatRegDwordLine("Protocol", 2, out, sizeof out));
    EXPECT_STREQ("\"Protocol\"=dword:00000002", out);
    ASSERT_TRUE(FormatRegDwordLine("", 0xFFFFFFFFul, out, sizeof out));
    EXPECT_STREQ("@=dword:ffffffff", out);
}

TEST(RegScript, AValueThatDoesNotFitALineIsRefusedNotCut)
{
    char out[REG_LINE_SIZE];
    // 252 backslashes become 504 characters: with the name and quotes the
    // line no longer fits, so nothing is produced at all.
    std::string backslashes(252, '\\');
    EXPECT_FALSE(FormatRegStringLine("LongName", backslashes.c_str(), out, sizeof out));
    EXPECT_STREQ("", out);
    std::string fits(240, '\\');
    EXPECT_TRUE(FormatRegStringLine("N", fits.c_str(), out, sizeof out));
    EXPECT_EQ(strlen(out), 3 + 2 + 480u + 1);
    // A tiny output buffer: escaping stops before writing past it.
    char tiny[4];
    EXPECT_FALSE(EscapeRegText("ab\"", tiny, sizeof tiny));
    EXPECT_STREQ("", tiny);
}

TEST(RegScript, ProgramFolderBecomesThePlaceholderOnlyBeforeABackslashAQuoteOrTheEnd)
{
    RegScriptState state = {};
    const char *folder = "C:\\Program Files\\Varolink";
    EXPECT_EQ("\"Prefix\"=\"%PGMDIR%\"", Line(&state, nullptr, folder, StringLine("Prefix", folder)));
    EXPECT_EQ("\"Prefix\"=\"%PGMDIR%\\\\log\"",
              Line(&state, nullptr, folder, StringLine("Prefix", "C:\\Program Files\\Varolink\\log")));
    EXPECT_EQ("\"Prefix\"=\"C:\\\\Program Files\\\\Varolink2\"",
              Line(&state, nullptr, folder, StringLine("Prefix", "C:\\Program Files\\Varolink2")));
    // The plain form too (a line given unescaped), case-sensitive.
    EXPECT_EQ("x=%PGMDIR%", Line(&state, nullptr, folder, "x=C:\\Program Files\\Varolink"));
    EXPECT_EQ("x=c:\\program files\\varolink", Line(&state, nullptr, folder, "x=c:\\program files\\varolink"));
    // Several occurrences: one before a ';' stays.
    EXPECT_EQ("\"P\"=\"C:\\\\Program Files\\\\Varolink;C:\\\\Program Files\\\\VarolinkX;%PGMDIR%\\\\b\"",
              Line(&state, nullptr, folder,
                   StringLine("P", "C:\\Program Files\\Varolink;C:\\Program Files\\VarolinkX;"
                                   "C:\\Program Files\\Varolink\\b")));
    // No program folder known: lines stay as they are.
    EXPECT_EQ("\"P\"=\"C:\\\\Program Files\\\\Varolink\"",
              Line(&state, nullptr, "", StringLine("P", folder)));
}

TEST(RegScript, APlaceholderLongerThanTheFolderNeverOverflowsTheLine)
{
    RegScriptState state = {};
    // "C:\V" (4 characters) grows to 8 at each occurrence.
    std::string text = "\"P\"=\"";
    while (text.size() < REG_LINE_SIZE - 10) text += "C:\\V\\;";
    int kind = -1;
    EXPECT_EQ("", Line(&state, nullptr, "C:\\V", text, &kind));
    EXPECT_EQ(0, kind);
}

TEST(RegScript, HeadersAreKeptAndVerbatimValuesStayLiteral)
{
    VerbatimPair name = {nullptr, (char *)kQmPattern, (char *)"Prefix"};
    RegScriptState state = {};
    const char *folder = "C:\\Program Files\\Varolink";
    int kind = 0;
    EXPECT_EQ(kQmHeader, Line(&state, &name, folder, kQmHeader, &kind));
    EXPECT_EQ(1, kind);
    EXPECT_STREQ(kQmHeader, state.Header);
    std::string prefix = StringLine("PREFIX", folder);   // names compare without case
    EXPECT_EQ(prefix, Line(&state, &name, folder, prefix, &kind));
    EXPECT_EQ(2, kind);
    EXPECT_EQ("\"Other\"=\"%PGMDIR%\"", Line(&state, &name, folder, StringLine("Other", folder)));
    // Another key: the pair does not apply.
    Line(&state, &name, folder, "[HKEY_LOCAL_MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion\\Configuration]");
    EXPECT_EQ("\"PREFIX\"=\"%PGMDIR%\"", Line(&state, &name, folder, prefix));
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
    EXPECT_TRUE(LineIsVerbatim(head, kQmHeader, "\"directory\"=\"C:\\\\x\""));
    EXPECT_FALSE(LineIsVerbatim(head, kQmHeader, "\"Name\"=\"C:\\\\x\""));
    FreeVerbatimList(&head);
    EXPECT_EQ(nullptr, head);
}

TEST(RegScript, ProgramFolderForms)
{
    ProgramFolderForms forms;
    ASSERT_TRUE(MakeProgramFolderForms("C:\\P\\V", &forms));
    EXPECT_STREQ("C:\\P\\V", forms.Plain);
    EXPECT_STREQ("C:\\\\P\\\\V", forms.Escaped);
    EXPECT_FALSE(MakeProgramFolderForms("", &forms));
    EXPECT_FALSE(MakeProgramFolderForms(std::string(300, '\\').c_str(), &forms));
    EXPECT_STREQ("", forms.Plain);
}
