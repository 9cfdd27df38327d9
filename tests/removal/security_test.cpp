// Access lists and ownership against the prefix's registry and files. Wine
// has no "vlm" group; the SecurityWithVlm tests run as a user named "vlm", which
// Wine's account lookup then resolves (to that user's SID).
#include "testutil.h"
#include "core/regread.h"
#include "security/security.h"
#include <aclapi.h>
#include <sddl.h>
#include <gtest/gtest.h>
#include <vector>

struct Entry {
    std::string Sid;
    DWORD Mask;
    BYTE Flags;
};

static std::vector<Entry> ReadDacl(const std::string &object, SE_OBJECT_TYPE type, bool *present = NULL)
{
    std::vector<Entry> entries;
    PACL dacl = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    DWORD rc = GetNamedSecurityInfoA((LPSTR)object.c_str(), type, DACL_SECURITY_INFORMATION, NULL, NULL, &dacl,
                                     NULL, &descriptor);
    EXPECT_EQ(0u, rc) << object;
    if (present) *present = dacl != NULL;
    for (DWORD i = 0; dacl && i < dacl->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace;
        if (!GetAce(dacl, i, (void **)&ace)) continue;
        char *text = NULL;
        ConvertSidToStringSidA((PSID)&ace->SidStart, &text);
        entries.push_back({text ? text : "?", ace->Mask, ace->Header.AceFlags});
        LocalFree(text);
    }
    if (descriptor) LocalFree(descriptor);
    return entries;
}

static std::string Describe(const std::vector<Entry> &entries)
{
    std::string text;
    for (const Entry &e : entries) {
        char line[200];
        snprintf(line, sizeof line, "%s mask %08lx flags %02x; ", e.Sid.c_str(), e.Mask, e.Flags);
        text += line;
    }
    return text;
}

static std::string SidText(PSID sid)
{
    char *text = NULL;
    ConvertSidToStringSidA(sid, &text);
    std::string result = text ? text : "";
    LocalFree(text);
    return result;
}

// Gives a test key back a null access list (everyone may do anything) so it can be removed.
static void OpenUp(const std::string &key)
{
    TakeOwnership(key.c_str(), SE_REGISTRY_KEY);
    SetNamedSecurityInfoA((LPSTR)("MACHINE\\" + key).c_str(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL,
                          NULL, NULL, NULL);
}

static int SetRegistryValueForTest(const std::string &key, const char *name, const char *text)
{
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &handle)) return 0;
    LONG rc = RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

static LONG RawOpen(const std::string &key, REGSAM access)
{
    HKEY handle;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, access, &handle);
    if (rc == ERROR_SUCCESS) RegCloseKey(handle);
    return rc;
}

TEST(SecurityNoVlm, SecuringFailsWithTheSpecifiedLinesAndChangesNothing)
{
    std::string dir = MakeTempFolder("secnovlm");
    std::string log = OpenTestLog(dir, false);
    std::string root = TestKeyPath("product");
    CreateKey(root + "\\Components");
    std::vector<Entry> before = ReadDacl("MACHINE\\" + root, SE_REGISTRY_KEY);

    EXPECT_EQ(0, SecureProductRegistry(root.c_str(), NULL));
    EXPECT_EQ(0, SecureRegistryKey((root + "\\Components").c_str(), FALSE, NOT_USED_ACCESS, 0));
    std::string file = dir + "\\product.dll";
    WriteTextFile(file);
    EXPECT_EQ(0, SecureFile(file.c_str(), TRUE, GRANT_ACCESS, GENERIC_READ | GENERIC_EXECUTE));

    std::string text = ReadText(log);
    size_t start = Where(text, "Securing Varolink registry; root key: '" + root + "'");
    size_t lookup = Where(text, "***Error 1332 looking up VLM account (1)");
    size_t sidError = Where(text, "***Create SID error, file: " + root + "\r\n");
    size_t end = Where(text, "***Error securing Varolink registry");
    ASSERT_NE(std::string::npos, start) << text;
    ASSERT_NE(std::string::npos, lookup) << text;
    ASSERT_NE(std::string::npos, sidError) << text;
    ASSERT_NE(std::string::npos, end) << text;
    EXPECT_LT(start, lookup);
    EXPECT_LT(lookup, sidError);
    EXPECT_LT(sidError, end);
    // The group is looked up again at every use.
    EXPECT_EQ(3, CountOf(text, "***Error 1332 looking up VLM account (1)"));
    EXPECT_EQ(1, CountOf(text, "***Create SID error, file: " + root + "\\Components"));
    EXPECT_EQ(1, CountOf(text, "***Create SID error, file: " + file));
    EXPECT_EQ(3, CountOf(text, "Not executing on a domain controller")) << text;
    EXPECT_EQ(0, CountOf(text, "Set key security"));
    EXPECT_EQ(Describe(before), Describe(ReadDacl("MACHINE\\" + root, SE_REGISTRY_KEY)));
    DeleteKeyTree(root);
    RemoveFolderTree(dir);
}

