// Registry values, keys and trees against the prefix's real registry.
#include "testutil.h"
#include "core/regread.h"
#include "removal/registry.h"
#include <gtest/gtest.h>

static std::string ReadRaw(const std::string &key, const char *value, DWORD *type)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle)) return "<no key>";
    char data[600];
    DWORD size = sizeof data;
    LONG rc = RegQueryValueExA(handle, value, NULL, type, (BYTE *)data, &size);
    RegCloseKey(handle);
    return rc ? "<no value>" : std::string(data, size);
}

TEST(RegistryValues, SetAndDeleteWithEveryOutcome)
{
    std::string dir = MakeTempFolder("regval");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("values");
    CreateKey(key);
    DWORD type = 0;

    EXPECT_EQ(1, SetRegistryValue(NULL, key.c_str(), "Text", REG_SZ, "abc", -1));
    EXPECT_EQ(std::string("abc\0", 4), ReadRaw(key, "Text", &type));  // with its terminating zero
    EXPECT_EQ((DWORD)REG_SZ, type);
    DWORD number = 0x01020304;
    EXPECT_EQ(1, SetRegistryValue(HKEY_LOCAL_MACHINE, key.c_str(), "Number", REG_DWORD, &number, 77));
    EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), ReadRaw(key, "Number", &type));
    EXPECT_EQ(0, SetRegistryValue(NULL, key.c_str(), "Blob", REG_BINARY, "zz", -1));  // no size: refused
    EXPECT_EQ("<no value>", ReadRaw(key, "Blob", &type));
    EXPECT_EQ(0, SetRegistryValue(NULL, (key + "\\missing").c_str(), "Text", REG_SZ, "abc", -1));  // not created
    EXPECT_FALSE(KeyExists(key + "\\missing"));

    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), "Text", FALSE));
    EXPECT_EQ("<no value>", ReadRaw(key, "Text", &type));
    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), "Text", FALSE));
    EXPECT_EQ(1, DeleteRegistryValue(NULL, (key + "\\missing").c_str(), "Text", FALSE));
    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), "", TRUE));
    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), NULL, TRUE));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Error 2 opening key '" + key + "\\missing'"));
    EXPECT_EQ(1, CountOf(text, "Deleted value [HKLM\\" + key + "] 'Text'"));
    EXPECT_EQ(0, CountOf(text, "not found"));

    EXPECT_EQ(1, DeleteRegistryValue(NULL, key.c_str(), "Text", TRUE));
    EXPECT_EQ(1, DeleteRegistryValue(NULL, (key + "\\missing").c_str(), "Text", TRUE));
    text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Delete value not found [HKLM\\" + key + "] 'Text'"));
    EXPECT_EQ(1, CountOf(text, "Delete value key not found [HKLM\\" + key + "\\missing] 'Text'"));
    EXPECT_EQ(0, FailureLines(text));
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(RegistryKeys, DeleteKeyOutcomes)
{
    std::string dir = MakeTempFolder("regkey");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("keys");
    CreateKey(key + "\\leaf");
    CreateKey(key + "\\parent\\child");

    EXPECT_EQ(1, DeleteRegistryKey((key + "\\leaf").c_str()));
    EXPECT_FALSE(KeyExists(key + "\\leaf"));
    EXPECT_EQ(1, DeleteRegistryKey((key + "\\leaf").c_str()));           // already gone: logged as deleted
    EXPECT_EQ(1, DeleteRegistryKey((key + "\\nothere\\leaf").c_str()));  // parent missing: silent
    EXPECT_EQ(1, DeleteRegistryKey("NoBackslash"));
    // A key with subkeys is refused by the system.
    EXPECT_EQ(0, DeleteRegistryKey((key + "\\parent").c_str()));
    EXPECT_TRUE(KeyExists(key + "\\parent\\child"));
    std::string text = ReadText(log);
    EXPECT_EQ(2, CountOf(text, "Deleted key '" + key + "\\leaf'"));
    EXPECT_EQ(0, CountOf(text, "nothere"));
    EXPECT_EQ(1, CountOf(text, "***RegDeleteKey ")) << text;
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(RegistryTrees, SparedSubkeyAndItsAncestorsStay)
{
    std::string dir = MakeTempFolder("regtree");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("tree");
    std::string config = key + "\\Configuration";
    CreateKey(config + "\\A\\deep\\deeper");
    CreateKey(config + "\\B");
    CreateKey(config + "\\WebAdministration\\Settings");
    CreateKey(config + "\\A\\WebAdministration");  // spared only directly below the key
    CreateKey(config + "\\webadministration2");

    EXPECT_EQ(1, DeleteRegistryTree(config.c_str(), "WebAdministration", TRUE));
    EXPECT_TRUE(KeyExists(config + "\\WebAdministration\\Settings"));
    EXPECT_FALSE(KeyExists(config + "\\A"));
    EXPECT_FALSE(KeyExists(config + "\\B"));
    EXPECT_FALSE(KeyExists(config + "\\webadministration2"));
    HKEY handle;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, config.c_str(), 0, KEY_READ, &handle));
    DWORD subkeys = 0;
    RegQueryInfoKeyA(handle, NULL, NULL, NULL, &subkeys, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
    RegCloseKey(handle);
    EXPECT_EQ(1u, subkeys);
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Not deleting subkey 'WebAdministration'"));
    EXPECT_EQ(1, CountOf(text, "Not deleting key '" + config + "'; it has subkeys"));
    EXPECT_EQ(1, CountOf(text, "Deleted key '" + config + "\\A\\deep\\deeper'"));
    EXPECT_LT(Where(text, "Deleted key '" + config + "\\A\\deep\\deeper'"),
              Where(text, "Deleted key '" + config + "\\A\\deep'"));
    EXPECT_EQ(0, FailureLines(text));

    // Recursive without a spared name: the whole tree goes.
    EXPECT_EQ(1, DeleteRegistryTree(key.c_str(), "", TRUE));
    EXPECT_FALSE(KeyExists(key));
    // A missing tree is no failure.
    EXPECT_EQ(1, DeleteRegistryTree(key.c_str(), NULL, TRUE));
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

// Nested spared paths keep their keys and their ancestors; everything else
// goes, a path naming no key spares nothing, and a parent emptied goes too.
TEST(RegistryTrees, SparedPathsBelowTheKeyStay)
{
    std::string dir = MakeTempFolder("regspare");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("spare");
    std::string config = key + "\\Configuration";
    for (const char *sub : {"\\QueueManager\\QM1\\Log", "\\QueueManager\\QM2\\Log", "\\Services\\QM1\\Listener",
                            "\\Services\\QM2\\Listener", "\\Other\\QM2", "\\WebAdministration", "\\LogDefaults"})
        CreateKey(config + sub);
    const char *spared[] = {"WebAdministration", "queuemanager\\qm2", "Services\\QM2", "Services\\QM9", "QM2"};

    EXPECT_EQ(1, DeleteRegistryTreeSparing(config.c_str(), spared, 5));
    for (const char *kept : {"\\QueueManager\\QM2\\Log", "\\Services\\QM2\\Listener", "\\WebAdministration"})
        EXPECT_TRUE(KeyExists(config + kept)) << kept;
    for (const char *gone : {"\\QueueManager\\QM1", "\\Services\\QM1", "\\Other", "\\LogDefaults"})
        EXPECT_FALSE(KeyExists(config + gone)) << gone;
    std::string text = ReadText(log);
    EXPECT_EQ(2, CountOf(text, "Not deleting subkey 'QM2'")) << text;   // below QueueManager and Services
    EXPECT_EQ(1, CountOf(text, "Not deleting key '" + config + "\\QueueManager'; it has subkeys"));
    EXPECT_EQ(1, CountOf(text, "Not deleting key '" + config + "'; it has subkeys"));
    EXPECT_EQ(0, FailureLines(text));

    // Nothing spared is present any more: the tree goes whole.
    const char *missing[] = {"QueueManager\\QM7"};
    EXPECT_EQ(1, DeleteRegistryTreeSparing(key.c_str(), missing, 1));
    EXPECT_FALSE(KeyExists(key));
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(RegistryTrees, NotRecursiveKeepsAKeyWithSubkeysSilently)
{
    std::string dir = MakeTempFolder("regflat");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("flat");
    CreateKey(key + "\\Source\\Sub");
    CreateKey(key + "\\Lone");
    EXPECT_EQ(1, DeleteRegistryTree((key + "\\Source").c_str(), "", FALSE));
    EXPECT_TRUE(KeyExists(key + "\\Source\\Sub"));
    EXPECT_EQ(1, DeleteRegistryTree((key + "\\Lone").c_str(), "", FALSE));
    EXPECT_FALSE(KeyExists(key + "\\Lone"));
    std::string text = ReadText(log);
    EXPECT_EQ(0, CountOf(text, "Source"));
    EXPECT_EQ(1, CountOf(text, "Deleted key '" + key + "\\Lone'"));
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

static void CreateKeyBelow(const std::string &key, std::initializer_list<std::string> names)
{
    HKEY parent;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &parent));
    for (const std::string &name : names) {
        HKEY child;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(parent, name.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &child, NULL));
        RegCloseKey(parent);
        parent = child;
    }
    RegCloseKey(parent);
}

