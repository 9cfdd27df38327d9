// The rules of the deletion guard: which folders and files may be touched,
// and how a folder is read the way Windows resolves it.
#include "core/pathrules.h"
#include "core/text.h"
#include "tests/host/shared/codepage932.h"
#include <gtest/gtest.h>
#include <string>

static PathVerdict Folder(const std::string &path, std::string *canonical = nullptr)
{
    char out[PATH_RULE_SIZE];
    PathVerdict verdict = CheckFolderPath(path.c_str(), out, sizeof out);
    if (canonical) *canonical = out;
    return verdict;
}

TEST(PathRules, RootsAndEmptyFoldersAreRefused)
{
    EXPECT_EQ(PATH_EMPTY, Folder(""));
    EXPECT_EQ(PATH_EMPTY, CheckFolderPath(nullptr, nullptr, 0));
    EXPECT_EQ(PATH_NOT_FULL, Folder("\\"));
    EXPECT_EQ(PATH_DRIVE_ROOT, Folder("C:"));
    EXPECT_EQ(PATH_DRIVE_ROOT, Folder("C:\\"));
    EXPECT_EQ(PATH_DRIVE_ROOT, Folder("c:/"));
    EXPECT_EQ(PATH_DRIVE_ROOT, Folder("C:\\\\\\"));
}

// The product's folders are local: every UNC name is refused, whether it
// names a share's root, a folder on it, or a local folder by another name.
TEST(PathRules, NetworkPathsAreRefused)
{
    for (const char *path : {"\\\\server\\share", "\\\\server\\share\\", "\\\\server", "\\\\server\\", "\\\\",
                             "//server/share/", "\\\\server\\share\\dir\\\\sub", "\\\\localhost\\c$\\windows",
                             "\\\\127.0.0.1\\c$\\windows", "/\\localhost\\c$\\windows", "\\\\?\\UNC\\localhost\\c$\\windows",
                             "\\\\?\\unc\\server\\share", "//?/UNC/server/share/x", "\\\\?\\UNC", "\\\\server\\share\\..",
                             "\\\\ser:ver\\share\\x"})
        EXPECT_EQ(PATH_NETWORK, Folder(path)) << path;
    EXPECT_EQ(PATH_NETWORK, CheckFilePath("\\\\server\\share\\x", nullptr, 0));
    EXPECT_EQ(PATH_NETWORK, CheckFilePath("\\\\localhost\\c$\\windows\\vlcanary*.txt", nullptr, 0));
    // Not to be read as network forms.
    EXPECT_EQ(PATH_DEVICE, Folder("\\\\?\\UNCX\\x"));
    EXPECT_EQ(PATH_DEVICE, Folder("\\\\?\\C:\\x"));
    EXPECT_STREQ("network path", PathVerdictText(PATH_NETWORK));
}

// A path belongs to the longest product folder holding it.
TEST(PathRules, NearestHolderIsTheLongestFolderHoldingThePath)
{
    const char *const folders[] = {"C:\\P", NULL, "C:\\P\\Data", "", "C:\\P\\Data\\log", "C:\\Pr"};
    EXPECT_EQ(2, NearestHolder("C:\\P\\Data\\qmgrs\\QM1", folders, 6));
    EXPECT_EQ(4, NearestHolder("c:\\p\\data\\LOG", folders, 6));
    EXPECT_EQ(0, NearestHolder("C:\\P", folders, 6));
    EXPECT_EQ(0, NearestHolder("C:\\P\\Dat", folders, 6));
    EXPECT_EQ(-1, NearestHolder("C:\\Program Files", folders, 6));
    EXPECT_EQ(-1, NearestHolder("C:\\P", folders, 0));
}