TEST(SecurityNoVlm, RefusingKeyTakesOwnershipButStaysClosed)
{
    std::string dir = MakeTempFolder("secrefuse");
    SetKeyRepair(OpenKeyWithRepair);   // as the run's start-up does
    std::string log = OpenTestLog(dir, false);
    std::string key = ProductTestKeyPath("refusing");
    CreateKey(key);
    RestrictKey(key);
    if (RawOpen(key, KEY_QUERY_VALUE) != ERROR_ACCESS_DENIED) {
        OpenUp(key);
        DeleteKeyTree(key);
        GTEST_SKIP() << "this Wine does not enforce a key's access list";
    }
    char *value = NULL;
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, key.c_str(), "Any", &value));
    std::string text = ReadText(log);
    size_t owner = Where(text, "Set ownership on 'MACHINE\\" + key + "'");
    size_t sidError = Where(text, "***Create SID error, file: " + key);
    ASSERT_NE(std::string::npos, owner) << text;
    ASSERT_NE(std::string::npos, sidError) << text;
    EXPECT_LT(owner, sidError);
    EXPECT_EQ(ERROR_ACCESS_DENIED, RawOpen(key, KEY_QUERY_VALUE));  // left as it was
    OpenUp(key);
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(SecurityNoVlm, RefusingKeyOutsideTheProductIsReadAsItIs)
{
    std::string dir = MakeTempFolder("secforeign");
    SetKeyRepair(OpenKeyWithRepair);   // as the run's start-up does
    std::string log = OpenTestLog(dir, false);
    std::string key = TestKeyPath("foreign");
    CreateKey(key);
    ASSERT_EQ(1, SetRegistryValueForTest(key, "Version", "6.0"));
    RestrictKey(key);
    if (RawOpen(key, KEY_QUERY_VALUE) != ERROR_ACCESS_DENIED) {
        OpenUp(key);
        DeleteKeyTree(key);
        GTEST_SKIP() << "this Wine does not enforce a key's access list";
    }
    char *value = NULL;
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, key.c_str(), "Version", &value));
    char text[516];
    DWORD type = 0, size = 0;
    EXPECT_EQ(-1, ReadRegString(key.c_str(), "Version", &type, text, &size));
    HKEY handle = NULL;
    EXPECT_EQ(ERROR_ACCESS_DENIED, OpenProductKey(HKEY_LOCAL_MACHINE, key.c_str(), KEY_QUERY_VALUE, &handle));
    // Nothing was attempted on it: no ownership, no access list.
    std::string written = ReadText(log);
    EXPECT_EQ(std::string::npos, Where(written, "Set ownership")) << written;
    EXPECT_EQ(std::string::npos, Where(written, key)) << written;
    OpenUp(key);
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(SecurityNoVlm, FileOwnershipAndDomainRole)
{
    std::string dir = MakeTempFolder("secown");
    std::string log = OpenTestLog(dir, false);
    std::string file = dir + "\\owned.txt";
    WriteTextFile(file);
    EXPECT_EQ(1, TakeOwnership(file.c_str(), SE_FILE_OBJECT));
    EXPECT_EQ(1, TakeOwnership((dir + "\\missing.txt").c_str(), SE_FILE_OBJECT));
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    ASSERT_EQ(0u, GetNamedSecurityInfoA((LPSTR)file.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                        NULL, NULL, NULL, &descriptor));
    // Wine accepts the new owner but keeps reporting the Unix file's owner.
    printf("file owner after TakeOwnership: %s\n", SidText(owner).c_str());
    fflush(stdout);
    LocalFree(descriptor);
    EXPECT_EQ(0, GetDomainControllerRole());
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Set ownership on '" + file + "'")) << text;
    EXPECT_EQ(0, CountOf(text, "missing.txt"));  // not found is silent
    EXPECT_EQ(1, CountOf(text, "Not executing on a domain controller"));
    EXPECT_EQ("S-1-5-32-544", SidText(CreateAdminSid()));
    EXPECT_EQ("S-1-5-18", SidText(CreateSystemSid()));
    EXPECT_EQ("S-1-1-0", SidText(CreateWorldSid()));
    EXPECT_EQ(CreateAdminSid(), CreateAdminSid());  // cached
    RemoveFolderTree(dir);
}