static bool KeyExistsBelow(const std::string &key, std::initializer_list<std::string> names)
{
    HKEY parent;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &parent)) return false;
    for (const std::string &name : names) {
        HKEY child;
        LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &child);
        RegCloseKey(parent);
        if (rc) return false;
        parent = child;
    }
    RegCloseKey(parent);
    return true;
}

TEST(RegistryTrees, NamesAtTheirMaximumLengthAndPathsBeyondTheBuffer)
{
    std::string dir = MakeTempFolder("reglong");
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("long");
    std::string name(255, 'k');
    // Created step by step: Wine's ANSI registry calls take at most 259 characters of path.
    CreateKey(key);
    CreateKeyBelow(key, {name, std::string(40, 'm')});
    CreateKeyBelow(key, {std::string(255, 'j')});
    EXPECT_EQ(1, DeleteRegistryTree(key.c_str(), name.c_str(), TRUE));
    EXPECT_TRUE(KeyExistsBelow(key, {name, std::string(40, 'm')}));
    EXPECT_FALSE(KeyExistsBelow(key, {std::string(255, 'j')}));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Not deleting subkey '" + name + "'"));
    EXPECT_EQ(1, CountOf(text, "Deleted key '" + key + "\\" + std::string(255, 'j') + "'"));
    // A key path longer than the buffers is refused, never cut into the name of
    // another key (here: the key itself, when cut at 516 bytes).
    std::string tooLong = key + "\\" + name + "\\" + std::string(40, 'm') + "\\" + std::string(255, 'x');
    ASSERT_GT(tooLong.size(), 516u);
    EXPECT_EQ(0, DeleteRegistryKey(tooLong.c_str()));
    EXPECT_EQ(1, DeleteRegistryTree(tooLong.c_str(), "", TRUE));
    EXPECT_EQ(0, DeleteRegistryValue(NULL, tooLong.c_str(), "Value", FALSE));
    EXPECT_TRUE(KeyExistsBelow(key, {name, std::string(40, 'm')}));
    text = ReadText(log);
    EXPECT_EQ(2, CountOf(text, "***RegOpenKeyEx error 206 '" + tooLong + "'")) << text;
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}
