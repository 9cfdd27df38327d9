// The grammar of VLS.INI, QM.INI and Config.reg, read through fmemopen so the
// readers see exactly what a file would give them.
#include "qmconfig/configtext.h"
#include "qmconfig/qmtext.h"
#include "tests/host/shared/codepage932.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <vector>

namespace {

struct Recorded {
    std::vector<std::string> log;
    std::vector<std::string> added;   // "name|prefix|dir|log|given|default prefix|log default|overwrite"
    std::vector<std::string> marked;
    int markResult = 1;
};

void RecordLog(void *context, const char *text) { ((Recorded *)context)->log.push_back(text); }

int RecordAdd(void *context, const QmFields *f, const QmScanDefaults *d, int given, int tcp, int overwrite)
{
    ((Recorded *)context)->added.push_back(std::string(f->Name) + "|" + f->Prefix + "|" + f->Directory + "|" +
                                           f->LogPath + "|" + (given ? "given" : "none") + "|" +
                                           d->DefaultPrefix + "|" + d->LogDefaultPath + "|" +
                                           (tcp ? "tcp" : "-") + (overwrite ? "O" : "-"));
    return 1;
}

int RecordMark(void *context, const char *key)
{
    Recorded *r = (Recorded *)context;
    r->marked.push_back(key);
    return r->markResult;
}

FILE *TextFile(const std::string &text)
{
    static std::string keep[16];
    static int next;
    std::string &slot = keep[next++ % 16];
    slot = text;
    return fmemopen((void *)slot.data(), slot.size(), "r");
}

int ReadVls(const std::string &text, Recorded &r, QmScanDefaults &d)
{
    QmScanCalls calls = {&r, RecordLog, RecordAdd, RecordMark};
    FILE *f = TextFile(text);
    int result = ReadVlsIniText(f, &d, &calls);
    fclose(f);
    return result;
}

int ReadReg(const std::string &text, Recorded &r, QmScanDefaults &d)
{
    QmScanCalls calls = {&r, RecordLog, RecordAdd, RecordMark};
    FILE *f = TextFile(text);
    int result = ReadConfigRegText(f, &d, &calls);
    fclose(f);
    return result;
}

std::string Header(const char *line)
{
    const char *word;
    size_t length;
    if (!ParseStanzaHeader(line, &word, &length)) return "<none>";
    return std::string(word, length);
}

}  // namespace

TEST(QmText, StanzaHeaderNeedsNothingButBlanksAfterTheWord)
{
    EXPECT_EQ("QueueManager", Header("QueueManager:"));
    EXPECT_EQ("QueueManager", Header("  QueueManager:  "));
    EXPECT_EQ("<none>", Header("QueueManager :"));
    EXPECT_EQ("<none>", Header("Name:Value"));
    EXPECT_EQ("<none>", Header("QueueManager"));
    EXPECT_EQ("<none>", Header("Log: x=y"));
    EXPECT_EQ("", Header(":"));
}

TEST(QmText, IniSettingKeyAndCleanedValue)
{
    char key[QM_CHUNK_SIZE], value[QM_TEXT_SIZE];
    int fits;
    ASSERT_TRUE(SplitIniSetting("Name=\"QM 1\"", key, sizeof key, value, sizeof value, &fits));
    EXPECT_STREQ("Name", key);
    EXPECT_STREQ("QM 1", value);
    ASSERT_TRUE(SplitIniSetting("   Directory=  C:\\\\Data\\\\qm  ", key, sizeof key, value, sizeof value, &fits));
    EXPECT_STREQ("Directory", key);
    EXPECT_STREQ("C:\\Data\\qm", value);
    // A key that runs to the end of the line has an empty value (and no read past it).
    ASSERT_TRUE(SplitIniSetting("==Prefix", key, sizeof key, value, sizeof value, &fits));
    EXPECT_STREQ("Prefix", key);
    EXPECT_STREQ("", value);
    EXPECT_FALSE(SplitIniSetting("= =", key, sizeof key, value, sizeof value, &fits));
    // A value longer than a path buffer is refused rather than cut.
    std::string longLine = "Prefix=" + std::string(300, 'x');
    ASSERT_TRUE(SplitIniSetting(longLine.c_str(), key, sizeof key, value, sizeof value, &fits));
    EXPECT_FALSE(fits);
    EXPECT_STREQ("", value);
}