// The entries every secured key holds: full control for Administrators, vlm
// and LocalSystem, read for Everyone, all passed on to subkeys.
static void ExpectProductEntries(const std::vector<Entry> &entries, const std::string &vlm, BYTE inheritance)
{
    std::vector<Entry> own;
    for (const Entry &e : entries)
        if (!(e.Flags & INHERITED_ACE)) own.push_back(e);
    ASSERT_EQ(4u, own.size()) << Describe(entries);
    const char *sids[4] = {"S-1-5-32-544", vlm.c_str(), "S-1-5-18", "S-1-1-0"};
    for (int i = 0; i < 4; i++) {
        bool found = false;
        for (const Entry &e : own) {
            if (e.Sid != sids[i]) continue;
            found = true;
            EXPECT_EQ(inheritance, e.Flags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE)) << Describe(entries);
            if (i == 3) EXPECT_TRUE(e.Mask == GENERIC_READ || e.Mask == KEY_READ || e.Mask == FILE_GENERIC_READ ||
                                    e.Mask == (GENERIC_READ | GENERIC_EXECUTE))
                << Describe(entries);
            else EXPECT_TRUE(e.Mask == GENERIC_ALL || e.Mask == KEY_ALL_ACCESS || e.Mask == FILE_ALL_ACCESS)
                << Describe(entries);
        }
        EXPECT_TRUE(found) << sids[i] << " missing: " << Describe(entries);
    }
}

TEST(SecurityWithVlm, RefusingKeyIsRepairedAndOpenedOnTheSecondTry)
{
    std::string dir = MakeTempFolder("secrepair");
    SetKeyRepair(OpenKeyWithRepair);   // as the run's start-up does
    std::string log = OpenTestLog(dir, false);
    PSID vlm = CreateVlmSid();
    ASSERT_TRUE(vlm != NULL) << "run as a user named vlm (USER=vlm)";
    std::string key = ProductTestKeyPath("repair");
    CreateKey(key);
    ASSERT_EQ(1, SetRegistryValueForTest(key, "WorkPath", "C:\\data"));
    RestrictKey(key);
    ASSERT_EQ(ERROR_ACCESS_DENIED, RawOpen(key, KEY_ALL_ACCESS)) << "Wine enforces a key's access list";

    char *value = NULL;
    ASSERT_TRUE(ReadRegValue(HKEY_LOCAL_MACHINE, key.c_str(), "WorkPath", &value));
    EXPECT_STREQ("C:\\data", value);
    free(value);
    EXPECT_EQ(ERROR_SUCCESS, RawOpen(key, KEY_ALL_ACCESS));
    std::string text = ReadText(log);
    size_t owner = Where(text, "Set ownership on 'MACHINE\\" + key + "'");
    size_t secured = Where(text, "Set key security '" + key + "'");
    ASSERT_NE(std::string::npos, owner) << text;
    ASSERT_NE(std::string::npos, secured) << text;
    EXPECT_LT(owner, secured);
    EXPECT_EQ(0, FailureLines(text));

    // The other readers repair too.
    RestrictKey(key);
    DWORD type, size;
    char text516[516];
    EXPECT_EQ(0, ReadRegString(key.c_str(), "WorkPath", &type, text516, &size));
    EXPECT_STREQ("C:\\data", text516);
    DeleteKeyTree(key);
    RemoveFolderTree(dir);
}