TEST(PathRules, RelativeDeviceAndClimbingFormsAreRefused)
{
    EXPECT_EQ(PATH_NOT_FULL, Folder("\\errors"));
    EXPECT_EQ(PATH_NOT_FULL, Folder("errors"));
    EXPECT_EQ(PATH_NOT_FULL, Folder("C:errors"));
    EXPECT_EQ(PATH_NOT_FULL, Folder("1:\\x"));
    EXPECT_EQ(PATH_DEVICE, Folder("\\\\?\\C:\\x"));
    EXPECT_EQ(PATH_DEVICE, Folder("\\\\.\\C:"));
    EXPECT_EQ(PATH_DEVICE, Folder("\\??\\C:\\x"));
    EXPECT_EQ(PATH_DEVICE, Folder("//?/C:/x"));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\P\\.."));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\P\\..\\..\\Windows"));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\P\\."));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\P\\. .\\x"));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\P\\..."));
    EXPECT_EQ(PATH_CLIMBS, Folder("C:\\ "));
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\P:stream"));
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\P\\*"));
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\P\\a?b"));
}

TEST(PathRules, FoldersAreReadAsWindowsResolvesThem)
{
    std::string canonical;
    EXPECT_EQ(PATH_SAFE, Folder("c:/Program Files.//Varolink. \\", &canonical));
    EXPECT_EQ("C:\\Program Files\\Varolink", canonical);
    EXPECT_EQ(PATH_SAFE, Folder("C:\\WINDOWS.", &canonical));
    EXPECT_EQ("C:\\WINDOWS", canonical);
    EXPECT_EQ(PATH_SAFE, Folder("C:\\a..b", &canonical));
    EXPECT_EQ("C:\\a..b", canonical);

    // 259 bytes fit a path buffer; 260 do not.
    std::string fits = "C:\\" + std::string(256, 'x');
    ASSERT_EQ(259u, fits.size());
    EXPECT_EQ(PATH_SAFE, Folder(fits, &canonical));
    EXPECT_EQ(fits, canonical);
    EXPECT_EQ(PATH_TOO_LONG, Folder(fits + "y"));
    EXPECT_EQ(PATH_TOO_LONG, Folder(std::string(5000, 'a')));
    // A small canonical buffer is not overrun.
    char small[8];
    EXPECT_EQ(PATH_TOO_LONG, CheckFolderPath("C:\\longer\\than\\eight", small, sizeof small));
}

TEST(PathRules, FilesNeedAFolderThatIsNotARoot)
{
    char folder[PATH_RULE_SIZE];
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\Windows\\win.ini", folder, sizeof folder));
    EXPECT_STREQ("C:\\Windows", folder);
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\P\\*.log", folder, sizeof folder));
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\P\\name. ", nullptr, 0));
    EXPECT_EQ(PATH_EMPTY, CheckFilePath("", nullptr, 0));
    EXPECT_EQ(PATH_NOT_FULL, CheckFilePath("x.txt", nullptr, 0));
    EXPECT_EQ(PATH_EMPTY, CheckFilePath("\\x.txt", nullptr, 0));
    EXPECT_EQ(PATH_EMPTY, CheckFilePath("\\", nullptr, 0));
    EXPECT_EQ(PATH_NOT_FULL, CheckFilePath("\\errors\\a.log", nullptr, 0));
    EXPECT_EQ(PATH_DRIVE_ROOT, CheckFilePath("C:\\x", nullptr, 0));
    EXPECT_EQ(PATH_DRIVE_ROOT, CheckFilePath("C:\\*", nullptr, 0));
    EXPECT_EQ(PATH_DRIVE_ROOT, CheckFilePath("C:\\", nullptr, 0));
    EXPECT_EQ(PATH_DEVICE, CheckFilePath("\\\\?\\C:\\x", nullptr, 0));
    EXPECT_EQ(PATH_CLIMBS, CheckFilePath("C:\\P\\..", nullptr, 0));
    EXPECT_EQ(PATH_CLIMBS, CheckFilePath("C:\\P\\..\\..\\windows\\win.ini", nullptr, 0));
    EXPECT_EQ(PATH_BAD_NAME, CheckFilePath("C:\\P\\", nullptr, 0));
    EXPECT_EQ(PATH_BAD_NAME, CheckFilePath("C:\\P\\a.txt:stream", nullptr, 0));
    std::string fits = "C:\\P\\" + std::string(254, 'f');
    ASSERT_EQ(259u, fits.size());
    EXPECT_EQ(PATH_SAFE, CheckFilePath(fits.c_str(), nullptr, 0));
    EXPECT_EQ(PATH_TOO_LONG, CheckFilePath((fits + "g").c_str(), nullptr, 0));
}