TEST(QmText, VlsIniStanzasDefaultsAndQueueManagers)
{
    Recorded r;
    QmScanDefaults d = {"", ""};
    int result = ReadVls("; comment\r\n"
                         "AllQueueManagers:\n"
                         "   DefaultPrefix=C:\\\\VL\n"
                         "LogDefaults:\n"
                         "   LogDefaultPath=\n"
                         "QueueManager:\n"
                         "   Name=\"QM 1\"\n"
                         "   Directory=  QM1  \n"
                         "   Prefix=D:\\Other\n"
                         "   Prefix=\n"
                         "QueueManager :\n"          // not a header: still in QM 1
                         "   Directory=QM1b\n"
                         "Name:Value\n"
                         "  QueueManager:  \n"
                         "#Name=hidden\n"
                         "   Name=QM2\n"
                         "Other:\n"
                         "   Name=ignored\n"
                         "QueueManager:\n"
                         "   Name=QM3\n",
                         r, d);
    EXPECT_EQ(1, result);
    ASSERT_EQ(3u, r.added.size());
    EXPECT_EQ("QM 1||QM1b||none|C:\\VL||--", r.added[0]);
    EXPECT_EQ("QM2||||none|C:\\VL||--", r.added[1]);
    EXPECT_EQ("QM3||||none|C:\\VL||--", r.added[2]);
    ASSERT_EQ(2u, r.log.size());
    EXPECT_EQ("DefaultPrefix is 'C:\\VL'", r.log[0]);
    EXPECT_EQ("No LogDefaultPath", r.log[1]);
}

TEST(QmText, EmptyLaterDefaultKeepsTheEarlierOne)
{
    Recorded r;
    QmScanDefaults d = {"C:\\Reg", "C:\\RegLog"};
    ReadVls("AllQueueManagers:\nDefaultPrefix=\nLogDefaults:\nLogDefaultPath=E:\\\\logs\n", r, d);
    EXPECT_STREQ("C:\\Reg", d.DefaultPrefix);
    EXPECT_STREQ("E:\\logs", d.LogDefaultPath);
    EXPECT_EQ("No DefaultPrefix", r.log[0]);
    EXPECT_EQ("LogDefaultPath is 'E:\\logs'", r.log[1]);
}

TEST(QmText, ConfigRegRecordsCompleteWhenAnotherKeyBegins)
{
    Recorded r;
    QmScanDefaults d = {"", ""};
    const char *base = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\";
    std::string text = std::string("REGEDIT4\n\n") +
        base + "AllQueueManagers]\n\"DefaultPrefix\"=\"C:\\\\Program Files\\\\VL\"\n\n" +
        base + "LogDefaults]\n\"LogDefaultPath\"=\"\"\n" +
        base + "ClientExitPath]\n\"ExitsDefaultPath\"=\"C:\\\\exits\"\n" +
        base + "QueueManager\\QM1]\n\"Name\"=\"QM.1\"\n\"Directory\"=\"QM1\"\n\"LogPath\"=\"D:\\\\old\"\n" +
        base + "QueueManager\\QM1\\Log]\n\"LogPath\"=\"D:\\\\log\\\\QM1\\\\\"\n" +
        base + "QueueManager\\QM1\\ExitPath]\n\"LogPath\"=\"ignored\"\n" +
        base + "QueueManager\\QM2]\n\"Name\"=\"QM2\"\n\"Directory\"=\"QM2\"\n" +
        base + "Services\\QM1]\n" +
        base + "Services\\QM1\\Listener]\n\"Protocol\"=dword:00000002\n" +
        base + "Services\\QM2\\Listener]\n\"Protocol\"=dword:00000001\n" +
        base + "Services\\QM9\\Listener]\n\"Protocol\"=\"\"\n" +
        base + "QueueManager\\QM3]\n\"Name\"=\"QM3\"\n" +
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\Broken\n";
    int result = ReadReg(text, r, d);
    EXPECT_EQ(1, result);
    ASSERT_EQ(3u, r.added.size());
    EXPECT_EQ("QM.1||QM1|D:\\log\\QM1\\|given|C:\\Program Files\\VL||--", r.added[0]);
    EXPECT_EQ("QM2||QM2||given|C:\\Program Files\\VL||--", r.added[1]);
    EXPECT_EQ("QM3||||given|C:\\Program Files\\VL||--", r.added[2]);
    ASSERT_EQ(1u, r.marked.size());
    EXPECT_EQ("QM1", r.marked[0]);
    std::vector<std::string> expectedLog = {"DefaultPrefix is 'C:\\Program Files\\VL'", "No LogDefaultPath",
                                            "ExitsDefaultPath is 'C:\\exits'", "No Protocol"};
    EXPECT_EQ(expectedLog, r.log);
}

