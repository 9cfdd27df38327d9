// Installation discovery against the real registry, in process.
#include "app/discovery.h"
#include "core/log.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "fixture.h"
#include "runner.h"
#include <gtest/gtest.h>

namespace {

struct DiscoveryTest : ::testing::Test {
    FixtureDescription d;
    void SetUp() override
    {
        d.Root = "C:\\vldisc";
        d.CopyNlsLibrary = false;
        RunStateReset();
    }
    void TearDown() override
    {
        LogClose();
        FixtureRemove(d);
    }
    std::vector<std::string> Discover()
    {
        EXPECT_TRUE(FixtureInstall(d));
        std::string log = d.Root + "\\disc.log";
        LogOpen(0, 1, log.c_str());
        DiscoverInstallation();
        return LogEntries(log);
    }
};

TEST_F(DiscoveryTest, Release51WithIncompleteExactCase)
{
    d.Components = {{"Server", "incomplete"}, {"Development Toolkit", "Incomplete"},
                    {"Additional Languages\\ja_jp", ""}};
    d.LogDefaultPath = "D:\\qmlogs";
    std::vector<std::string> log = Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_51);
    EXPECT_TRUE(gComponents[COMP_SERVER].Installed);
    EXPECT_FALSE(gComponents[COMP_SERVER].Incomplete);
    EXPECT_TRUE(gComponents[COMP_TOOLKIT].Incomplete);
    EXPECT_TRUE(gComponents[COMP_LANG_JA_JP].Installed);
    EXPECT_FALSE(gComponents[COMP_WEB_ADMIN].Installed);
    EXPECT_TRUE(InOrder(log, {"Installed Varolink version is 5.1",
                              "Program files directory is '" + FixtureProgramFolder(d) + "'",
                              "Data files directory is '" + FixtureWorkFolder(d) + "'",
                              "QM log files directory is 'D:\\qmlogs'"}));
}

TEST_F(DiscoveryTest, Release50LocalisedNamesAndMixedValues)
{
    d.Release = "5.0";
    d.Components = {{"Serveur", ""}, {"Client Java", ""}};
    Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_50);
    EXPECT_STREQ(gComponents[COMP_SERVER].RecordedName, "Serveur");
    EXPECT_TRUE(gComponents[COMP_JAVA_CLIENT].Installed);
    EXPECT_STREQ(gRun.ProgramFolderName, "Norvik Varolink");

    // A 5.0 name next to 5.1 names: release 5.1, and the recorded name is kept.
    d.Release = "5.1";
    d.Components = {{"Serveur", ""}, {"Internet Gateway", ""}};
    RunStateReset();
    LogClose();
    Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_51);
    EXPECT_STREQ(gComponents[COMP_SERVER].RecordedName, "Serveur");
    EXPECT_TRUE(gComponents[COMP_INTERNET_GATEWAY].Installed);
}

TEST_F(DiscoveryTest, OnlyServerVersionFiveIsRelease50WithoutComponents)
{
    d.Release = "5.0";
    Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_50);
    for (const Component &c : gComponents) EXPECT_FALSE(c.Installed);
}

TEST_F(DiscoveryTest, Release20)
{
    d.Release = "2.0";
    d.Components = {{"BaseComponent", "0"}, {"ToolkitComponent", "1"}, {"PublicationsComponent", "0"}};
    std::vector<std::string> log = Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_20);
    EXPECT_TRUE(gComponents[COMP_TOOLKIT].Installed);
    EXPECT_FALSE(gComponents[COMP_HTML_LIBRARY].Installed);
    EXPECT_STREQ(gRun.ProgramFolderName, "Norvik Varolink");
    EXPECT_TRUE(Contains(log, "Installed Varolink version is 2.0"));
}

TEST_F(DiscoveryTest, NothingRecognisable)
{
    d.Release = "none";
    std::vector<std::string> log = Discover();
    EXPECT_EQ(gRun.InstalledVersion, VERSION_NONE);
    EXPECT_TRUE(Contains(log, "Varolink is not installed"));
}

TEST_F(DiscoveryTest, LogDefaultPathFromConfigRegIsWrittenBack)
{
    d.Components = {{"Server", ""}};
    ASSERT_TRUE(FixtureInstall(d));
    WriteTextFile(FixtureWorkFolder(d) + "\\config\\Config.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Varolink\\CurrentVersion\\Configuration\\LogDefaults]\r\n"
                  "\"LogDefaultPath\"=\"C:\\\\VL\\\\Logs\"\r\n");
    WriteTextFile(FixtureWorkFolder(d) + "\\VLS.INI", "LogDefaults:\r\n   LogDefaultPath=D:\\other\r\n");
    std::string log = d.Root + "\\disc.log";
    LogOpen(0, 1, log.c_str());
    DiscoverInstallation();
    EXPECT_STREQ(gRun.LogDefaultPath, "c:\\vl\\logs");
    char stored[516];
    ASSERT_TRUE(ReadRegText(VL_PRODUCT_KEY, "LogDefaultPath", stored));
    EXPECT_STREQ(stored, "c:\\vl\\logs");
    EXPECT_TRUE(InOrder(LogEntries(log), {"Scanning '" + FixtureWorkFolder(d) + "\\config\\Config.reg'",
                                          "Log path is 'c:\\vl\\logs'", "Installed Varolink version is 5.1"}));

    // Without Config.reg, VLS.INI is read.
    DeleteFileA((FixtureWorkFolder(d) + "\\config\\Config.reg").c_str());
    HKEY key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, "LogDefaultPath");
    RegCloseKey(key);
    RunStateReset();
    DiscoverInstallation();
    EXPECT_STREQ(gRun.LogDefaultPath, "d:\\other");
}

TEST_F(DiscoveryTest, OverlongRegistryPathsAreRefused)
{
    d.Components = {{"Server", ""}};
    ASSERT_TRUE(FixtureInstall(d));
    HKEY key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, 0, KEY_SET_VALUE, &key);
    std::string longPath = "C:\\" + std::string(400, 'w');
    RegSetValueExA(key, "WorkPath", 0, REG_SZ, (const BYTE *)longPath.c_str(), (DWORD)longPath.size() + 1);
    RegCloseKey(key);
    std::string log = d.Root + "\\disc.log";
    LogOpen(0, 1, log.c_str());
    DiscoverInstallation();
    EXPECT_STREQ(gRun.ProductWorkPath, "");
}

}  // namespace
