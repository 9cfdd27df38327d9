// Writing the product's access entries into the access list of a registry key
// or a file: full control for Administrators, "vlm" and LocalSystem and, when
// the caller gives a mode, an entry for Everyone.
#include "security/security.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"

struct SecureTarget {
    SE_OBJECT_TYPE Type;
    DWORD Inheritance;           // registry keys pass the entries on; files do not
    const char *SetErrorLine;    // "***Error %d setting ... security on '%s'"
    const char *SetDoneLine;     // "Set ... security '%s'"
};

static const SecureTarget kKeyTarget = {SE_REGISTRY_KEY, SUB_CONTAINERS_AND_OBJECTS_INHERIT,
                                        "***Error %d setting key security on '%s'", "Set key security '%s'"};
static const SecureTarget kFileTarget = {SE_FILE_OBJECT, NO_INHERITANCE,
                                         "***Error %d setting file security on '%s'", "Set file security '%s'"};

// Names a trustee by label first (as the entry builder wants), then by its SID.
static void BuildEntry(EXPLICIT_ACCESS_A *entry, const char *label, PSID sid, DWORD permissions,
                       ACCESS_MODE mode, DWORD inheritance)
{
    BuildExplicitAccessWithNameA(entry, (LPSTR)label, permissions, mode, inheritance);
    entry->Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry->Trustee.TrusteeType = TRUSTEE_IS_UNKNOWN;
    entry->Trustee.ptstrName = (LPSTR)sid;
}

// path is what the log lines name; object is the name given to the security calls.
static int SecureObject(const SecureTarget &target, const char *path, const char *object, BOOL replace,
                        ACCESS_MODE everyoneMode, DWORD everyonePermissions)
{
    PSID system = CreateSystemSid();
    PSID world = CreateWorldSid();
    PSID admin = CreateAdminSid();
    PSID vlm = CreateVlmSid();
    if (!system || !world || !admin || !vlm) {
        LogLineF("***Create SID error, file: %s", path);
        return 0;
    }

    PACL current = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (!replace) {
        DWORD rc = GetNamedSecurityInfoA((LPSTR)object, target.Type, DACL_SECURITY_INFORMATION,
                                         NULL, NULL, &current, NULL, &descriptor);
        if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) {
            current = NULL;  // an object that is not found has an empty list
        } else if (rc != ERROR_SUCCESS) {
            LogLineF("***Error %d getting security info '%s'", (int)rc, object);
            return 0;
        }
    }

    EXPLICIT_ACCESS_A entries[4];
    ZeroMemory(entries, sizeof entries);
    BuildEntry(&entries[0], "Admin", admin, GENERIC_ALL, GRANT_ACCESS, target.Inheritance);
    BuildEntry(&entries[1], "VLM", vlm, GENERIC_ALL, GRANT_ACCESS, target.Inheritance);
    BuildEntry(&entries[2], "System", system, GENERIC_ALL, GRANT_ACCESS, target.Inheritance);
    ULONG count = 3;
    if (everyoneMode != NOT_USED_ACCESS)
        BuildEntry(&entries[count++], "World", world, everyonePermissions, everyoneMode, target.Inheritance);

    PACL merged = NULL;
    DWORD rc = SetEntriesInAclA(count, entries, current, &merged);
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Error %d merging ACLs on '%s'", (int)rc, object);
        if (descriptor) LocalFree(descriptor);
        return 0;
    }

    rc = MachineSetAccessList(object, target.Type, merged);
    if (rc == ERROR_ACCESS_DENIED) {
        TakeOwnership(object, target.Type);
        rc = MachineSetAccessList(object, target.Type, merged);
    }
    int result = 1;
    if (rc == MACHINE_HELD_BACK) {
    } else if (rc != ERROR_SUCCESS) {
        LogLineF(target.SetErrorLine, (int)rc, object);
        result = 0;
    } else {
        LogLineF(target.SetDoneLine, path);
    }
    if (merged) LocalFree(merged);
    if (descriptor) LocalFree(descriptor);
    return result;
}

int SecureRegistryKey(const char *keyPath, BOOL replace, ACCESS_MODE everyoneMode, DWORD everyonePermissions)
{
    char object[VL_TEXT_SIZE];
    if (!FormatText(object, sizeof object, "MACHINE\\%s", keyPath)) {
        // A cut name would be a different key: refuse it.
        LogLineF("***Error %d setting key security on '%s'", (int)ERROR_FILENAME_EXCED_RANGE, keyPath);
        return 0;
    }
    return SecureObject(kKeyTarget, keyPath, object, replace, everyoneMode, everyonePermissions);
}

int SecureFile(const char *path, BOOL replace, ACCESS_MODE everyoneMode, DWORD everyonePermissions)
{
    return SecureObject(kFileTarget, path, path, replace, everyoneMode, everyonePermissions);
}
