#include "core/responseparse.h"
#include "qmconfig/configtext.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

static std::vector<std::string> gLines;
static void Capture(const char *line) { gLines.push_back(line); }

struct Parsed {
    ResponseTable table;
    explicit Parsed(const std::vector<std::string> &lines)
    {
        gLines.clear();
        ResponseInit(&table);
        for (const std::string &line : lines) {
            char buffer[RESPONSE_LINE_SIZE];
            snprintf(buffer, sizeof buffer, "%s", line.c_str());
            ResponseParseLine(&table, buffer, Capture);
        }
    }
    ~Parsed() { ResponseFree(&table); }
    std::string Find(const char *stanza, const char *keyword)
    {
        const char *value;
        int rc = ResponseFind(&table, stanza, keyword, &value);
        return rc == 0 ? value : rc == 1 ? "<no stanza>" : "<no keyword>";
    }
};

TEST(ResponseFile, GrammarAndLookupOrder)
{
    Parsed p({"; comment", "# other", "   ", "[Varolink] trailing words", "Varolink=remove data\r\n",
              "[Components]", "Server=KEEP", "Local Clients\\Windows NT Client=REMOVE", "Server=REMOVEDATA",
              "[components]", "Internet Gateway=Skip", "LockedFiles =CONTINUE"});
    EXPECT_TRUE(p.table.Ok);
    EXPECT_EQ(p.Find("VAROLINK", "varolink"), "remove");
    // Only the later "Components" stanza is searched.
    EXPECT_EQ(p.Find("Components", "Server"), "<no keyword>");
    EXPECT_EQ(p.Find("Components", "Internet Gateway"), "Skip");
    EXPECT_EQ(p.Find("Components", "LockedFiles"), "<no keyword>");
    EXPECT_EQ(p.Find("Components", "LockedFiles "), "CONTINUE");
    EXPECT_EQ(p.Find("Missing", "x"), "<no stanza>");
    // Every line is echoed with two blanks, comments included.
    EXPECT_EQ(gLines[0], "  ; comment");
    EXPECT_EQ(gLines[4], "  Varolink=remove data");
}

TEST(ResponseFile, LaterKeywordInOneStanzaWins)
{
    Parsed p({"[Components]", "Server=KEEP", "Server=REMOVEDATA"});
    EXPECT_EQ(p.Find("Components", "Server"), "REMOVEDATA");
}

TEST(ResponseFile, EveryProblemIsLoggedAndTheReadFails)
{
    Parsed p({"Server=KEEP", "[]", "no equals here", "===", "Key=   ", "[Varolink]", "Varolink=REMOVE"});
    EXPECT_FALSE(p.table.Ok);
    std::vector<std::string> problems;
    for (const std::string &line : gLines)
        if (line.compare(0, 2, "  ") != 0) problems.push_back(line);
    std::vector<std::string> expected = {"No stanza", "No stanza name", "No equals (=) sign in line",
                                         "No keyword name in line", "No value in line", "No value in line"};
    EXPECT_EQ(problems, expected);
    // After an error keyword lines are no longer stored.
    EXPECT_EQ(p.Find("Varolink", "Varolink"), "<no keyword>");
}

TEST(ResponseFile, BinaryJunkAndLongLinesDoNotCrash)
{
    std::string junk = "\x01\xff[\x7f=\x80 \xfe]";
    std::string longLine(515, 'k');
    Parsed p({junk, longLine, "[" + std::string(600, 's')});
    SUCCEED();
}

TEST(ConfigText, CleanConfigValue)
{
    char a[] = "  \"c:\\\\logs\\\\\\qm\"  ";
    CleanConfigValue(a);
    EXPECT_STREQ(a, "c:\\logs\\qm");
    char b[] = "    ";
    CleanConfigValue(b);
    EXPECT_STREQ(b, "");
    char c[] = "\"";
    CleanConfigValue(c);
    EXPECT_STREQ(c, "");
    char d[] = "\"open";
    CleanConfigValue(d);
    EXPECT_STREQ(d, "open");
}

TEST(ConfigText, LogDefaultPathLine)
{
    char out[260];
    char reg[] = "\"LogDefaultPath\"=\"C:\\\\VL\\\\Log\"";
    EXPECT_TRUE(MatchLogDefaultPathLine(reg, out, sizeof out));
    EXPECT_STREQ(out, "c:\\vl\\log");
    char ini[] = "   LogDefaultPath=D:\\QmLogs";
    EXPECT_TRUE(MatchLogDefaultPathLine(ini, out, sizeof out));
    EXPECT_STREQ(out, "d:\\qmlogs");
    char none[] = "LogDefaultPath";
    EXPECT_FALSE(MatchLogDefaultPathLine(none, out, sizeof out));
}