TEST(QmText, ConfigRegMarkFailureFailsTheRead)
{
    Recorded r;
    r.markResult = 0;
    QmScanDefaults d = {"", ""};
    // A listener section alone does not name its queue manager: nothing is marked.
    EXPECT_EQ(1, ReadReg("[HKEY_LOCAL_MACHINE\\x\\Configuration\\Services\\QMX\\Listener]\n"
                         "\"protocol\"=dword:2\n", r, d));
    EXPECT_TRUE(r.marked.empty());
    int result = ReadReg("[HKEY_LOCAL_MACHINE\\x\\Configuration\\Services\\QMX]\n"
                         "[HKEY_LOCAL_MACHINE\\x\\Configuration\\Services\\QMX\\Listener]\n"
                         "\"protocol\"=dword:2\n", r, d);
    EXPECT_EQ(0, result);
    ASSERT_EQ(1u, r.marked.size());
    EXPECT_EQ("QMX", r.marked[0]);
    EXPECT_TRUE(r.added.empty());
}

TEST(QmText, ConfigRegListenerOfTheOnlyQueueManagerFindsItsEntry)
{
    Recorded r;
    QmScanDefaults d = {"", ""};
    std::string base = "[HKEY_LOCAL_MACHINE\\S\\Configuration\\";
    EXPECT_EQ(1, ReadReg(base + "QueueManager\\QM1]\n\"Name\"=\"QM1\"\n" + base + "Services\\QM1]\n" + base +
                             "Services\\QM1\\Listener]\n\"Protocol\"=dword:00000002\n",
                         r, d));
    // The record is handed over before its listener flag, and only once.
    ASSERT_EQ(1u, r.added.size());
    EXPECT_EQ("QM1||||given|||--", r.added[0]);
    ASSERT_EQ(1u, r.marked.size());
    EXPECT_EQ("QM1", r.marked[0]);
}

// The hex form of a text as the export writes it, over several lines.
std::string HexLines(const char *tag, const std::string &bytes)
{
    std::string out = std::string("=") + tag + ":";
    for (size_t i = 0; i < bytes.size(); i++) {
        char item[8];
        snprintf(item, sizeof item, "%02x%s", (unsigned char)bytes[i], i + 1 < bytes.size() ? "," : "");
        out += item;
        if (i % 20 == 19 && i + 1 < bytes.size()) out += "\\\r\n  ";
    }
    return out + "\r\n";
}

TEST(QmText, ConfigRegReadsEveryFormTheExportWrites)
{
    Recorded r;
    QmScanDefaults d = {"", ""};
    std::string base = "[HKEY_LOCAL_MACHINE\\S\\Configuration\\";
    std::string prefix = "C:\\Program Files\\Varolink with a long enough name";
    std::string text = base + "LogDefaults]\r\n\"LogDefaultPath\"" + HexLines("hex(2)", prefix + "\\log" + '\0') +
                       base + "QueueManager\\QM1]\r\n\"Name\"" + HexLines("hex(1)", std::string("QM.1\0", 5)) +
                       "\"Prefix\"" + HexLines("hex(2)", prefix + '\0') +
                       "\"Directory\"" + HexLines("hex(7)", std::string("QM1\0other\0\0", 11)) +
                       "\"Blob\"" + HexLines("hex", std::string(300, '\1')) +
                       // Regedit's escapes: an apostrophe, a share's two backslashes.
                       "\"LogPath\"=\"\\\\\\\\server\\\\logs\\\\Bob\\'s\"\r\n" +
                       base + "QueueManager\\QM2]\r\n\"Name\"=\"QM2\"\r\n\"Directory\"=hex:51,4d,32\r\n" +
                       base + "Services\\QM1]\r\n" + base + "Services\\QM1\\Listener]\r\n" +
                       "\"Protocol\"=hex(4):02,00,\\\r\n  00,00\r\n" + base + "Services\\QM2]\r\n" + base +
                       "Services\\QM2\\Listener]\r\n\"Protocol\"=hex(4):02,00\r\n";
    EXPECT_EQ(1, ReadReg(text, r, d));
    EXPECT_EQ(prefix + "\\log", d.LogDefaultPath);
    ASSERT_EQ(2u, r.added.size());
    EXPECT_EQ("QM.1|" + prefix + "|QM1|\\\\server\\logs\\Bob's|given||" + prefix + "\\log|--", r.added[0]);
    // Fewer than four bytes: no listener word, as in the registry scan.
    EXPECT_EQ("QM2||QM2||given||" + prefix + "\\log|--", r.added[1]);
    EXPECT_EQ(std::vector<std::string>{"QM1"}, r.marked);
}

