// The status MIF through the stand-in library: which library the program
// finds is chosen with the DLL search path, what it writes is read back.
#include "qmdatautil.h"
#include "core/mif.h"
#include "core/log.h"
#include "core/nls.h"
#include <gtest/gtest.h>

namespace {

class Mif : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeUniqueTempFolder("mif");
        log = OpenTestLog(folder);
        NlsLoadLibrary(VL_BIN_DIR "\\_isuser.dll");
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", folder.c_str());
        SetEnvironmentVariableA("VL_ISMIF_FAIL", NULL);
    }
    void TearDown() override
    {
        SetDllDirectoryA(NULL);
        NlsFreeLibrary();
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", NULL);
        SetEnvironmentVariableA("VL_ISMIF_FAIL", NULL);
        LogClose();
        DeleteFolderTree(folder);
    }
    static void Library(const char *subfolder)
    {
        SetDllDirectoryA((std::string(VL_BIN_DIR "\\") + subfolder).c_str());
    }
    std::string folder, log;
};

// The text of the attribute named name in a MIF file ("" when absent).
std::string Attribute(const std::string &mif, const std::string &name)
{
    size_t at = mif.find("NAME = \"" + name + "\"");
    if (at == std::string::npos) return "<absent>";
    size_t value = mif.find("VALUE = \"", at);
    size_t end = mif.find_first_of("\"", value + 9);
    return mif.substr(value + 9, end - value - 9);
}

}  // namespace

TEST(MifLocale, TenLowerCaseLettersSelectTheirCodesAnythingElseIsEnglish)
{
    const char letters[] = "afgsijkbtz";
    const char *codes[] = {"ENU", "FRA", "DEU", "ESP", "ITA", "JPN", "KOR", "PTB", "CHT", "CHS"};
    for (int i = 0; i < 10; i++) EXPECT_STREQ(codes[i], MifLocaleCode(letters[i])) << letters[i];
    for (char other : {'G', 'F', 'x', '\0', ' ', '\x81'}) EXPECT_STREQ("ENU", MifLocaleCode(other)) << (int)other;
}

TEST_F(Mif, StandInWritesTheEightValues)
{
    Library("mif");
    EXPECT_TRUE(WriteStatusMif("Components removed.", "status", TRUE));
    std::string mif = ReadTextFile(folder + "\\status.mif");
    ASSERT_FALSE(mif.empty());
    EXPECT_EQ("Norvik", Attribute(mif, "Manufacturer"));
    EXPECT_EQ("Varolink", Attribute(mif, "Product"));
    EXPECT_EQ("CurrentVersion", Attribute(mif, "Version"));
    ASSERT_EQ('a', NlsLanguageLetter());          // the build's NLS library
    EXPECT_EQ("ENU", Attribute(mif, "Locale"));
    EXPECT_EQ("", Attribute(mif, "Serial Number"));
    EXPECT_EQ("Success", Attribute(mif, "Status"));
    EXPECT_EQ("Components removed.", Attribute(mif, "Description"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"", "Writing MIF file", "MIF file written"}));

    EXPECT_TRUE(WriteStatusMif("Some components could not be removed.", "failed.mif", FALSE));
    mif = ReadTextFile(folder + "\\failed.mif");
    EXPECT_EQ("Failed", Attribute(mif, "Status"));
    EXPECT_EQ("Some components could not be removed.", Attribute(mif, "Description"));
    EXPECT_FALSE(PathExists(folder + "\\failed.mif.mif"));
}

TEST_F(Mif, EachFailureIsLoggedAndReported)
{
    EXPECT_TRUE(WriteStatusMif("x", "", TRUE));
    EXPECT_TRUE(InOrder(LogEntries(log), {"", "Not writing MIF file"}));

    Library("nomif");   // no such library anywhere on the search path
    EXPECT_FALSE(WriteStatusMif("x", "status", TRUE));
    EXPECT_TRUE(Contains(LogEntries(log), "***Error 126 loading ismif32.dll")) << ReadTextFile(log);

    Library("mifnoentry");
    EXPECT_FALSE(WriteStatusMif("x", "status", TRUE));
    EXPECT_TRUE(Contains(LogEntries(log), "***Can't find proc InstallStatusMIF()"));

    Library("mif");
    SetEnvironmentVariableA("VL_ISMIF_FAIL", "1");
    EXPECT_FALSE(WriteStatusMif("x", "status", TRUE));
    EXPECT_TRUE(Contains(LogEntries(log), "***Error writing MIF file"));
    EXPECT_FALSE(PathExists(folder + "\\status.mif"));
}
