// System environment entries, CreationMask and ShortNames in the real registry.
#include "fixture.h"
#include "fixturelists.h"
#include "listsutil.h"
#include "runner.h"
#include "removal/environment.h"
#include "core/log.h"
#include <gtest/gtest.h>

namespace {

class Environment : public ::testing::Test {
protected:
    void SetUp() override
    {
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik");
        HKEY key;
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvik\\Varolink\\CurrentVersion", 0, NULL, 0,
                        KEY_ALL_ACCESS, NULL, &key, NULL);
        RegCloseKey(key);
        root = ListsTempFolder("env");
        log = OpenTestLog(root);
        for (const char *name : {"include", "lib", "classpath"}) saved.push_back(FixtureSystemEnv(name));
    }
    void TearDown() override
    {
        const char *names[] = {"include", "lib", "classpath"};
        for (int i = 0; i < 3; i++) {
            if (saved[i] == "<none>") FixtureDeleteSystemEnv(names[i]);
            else FixtureSetSystemEnv(names[i], saved[i]);
        }
        FixtureDeleteSystemEnv("VlTestPath");
        LogClose();
        DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Norvik");
        DeleteFolderTree(root);
    }
    std::string root, log;
    std::vector<std::string> saved;
};

}  // namespace

TEST_F(Environment, EntryEmptyEntriesAndTrailingSeparatorGo)
{
    FixtureSetSystemEnv("VlTestPath", "C:\\a;C:\\P\\bin;;C:\\b;");
    EXPECT_TRUE(RemoveEnvEntry("VlTestPath", "C:\\P\\BIN"));
    EXPECT_EQ("C:\\a;C:\\b", FixtureSystemEnv("VlTestPath"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"", "Removing 'C:\\P\\BIN' from system environment variable 'VlTestPath'",
                                        "Old 'VlTestPath' value is:", "C:\\a;C:\\P\\bin;;C:\\b;",
                                        "New 'VlTestPath' variable is:", "C:\\a;C:\\b"}))
        << ReadTextFile(log);
}

TEST_F(Environment, VariableWithoutMaskBitIsWrittenBackEmpty)
{
    FixtureSetSystemEnv("VlTestPath", "C:\\P\\bin");
    FixtureSetCreationMask(0xFFFFFFFF);  // no bit belongs to this name
    EXPECT_TRUE(RemoveEnvEntry("VlTestPath", "C:\\P\\bin"));
    EXPECT_EQ("", FixtureSystemEnv("VlTestPath"));
    EXPECT_TRUE(Contains(LogEntries(log), "New 'VlTestPath' variable is null"));
}

TEST_F(Environment, CreatedIncludeIsDeletedAndItsBitCleared)
{
    FixtureSetSystemEnv("include", "C:\\P\\tools\\c\\include");
    FixtureSetCreationMask(0x80 | 0x200);
    EXPECT_TRUE(RemoveEnvEntry("include", "C:\\P\\tools\\c\\include"));
    EXPECT_EQ("<none>", FixtureSystemEnv("include"));
    EXPECT_EQ(0x200u, FixtureCreationMask());
    EXPECT_TRUE(InOrder(LogEntries(log), {"New 'include' variable is null", "Deleting 'include' variable"}));

    // Without the bit the installer did not create it: it stays, empty.
    FixtureSetSystemEnv("lib", "C:\\P\\tools\\lib");
    EXPECT_TRUE(RemoveEnvEntry("lib", "C:\\P\\tools\\lib"));
    EXPECT_EQ("", FixtureSystemEnv("lib"));
    EXPECT_EQ(0x200u, FixtureCreationMask());
}

TEST_F(Environment, BitOfACreatedVariableAlreadyGoneIsCleared)
{
    // A removal stopped after deleting "lib" but before clearing its bit:
    // the next removal finds no variable and clears the bit, nothing else.
    FixtureDeleteSystemEnv("lib");
    FixtureSetCreationMask(0x100 | 0x200);
    EXPECT_TRUE(RemoveEnvEntry("lib", "C:\\P\\tools\\lib"));
    EXPECT_EQ(0x200u, FixtureCreationMask());
    EXPECT_EQ("<none>", FixtureSystemEnv("lib"));
    EXPECT_TRUE(Contains(LogEntries(log), "Can't get 'lib' environment variable"));
    // A variable without a bit of its own leaves the mask alone.
    FixtureDeleteSystemEnv("VlTestPath");
    EXPECT_TRUE(RemoveEnvEntry("VlTestPath", "C:\\x"));
    EXPECT_EQ(0x200u, FixtureCreationMask());
}

TEST_F(Environment, ClasspathEntryFoundThroughItsShortName)
{
    FixtureSetSystemEnv("classpath", ".;C:\\PROGRA~1\\VL\\java\\lib\\COM~1.JAR;C:\\mine.jar");
    FixtureShortName("C:\\Program Files\\VL\\java\\lib\\com.norvik.vl.jar", "C:\\PROGRA~1\\VL\\java\\lib\\COM~1.JAR");
    EXPECT_TRUE(RemoveEnvEntry("classpath", "C:\\Program Files\\VL\\java\\lib\\com.norvik.vl.jar"));
    EXPECT_EQ(".;C:\\mine.jar", FixtureSystemEnv("classpath"));
}

TEST_F(Environment, MissingVariableOrEntryIsNoFailure)
{
    FixtureDeleteSystemEnv("VlTestPath");
    EXPECT_TRUE(RemoveEnvEntry("VlTestPath", "C:\\x"));
    FixtureSetSystemEnv("VlTestPath", "C:\\a");
    EXPECT_TRUE(RemoveEnvEntry("VlTestPath", "C:\\x"));
    EXPECT_EQ("C:\\a", FixtureSystemEnv("VlTestPath"));
    EXPECT_TRUE(InOrder(LogEntries(log), {"Can't get 'VlTestPath' environment variable", "Can't find 'C:\\x' in 'VlTestPath'",
                                        "No change to 'VlTestPath' variable is required"}));
}

TEST_F(Environment, CreationMaskBits)
{
    EXPECT_FALSE(CreationMaskHas(0x100));
    EXPECT_TRUE(SetCreationMaskBits(0, TRUE));
    bool present = true;
    FixtureCreationMask(&present);
    EXPECT_FALSE(present);
    EXPECT_TRUE(SetCreationMaskBits(0x100, FALSE));  // absent: written as 0
    EXPECT_EQ(0u, FixtureCreationMask(&present));
    EXPECT_TRUE(present);
    EXPECT_TRUE(SetCreationMaskBits(0x300, TRUE));
    EXPECT_TRUE(SetCreationMaskBits(0x100, FALSE));
    EXPECT_EQ(0x200u, FixtureCreationMask());
    EXPECT_TRUE(CreationMaskHas(0x280));
    EXPECT_FALSE(CreationMaskHas(0x100));
}

TEST_F(Environment, OtherLanguageSampleFoldersLeaveClasspath)
{
    FixtureSetSystemEnv("classpath", "C:\\P\\tools\\javaclnt\\samples\\de_de;C:\\mine;"
                                     "C:\\P\\tools\\VLBIND\\samples\\JA_JP");
    EXPECT_TRUE(RemoveOtherLanguageClasspath("C:\\P"));
    EXPECT_EQ("C:\\mine", FixtureSystemEnv("classpath"));
    EXPECT_STREQ("en_us", CurrentLanguageFolder());  // the build's NLS library is English
    EXPECT_TRUE(BroadcastEnvironmentChange());
    EXPECT_TRUE(Contains(LogEntries(log), "Broadcasting environment changes"));
}