TEST(QmText, ConfigRegHexValuesThatEndEarlyOrDoNotFitAreRefused)
{
    Recorded r;
    QmScanDefaults d = {"", ""};
    std::string base = "[HKEY_LOCAL_MACHINE\\S\\Configuration\\";
    // A continuation that meets the next key: the value ends there and the
    // key is read as usual; a value longer than a path; an item that is no byte.
    std::string text = base + "QueueManager\\QM1]\r\n\"Name\"=hex(1):51,4d,31,00,\\\r\n\r\n; note\r\n" +
                       base + "QueueManager\\QM2]\r\n\"Name\"=\"QM2\"\r\n\"Prefix\"" +
                       HexLines("hex(1)", std::string(300, 'p') + '\0') + "\"Directory\"=hex(1):51,4d,1ff\r\n";
    EXPECT_EQ(1, ReadReg(text, r, d));
    ASSERT_EQ(2u, r.added.size());
    EXPECT_EQ("QM1||||given|||--", r.added[0]);
    EXPECT_EQ("QM2||||given|||--", r.added[1]);
    EXPECT_EQ((std::vector<std::string>{"***Value of '\"Prefix\"' too long; ignored",
                                        "***Value of '\"Directory\"' not valid; ignored"}),
              r.log);
}

TEST(QmText, LogDefaultPathInStringAndHexForms)
{
    char out[QM_TEXT_SIZE];
    FILE *f = TextFile("REGEDIT4\r\n\"LogDefaultPath\"=hex(2):43,3a,5c,\\\r\n  56,4c,00\r\n");
    EXPECT_EQ(1, ReadLogDefaultPathText(f, out, sizeof out));
    fclose(f);
    EXPECT_STREQ("c:\\vl", out);
    // Too long for a path: passed over for the next one.
    f = TextFile("\"LogDefaultPath\"" + HexLines("hex(1)", std::string(300, 'x') + '\0') +
                 "LogDefaultPath=D:\\\\Logs\n");
    EXPECT_EQ(1, ReadLogDefaultPathText(f, out, sizeof out));
    fclose(f);
    EXPECT_STREQ("d:\\logs", out);
    f = TextFile("[x]\n\"Other\"=\"y\"\n");
    EXPECT_EQ(0, ReadLogDefaultPathText(f, out, sizeof out));
    fclose(f);
}

TEST(QmText, QmIniLogPathFromTheLogStanzaOnly)
{
    char out[QM_TEXT_SIZE];
    FILE *f = TextFile("Service:\n LogPath=C:\\wrong\nLog:\n LogPrimaryFiles=3\n LogPath=\n"
                       " LogPath=D:\\\\VL\\\\log\\\\QM1\\\\\n LogPath=later\n");
    EXPECT_EQ(1, ReadQmIniLogPath(f, out, sizeof out));
    fclose(f);
    EXPECT_STREQ("D:\\VL\\log\\QM1", out);
    f = TextFile("Log :\n LogPath=C:\\x\n");
    EXPECT_EQ(0, ReadQmIniLogPath(f, out, sizeof out));
    fclose(f);
    EXPECT_STREQ("", out);
}

