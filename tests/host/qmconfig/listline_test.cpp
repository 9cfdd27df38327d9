// The component and service-level list lines, the containment check and the
// environment value editor.
#include "removal/envtext.h"
#include "removal/listline.h"
#include "tests/host/shared/codepage932.h"
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {
std::string Listed(const char *text)
{
    char line[LIST_LINE_SIZE];
    strcpy(line, text);
    const char *path = ListLinePath(line);
    return path ? path : "<none>";
}

int Csd(const char *text, std::string &out)
{
    char line[LIST_LINE_SIZE], path[LIST_LINE_SIZE];
    strcpy(line, text);
    int kind = ParseServiceLevelLine(line, "C:\\P", path, sizeof path);
    out = path;
    return kind;
}

std::string Expand(const char *path, const char *folder)
{
    char out[LIST_LINE_SIZE];
    if (!ExpandLanguagePath(path, folder, out, sizeof out)) return "<too long>";
    return out;
}
}  // namespace

TEST(ListLine, PathStartsAtTheFirstBackslash)
{
    EXPECT_EQ("\\bin\\a.dll", Listed("xyz\\bin\\a.dll\r\n"));
    EXPECT_EQ("\\a.dll", Listed("\\a.dll\rjunk\\x"));
    EXPECT_EQ("<none>", Listed(";\\bin\\a.dll"));
    EXPECT_EQ("<none>", Listed("#\\bin\\a.dll"));
    EXPECT_EQ("<none>", Listed("nobackslash.dll"));
    EXPECT_EQ("\\b", Listed(" ;x\\b"));  // only a first ';' or '#' makes a comment
}

TEST(ListLine, ContainmentRefusesEveryWayOut)
{
    EXPECT_TRUE(RelativePathIsContained("\\bin\\a.dll"));
    EXPECT_TRUE(RelativePathIsContained("\\bin\\\\a..b.dll"));
    EXPECT_TRUE(RelativePathIsContained("\\bin\\*.tmp"));
    EXPECT_FALSE(RelativePathIsContained("\\..\\..\\Windows\\win.ini"));
    EXPECT_FALSE(RelativePathIsContained("\\bin\\..."));
    EXPECT_FALSE(RelativePathIsContained("\\bin\\. .\\x"));
    EXPECT_FALSE(RelativePathIsContained("\\C:\\Windows\\win.ini"));
    EXPECT_FALSE(RelativePathIsContained("\\bin/../../x"));
    EXPECT_FALSE(RelativePathIsContained("\\a.dll:stream"));
}

TEST(ListLine, ServiceLevelLines)
{
    std::string path;
    EXPECT_EQ(CSD_LINE_DELETE, Csd("added,file,C:\\src\\x.dll,%filepath%\\bin", path));
    EXPECT_EQ("C:\\P\\bin\\x.dll", path);
    EXPECT_EQ(CSD_LINE_DELETE, Csd("ADDED,File,C:\\src\\y.dll,%WorkPath%\r\n", path));
    EXPECT_EQ("C:\\P\\y.dll", path);
    EXPECT_EQ(CSD_LINE_UNINST, Csd("added,file,C:\\src\\u.dll,%filepath%\\uninst", path));
    EXPECT_EQ("C:\\P\\uninst\\u.dll", path);
    EXPECT_EQ(CSD_LINE_IGNORED, Csd("replaced,file,C:\\src\\x.dll,%filepath%\\bin", path));
    EXPECT_EQ(CSD_LINE_IGNORED, Csd("added,file,C:\\src\\x.dll,C:\\bin", path));
    EXPECT_EQ(CSD_LINE_IGNORED, Csd("added,file,x.dll,%filepath%\\bin", path));
    EXPECT_EQ(CSD_LINE_IGNORED, Csd(";added,file,C:\\src\\x.dll,%filepath%\\bin", path));
    EXPECT_EQ(CSD_LINE_IGNORED, Csd("added,file,C:\\src\\x.dll", path));
    EXPECT_EQ(CSD_LINE_UNSAFE, Csd("added,file,C:\\src\\x.dll,%filepath%\\..\\..", path));
    EXPECT_EQ(CSD_LINE_UNSAFE, Csd("added,file,C:\\src\\..,%filepath%\\bin", path));
    EXPECT_EQ(CSD_LINE_UNSAFE, Csd("added,file,C:\\src\\x.dll,%filepath%bin", path));
}

