#include "app/cmdline.h"
#include "tests/host/shared/codepage932.h"
#include <gtest/gtest.h>
#include <string>

static std::string Value(const char *params, const char *name)
{
    char out[260];
    int fits;
    if (!SwitchValue(params, name, out, sizeof out, &fits)) return "<none>";
    return out;
}

static std::string LogValue(const char *params)
{
    char out[260];
    int fits;
    if (!LogSwitchValue(params, out, sizeof out, &fits)) return "<none>";
    return out;
}

TEST(CommandLine, ProgramNameAndParameters)
{
    char name[260], params[260];
    SplitCommandLine("\"C:\\Program Files\\u\\avliunin.exe\" -S -F1a.rsp", name, sizeof name, params, sizeof params);
    EXPECT_STREQ(name, "C:\\Program Files\\u\\avliunin.exe");
    EXPECT_STREQ(params, "-S -F1a.rsp");
    SplitCommandLine("avliunin -Sx", name, sizeof name, params, sizeof params);
    EXPECT_STREQ(name, "avliunin");
    EXPECT_STREQ(params, "-Sx");
    SplitCommandLine("avliunin", name, sizeof name, params, sizeof params);
    EXPECT_STREQ(params, "");
}

TEST(CommandLine, OverlongPartsAreCutAndReported)
{
    std::string line = "\"" + std::string(400, 'a') + "\" " + std::string(400, 'b');
    char name[260], params[260];
    EXPECT_EQ(SplitCommandLine(line.c_str(), name, sizeof name, params, sizeof params), 0);
    EXPECT_EQ(strlen(name), 259u);
    EXPECT_EQ(strlen(params), 259u);
}

TEST(CommandLine, FlagNeedsASeparatorAfterIt)
{
    EXPECT_FALSE(FlagSwitch("-Sx", "S"));
    EXPECT_TRUE(FlagSwitch("-S-Gc:\\l.log", "S"));
    EXPECT_TRUE(FlagSwitch("-S /Gc:\\l.log", "S"));
    EXPECT_TRUE(FlagSwitch("abc/s", "S"));
    EXPECT_FALSE(FlagSwitch("-G c:\\x", "S"));
    // The first form that occurs at all decides: "/s" is searched before "-S".
    EXPECT_FALSE(FlagSwitch("/sx -S", "S"));
}

TEST(CommandLine, ValueSwitches)
{
    EXPECT_EQ(Value("-S -F1answers.rsp", "F1"), "answers.rsp");
    EXPECT_EQ(Value("-F1\"c:\\my answers\\a.rsp\" -S", "F1"), "c:\\my answers\\a.rsp");
    EXPECT_EQ(Value("-F1 answers.rsp", "F1"), "");
    EXPECT_EQ(Value("-F1\"unterminated", "F1"), "unterminated");
    EXPECT_EQ(Value("-Istatus -S", "I"), "status");
    EXPECT_EQ(Value("-S", "U"), "<none>");
}

TEST(CommandLine, LogSwitchRunsToTheNextHyphenAndIsCleaned)
{
    EXPECT_EQ(LogValue("-G c:\\logs\\un inst.log"), "c:\\logs\\un inst.log");
    EXPECT_EQ(LogValue("-Gc:\\my-logs\\u.log"), "c:\\my");
    EXPECT_EQ(LogValue("-Gc:\\\\logs\\\\u.log -S"), "c:\\logs\\u.log");
    EXPECT_EQ(LogValue("-G\"c:\\my-logs\\u.log\" -S"), "c:\\my-logs\\u.log");
}

TEST(CommandLine, UnquotedLogSwitchAlsoEndsAtASlashSwitch)
{
    EXPECT_EQ(LogValue("-Gc:\\logs\\x.log /S"), "c:\\logs\\x.log");
    EXPECT_EQ(LogValue("/S /Gc:\\logs\\x.log /B -F1a.rsp"), "c:\\logs\\x.log");
    EXPECT_EQ(LogValue("-Gc:\\logs\\x.log -S /B"), "c:\\logs\\x.log");
    // A slash inside the path with no blank before it is part of the path.
    EXPECT_EQ(LogValue("-Gc:\\logs/x.log"), "c:\\logs/x.log");
    EXPECT_EQ(LogValue("-G c:\\un inst\\x.log /S"), "c:\\un inst\\x.log");
}

TEST(CommandLine, OverlongValueIsReportedNotSilentlyCut)
{
    std::string params = "-F1" + std::string(300, 'x');
    char out[260];
    int fits = 1;
    EXPECT_TRUE(SwitchValue(params.c_str(), "F1", out, sizeof out, &fits));
    EXPECT_EQ(fits, 0);
    std::string log = "-Gc:\\" + std::string(3000, 'y');
    EXPECT_TRUE(LogSwitchValue(log.c_str(), out, sizeof out, &fits));
    EXPECT_EQ(fits, 0);
}

TEST(CommandLine, MifPathRules)
{
    EXPECT_TRUE(MifPathSyntaxValid("C:\\WINDOWS\\status.mif"));
    EXPECT_FALSE(MifPathSyntaxValid("C:\\a;b.mif"));
    EXPECT_FALSE(MifPathSyntaxValid("C:status.mif"));
    EXPECT_FALSE(MifPathSyntaxValid(("C:\\" + std::string(146, 'a')).c_str()));
    EXPECT_TRUE(MifPathSyntaxValid(("C:\\" + std::string(145, 'a')).c_str()));
    const char drives[] = "C:\\\0Z:\\\0";
    EXPECT_TRUE(MifDriveListed("c:\\w\\s.mif", drives));
    EXPECT_FALSE(MifDriveListed("d:\\w\\s.mif", drives));
}

// Values ending in a character whose second byte is '\' keep it; only real
// doubled backslashes collapse.
TEST(CommandLine, DoubleByteValuesKeepTheirLastCharacter)
{
    CodePage932 cp;
    EXPECT_EQ("C:\\logs\\" SO, LogValue("-G\"C:\\logs\\" SO "\" -S"));
    EXPECT_EQ("C:\\" SO "\\" HYOU ".log", LogValue("-GC:\\\\" SO "\\\\" HYOU ".log -S"));
    EXPECT_EQ("C:\\" SO "\\x.log", LogValue("-GC:\\" SO "\\x.log /S"));
    EXPECT_EQ("C:\\rsp\\" HYOU, Value("-S -F1\"C:\\rsp\\" HYOU "\"", "F1"));
    EXPECT_EQ("C:\\" SO, Value("-UC:\\" SO " -S", "U"));
}