TEST(QmConfigText, CleaningAndDwordRules)
{
    char text[64] = "   ";
    CleanConfigValue(text);
    EXPECT_STREQ("", text);
    strcpy(text, " \"C:\\\\\\\\a\\\\b\" ");
    CleanConfigValue(text);
    EXPECT_STREQ("C:\\a\\b", text);
    strcpy(text, "\"");
    CleanConfigValue(text);
    EXPECT_STREQ("", text);
    strcpy(text, "C:\\a\\");
    StripTrailingBackslash(text);
    EXPECT_STREQ("C:\\a", text);
    unsigned long value = 7;
    EXPECT_TRUE(ParseRegDword("dword:0000001f", &value));
    EXPECT_EQ(31ul, value);
    EXPECT_FALSE(ParseRegDword("00000002", &value));
    EXPECT_EQ(0ul, value);
    char line[] = "\"LogDefaultPath\"=\"C:\\\\Program Files\\\\VL\\\\Log\"";
    char out[QM_TEXT_SIZE];
    EXPECT_TRUE(MatchLogDefaultPathLine(line, out, sizeof out));
    EXPECT_STREQ("c:\\program files\\vl\\log", out);
}

// Values whose characters have a backslash as their second byte keep it:
// cleaning, trimming, decoding and splitting all step by character.
TEST(QmConfigText, DoubleByteValuesKeepTheirSecondBytes)
{
    CodePage932 cp;
    char text[64] = " \"C:\\\\" SO "\\\\" HYOU "\" ";
    CleanConfigValue(text);
    EXPECT_STREQ("C:\\" SO "\\" HYOU, text);
    strcpy(text, "C:\\" SO "\\x");   // a character ending in 5C, then a separator
    CleanConfigValue(text);
    EXPECT_STREQ("C:\\" SO "\\x", text);
    strcpy(text, "C:\\" SO);
    StripTrailingBackslash(text);
    EXPECT_STREQ("C:\\" SO, text);
    strcpy(text, "C:\\" HYOU "\\");
    StripTrailingBackslash(text);
    EXPECT_STREQ("C:\\" HYOU, text);
    char out[QM_TEXT_SIZE];
    EXPECT_TRUE(DecodeRegString("\"C:\\\\" SO "\"", out, sizeof out));   // 5C before the closing quote
    EXPECT_STREQ("C:\\" SO, out);
    EXPECT_TRUE(DecodeRegString("\"" HYOU "\\\\" SO "\\'s\"", out, sizeof out));
    EXPECT_STREQ(HYOU "\\" SO "'s", out);
    char parent[QM_TEXT_SIZE], last[QM_TEXT_SIZE];
    SplitConfigPath("C:\\data\\" SO, parent, last);
    EXPECT_STREQ("C:\\data", parent);
    EXPECT_STREQ(SO, last);
    SplitConfigPath("C:\\" HYOU "\\qmgrs\\", parent, last);
    EXPECT_STREQ("C:\\" HYOU, parent);
    EXPECT_STREQ("qmgrs", last);
}

// The log default path and the Config.reg section headers are looked for by
// character: a token whose first byte is the second byte of a double-byte
// character (83 6C, 83 5B) is not there.
TEST(QmConfigText, DoubleByteLinesHideNoTokensInTheirSecondBytes)
{
    CodePage932 cp;
    char line[] = "\x83logdefaultpath=C:\\wrong";
    char out[QM_TEXT_SIZE];
    EXPECT_FALSE(MatchLogDefaultPathLine(line, out, sizeof out));
    char value[] = "LogDefaultPath=C:\\" SO "\\" KA_A;
    EXPECT_TRUE(MatchLogDefaultPathLine(value, out, sizeof out));
    EXPECT_STREQ("c:\\" SO "\\" KA_A, out);   // lower case, second bytes kept
    FILE *f = TextFile("\"\x83logdefaultpath\"=\"C:\\\\wrong\"\r\n\"LogDefaultPath\"=\"C:\\\\" SO "\\\\" KA_A "\"\r\n");
    EXPECT_EQ(1, ReadLogDefaultPathText(f, out, sizeof out));
    fclose(f);
    EXPECT_STREQ("c:\\" SO "\\" KA_A, out);

    char path[QM_TEXT_SIZE];
    const char *section = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\QueueManager\\";
    EXPECT_TRUE(ParseRegSectionPath((std::string(section) + KA_A SO "]").c_str(), path, sizeof path));
    EXPECT_STREQ("QueueManager\\" KA_A SO, path);
    EXPECT_FALSE(ParseRegSectionPath(("\x83" + std::string(section) + "QM1]").c_str(), path, sizeof path));
    // A ']' that is a second byte (83 5D) does not end the path.
    EXPECT_TRUE(ParseRegSectionPath((std::string(section) + "\x83]x]").c_str(), path, sizeof path));
    EXPECT_STREQ("QueueManager\\\x83]x", path);
}