TEST(SecurityWithVlm, ProductTreeHoldsExactlyTheProductEntries)
{
    std::string dir = MakeTempFolder("sectree");
    std::string log = OpenTestLog(dir, false);
    PSID vlm = CreateVlmSid();
    ASSERT_TRUE(vlm != NULL);
    std::string root = TestKeyPath("product");
    CreateKey(root + "\\Components");
    CreateKey(root + "\\Configuration\\QueueManager\\QM1");
    RestrictKey(root + "\\Configuration");

    EXPECT_EQ(1, SecureProductRegistry(root.c_str(), NULL));
    std::string text = ReadText(log);
    EXPECT_EQ(1, CountOf(text, "Varolink registry secured")) << text;
    EXPECT_EQ(0, FailureLines(text)) << text;
    for (const char *sub : {"", "\\Components", "\\Configuration", "\\Configuration\\QueueManager",
                            "\\Configuration\\QueueManager\\QM1"}) {
        std::string key = root + sub;
        // The refusing key is secured twice: repaired to be opened, then as part of the tree.
        EXPECT_EQ(std::string(sub) == "\\Configuration" ? 2 : 1, CountOf(text, "Set key security '" + key + "'\r\n"))
            << key;
        std::vector<Entry> entries = ReadDacl("MACHINE\\" + key, SE_REGISTRY_KEY);
        ExpectProductEntries(entries, SidText(vlm), CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE);
        printf("%s: %s\n", sub[0] ? sub : "(root)", Describe(entries).c_str());
    }
    fflush(stdout);
    EXPECT_EQ(ERROR_SUCCESS, RawOpen(root + "\\Configuration", KEY_ALL_ACCESS));
    DeleteKeyTree(root);
    RemoveFolderTree(dir);
}

TEST(SecurityWithVlm, SecuredFileIsWrittenWithoutInheritance)
{
    std::string dir = MakeTempFolder("secfile");
    std::string log = OpenTestLog(dir, false);
    PSID vlm = CreateVlmSid();
    ASSERT_TRUE(vlm != NULL);
    std::string file = dir + "\\product.dll";
    WriteTextFile(file);
    EXPECT_EQ(1, SecureFile(file.c_str(), TRUE, GRANT_ACCESS, GENERIC_READ | GENERIC_EXECUTE));
    EXPECT_EQ(1, CountOf(ReadText(log), "Set file security '" + file + "'"));
    // Wine keeps a file's list only as far as the Unix permission bits can hold
    // it (owner, LocalSystem, Everyone), so the four entries cannot all be seen
    // here; what is kept must be what was written: no inheritance, read and
    // execute for Everyone.
    std::vector<Entry> entries = ReadDacl(file, SE_FILE_OBJECT);
    printf("file: %s\n", Describe(entries).c_str());
    fflush(stdout);
    bool world = false;
    for (const Entry &e : entries) {
        EXPECT_EQ(0, e.Flags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE)) << Describe(entries);
        if (e.Sid == "S-1-1-0") {
            world = true;
            EXPECT_TRUE(e.Mask == (GENERIC_READ | GENERIC_EXECUTE) || e.Mask == (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE))
                << Describe(entries);
        }
    }
    EXPECT_TRUE(world) << Describe(entries);
    EXPECT_EQ(0, SecureFile((dir + "\\missing.dll").c_str(), TRUE, GRANT_ACCESS, GENERIC_READ));
    EXPECT_EQ(1, CountOf(ReadText(log), "***Error 2 setting file security on '" + dir + "\\missing.dll'"))
        << ReadText(log);
    RemoveFolderTree(dir);
}