TEST(ListLine, LanguageTokens)
{
    EXPECT_TRUE(PathHasLanguageTokens("\\bin\\msg-lang1-.cat"));
    EXPECT_FALSE(PathHasLanguageTokens("\\bin\\msg-lang2-.cat"));
    EXPECT_EQ("\\bin\\msgde_de.cat", Expand("\\bin\\msg-lang1-.cat", "de_de"));
    EXPECT_EQ("\\doc\\de_de\\de.txt", Expand("\\doc\\-lang1-\\-lang5-.txt", "de_de"));
    EXPECT_EQ("\\doc\\de_de.txt", Expand("\\doc\\-lang5-.txt", "de_de"));
    EXPECT_EQ("\\ja_jp\\ja_jp\\-lang1-.x", Expand("\\-lang1-\\-lang1-\\-lang1-.x", "ja_jp"));
    char small[12];
    EXPECT_FALSE(ExpandLanguagePath("\\abc\\-lang1-", "zh_tw", small, sizeof small));
}

TEST(EnvText, EntryRemovedWithEmptyEntriesAndTrailingSeparator)
{
    const char *old = "C:\\a;C:\\P\\bin;;C:\\b;";
    char out[64];
    int found;
    ASSERT_TRUE(RemoveEnvListEntry(old, "C:\\P\\BIN", out, strlen(old) + 2, &found));
    EXPECT_TRUE(found);
    EXPECT_STREQ("C:\\a;C:\\b", out);
    ASSERT_TRUE(RemoveEnvListEntry("x;C:\\P\\bin;x", "c:\\p\\bin", out, sizeof out, &found));
    EXPECT_STREQ("x;x", out);
    ASSERT_TRUE(RemoveEnvListEntry("C:\\P\\bin", "C:\\P\\bin", out, sizeof out, &found));
    EXPECT_STREQ("", out);
    ASSERT_TRUE(RemoveEnvListEntry("C:\\P\\binx;y", "C:\\P\\bin", out, sizeof out, &found));
    EXPECT_FALSE(found);
    EXPECT_STREQ("C:\\P\\binx;y", out);
}

TEST(ListLine, DoubleByteNamesInListsAndServiceLevelLines)
{
    CodePage932 cp;
    EXPECT_EQ("\\c\\include\\" SO, Listed(SO "x\\c\\include\\" SO "\r\n"));
    EXPECT_EQ("\\" KA_A "\\" KA_A ".h", Listed("tools\\" KA_A "\\" KA_A ".h"));
    EXPECT_TRUE(RelativePathIsContained("\\c\\include\\" SO));
    std::string path;
    EXPECT_EQ(CSD_LINE_DELETE, Csd("added,file,C:\\src\\" SO ",%filepath%\\" HYOU, path));
    EXPECT_EQ("C:\\P\\" HYOU "\\" SO, path);
    // An environment entry is matched without folding second bytes: ア
    // (83 41) is not ヂ (83 61).
    char out[64];
    int found;
    ASSERT_TRUE(RemoveEnvListEntry("C:\\\x83\x61;C:\\" KA_A "\\BIN", "c:\\" KA_A "\\bin", out, sizeof out, &found));
    EXPECT_TRUE(found);
    EXPECT_STREQ("C:\\\x83\x61", out);
}

// Language tokens beside double-byte names: found and replaced by
// character, the names' second bytes (5C, 41) kept as they are.
TEST(ListLine, LanguageTokensBesideDoubleByteNames)
{
    CodePage932 cp;
    EXPECT_TRUE(PathHasLanguageTokens("\\" SO "-lang1-\\" KA_A ".cat"));
    EXPECT_EQ("\\" SO "de_de\\" KA_A "de.txt", Expand("\\" SO "-lang1-\\" KA_A "-lang5-.txt", "de_de"));
    EXPECT_EQ("\\doc\\" HYOU "\\ja_jp" SO, Expand("\\doc\\" HYOU "\\-lang5-" SO, "ja_jp"));
}