TEST(PathRules, HoldingAndContainment)
{
    EXPECT_TRUE(FolderHolds("C:\\Windows", "c:\\windows"));
    EXPECT_TRUE(FolderHolds("C:\\ProgramData", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"));
    EXPECT_FALSE(FolderHolds("C:\\Win", "C:\\Windows"));
    EXPECT_FALSE(FolderHolds("C:\\Windows\\Temp", "C:\\Windows"));
    EXPECT_FALSE(FolderHolds("", "C:\\Windows"));

    // Without short names the spelling answers as FolderHolds does.
    const char *const kFolders[] = {"C:\\Windows", "c:\\windows\\system32", "C:\\Win", "C:\\Windows\\Temp",
                                    "D:\\Windows", "C:\\ProgramData", "\\\\server\\share\\x", "C:\\Windows\\System"};
    for (const char *a : kFolders)
        for (const char *b : kFolders)
            EXPECT_EQ(FolderHolds(a, b), FolderSpellsHolder(a, b, nullptr)) << a << " / " << b;
    EXPECT_FALSE(FolderSpellsHolder("", "C:\\Windows", nullptr));

    EXPECT_TRUE(RelativePathIsContained("\\bin\\a.dll"));
    EXPECT_FALSE(RelativePathIsContained("\\..\\..\\windows\\win.ini"));
    EXPECT_FALSE(RelativePathIsContained("\\\\?\\C:\\x"));
    EXPECT_FALSE(RelativePathIsContained("\\\\server\\share\\x"));
    EXPECT_FALSE(RelativePathIsContained("\\C:\\x"));
    EXPECT_STREQ("drive root", PathVerdictText(PATH_DRIVE_ROOT));
}

// A folder spelt with short names, long names or a mix of both holds the
// protected folder exactly when each component names the protected folder's
// own at that place.
TEST(PathRules, ShortNamesOfAProtectedFolderAreRecognised)
{
    const char *programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    const char *programsShort = "C:\\PROGRA~2\\MICROS~1\\Windows\\STARTM~1\\Programs";
    EXPECT_TRUE(FolderSpellsHolder("C:\\PROGRA~2", programs, programsShort));
    EXPECT_TRUE(FolderSpellsHolder("c:\\progra~2\\microsoft\\WINDOWS\\startm~1", programs, programsShort));
    EXPECT_TRUE(FolderSpellsHolder("C:\\ProgramData\\MICROS~1\\Windows\\Start Menu\\Programs", programs, programsShort));
    EXPECT_FALSE(FolderSpellsHolder("C:\\PROGRA~1", programs, programsShort));      // another folder's short name
    EXPECT_FALSE(FolderSpellsHolder("C:\\PROGRA~2\\MICROS~2", programs, programsShort));
    EXPECT_FALSE(FolderSpellsHolder("C:\\PROGRA~2\\Microsoft\\Windows\\Start Menu\\Programs\\Norvik Varolink",
                                    programs, programsShort));                     // below it: deletable
    EXPECT_FALSE(FolderSpellsHolder("C:\\Microsoft", programs, programsShort));     // a name at another place
    // A short spelling with fewer components is used as far as it goes.
    EXPECT_TRUE(FolderSpellsHolder("C:\\PROGRA~2\\MICROS~1", programs, "C:\\PROGRA~2\\MICROS~1"));
}

// Under a double-byte code page the second byte of a character may be '\',
// '|' or a letter: the rules step by character, so such a byte neither splits
// a component, nor makes a name invalid, nor is folded.
TEST(PathRules, DoubleByteCharactersAreNeverSplitOrFolded)
{
    CodePage932 cp;
    std::string canonical;
    EXPECT_EQ(PATH_SAFE, Folder("C:\\tools\\c\\include\\" SO, &canonical));
    EXPECT_EQ("C:\\tools\\c\\include\\" SO, canonical);
    EXPECT_EQ(PATH_SAFE, Folder("c:\\" SO "\\\\" HYOU "\\", &canonical));   // only real separators are dropped
    EXPECT_EQ("C:\\" SO "\\" HYOU, canonical);
    EXPECT_EQ(PATH_SAFE, Folder("C:\\\x83\x7C", &canonical));                  // second byte '|'
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\" SO "|"));
    char folder[PATH_RULE_SIZE];
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\tools\\c\\include\\" SO, folder, sizeof folder));
    EXPECT_STREQ("C:\\tools\\c\\include", folder);
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\tools\\" KA_A "\\" KA_A ".h", folder, sizeof folder));
    EXPECT_STREQ("C:\\tools\\" KA_A, folder);
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\x\\" SO ".", folder, sizeof folder));  // "ソ." is no dots-only name
    EXPECT_EQ(PATH_CLIMBS, CheckFilePath("C:\\" SO "\\..", folder, sizeof folder));
    // A lead byte with no second byte is no name: joined to a separator it
    // would read as another ("\x83" "\\b" is "ソb").
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\x\\\x83"));
    EXPECT_EQ(PATH_BAD_NAME, Folder("C:\\x\\\x83/b"));
    EXPECT_EQ(PATH_BAD_NAME, CheckFilePath("C:\\x\\\x83", folder, sizeof folder));

    // Only single-byte A-Z folds: "ア" (83 41) and "ヂ" (83 61) differ.
    EXPECT_TRUE(FolderHolds("C:\\TOOLS\\" KA_A, "c:\\tools\\" KA_A "\\x"));
    EXPECT_FALSE(FolderHolds("C:\\tools\\" KA_A, "C:\\tools\\\x83\x61"));
    EXPECT_FALSE(FolderHolds("C:\\x\\\x83", "C:\\x\\" SO));   // the cut lead byte is not ソ's first half
    EXPECT_TRUE(FolderHolds("C:\\" SO, "C:\\" SO "\\x"));
    EXPECT_FALSE(FolderHolds("C:\\" SO, "C:\\" SO "x"));
    EXPECT_TRUE(FolderSpellsHolder("C:\\" SO "\\" HYOU, "c:\\" SO "\\" HYOU "\\x", nullptr));
    EXPECT_FALSE(FolderSpellsHolder("C:\\\x83\x61", "C:\\" KA_A, nullptr));
    const char *const folders[] = {"C:\\" SO, "C:\\" SO "\\" HYOU};
    EXPECT_EQ(1, NearestHolder("C:\\" SO "\\" HYOU "\\a", folders, 2));

    EXPECT_TRUE(RelativePathIsContained("\\" SO ".\\x"));
    EXPECT_FALSE(RelativePathIsContained("\\" SO "\\..\\..\\x"));
}

// The same bytes read in a single-byte code page: 0x5C is a separator there.
TEST(PathRules, SingleByteCodePageReadsEveryBackslashAsSeparator)
{
    char folder[PATH_RULE_SIZE];
    EXPECT_EQ(PATH_SAFE, CheckFilePath("C:\\include\\\x83\x5C" "a", folder, sizeof folder));
    EXPECT_STREQ("C:\\include\\\x83", folder);
    EXPECT_FALSE(RelativePathIsContained("\\\x83\x5C.\\x"));
}

TEST(PathRules, TextCaseRulesFoldOnlySingleByteLetters)
{
    CodePage932 cp;
    char text[] = "C:\\" KA_A "B\\" SO "Z";
    LowerText(text);
    EXPECT_STREQ("c:\\" KA_A "b\\" SO "z", text);
    EXPECT_TRUE(TextEqualNoCase("C:\\" KA_A "B", "c:\\" KA_A "b"));
    EXPECT_FALSE(TextEqualNoCase(KA_A, "\x83\x61"));
    EXPECT_TRUE(TextStartsNoCase("C:\\" SO "\\X", "c:\\" SO));
    EXPECT_FALSE(TextStartsNoCase("C:\\\x83", "C:\\" SO));
}

TEST(PathRules, TextCutToFitLosesNoHalfCharacter)
{
    CodePage932 cp;
    char text[8];
    CopyText(text, sizeof text, "C:\\abc" SO "x");   // 7 bytes fit: "C:\abc" and ソ's lead byte
    MbDropCutLead(text);
    EXPECT_STREQ("C:\\abc", text);
    CopyText(text, sizeof text, "C:\\ab" SO "x");
    MbDropCutLead(text);
    EXPECT_STREQ("C:\\ab" SO, text);
}
