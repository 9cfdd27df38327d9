// Taking ownership of a registry key or file for the Administrators group, so
// that its access list can then be rewritten.
#include "security/security.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include <ctype.h>
#include <string.h>

static BOOL sPrivilegeAcquired;
static char sCachedDrive[3];        // first two characters of the last path tested
static BOOL sVolumeHasAcls = TRUE;  // whether that volume keeps persistent access lists

// Whether the volume of path keeps access lists; asked once per drive.
static BOOL FileSystemSupportsSecurity(const char *path)
{
    if (strlen(path) < 3) return sVolumeHasAcls;
    if (tolower((unsigned char)path[0]) == tolower((unsigned char)sCachedDrive[0])) return sVolumeHasAcls;
    sCachedDrive[0] = path[0];
    sCachedDrive[1] = path[1];
    sCachedDrive[2] = 0;
    char root[4] = {path[0], path[1], path[2], 0};
    DWORD flags = 0;
    if (!GetVolumeInformationA(root, NULL, 0, NULL, NULL, &flags, NULL, 0))
        LogLineF("GetVolumeInformation() error %d for drive %s", (int)GetLastError(), root);
    else
        sVolumeHasAcls = (flags & FILE_PERSISTENT_ACLS) != 0;
    return sVolumeHasAcls;
}

static void AcquireTakeOwnershipPrivilege()
{
    if (sPrivilegeAcquired) return;
    TOKEN_PRIVILEGES privileges;
    if (!LookupPrivilegeValueA(NULL, SE_TAKE_OWNERSHIP_NAME, &privileges.Privileges[0].Luid)) {
        LogLineF("LookupPrivilegeValue error %d", (int)GetLastError());
        return;
    }
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        LogLineF("OpenProcessToken error %d", (int)GetLastError());
        return;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // AdjustTokenPrivileges succeeds without the privilege; ERROR_NOT_ALL_ASSIGNED says so.
    BOOL ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
    DWORD error = GetLastError();
    CloseHandle(token);
    if (!ok || error != ERROR_SUCCESS) {
        LogLineF("AdjustTokenPrivileges error %d", (int)(ok ? error : GetLastError()));
        return;
    }
    sPrivilegeAcquired = TRUE;
    LogLine("SE_TAKE_OWNERSHIP_NAME privilege acquired");
}

int TakeOwnership(const char *name, SE_OBJECT_TYPE type)
{
    char object[VL_TEXT_SIZE];
    if (type == SE_REGISTRY_KEY && !TextStartsNoCase(name, "MACHINE")) {
        if (!FormatText(object, sizeof object, "MACHINE\\%s", name)) {
            LogLineF("Error %d setting ownership on '%s'", (int)ERROR_FILENAME_EXCED_RANGE, name);
            return 1;
        }
    } else if (!CopyText(object, sizeof object, name)) {
        LogLineF("Error %d setting ownership on '%s'", (int)ERROR_FILENAME_EXCED_RANGE, name);
        return 1;
    }
    if (type == SE_FILE_OBJECT && !FileSystemSupportsSecurity(object)) return 1;

    PSID admin = CreateAdminSid();
    if (!admin) return 1;
    AcquireTakeOwnershipPrivilege();

    DWORD rc = MachineSetOwner(object, type, admin);
    if (rc == MACHINE_HELD_BACK) {
    } else if (rc == ERROR_SUCCESS)
        LogLineF("Set ownership on '%s'", object);
    else if (rc != ERROR_FILE_NOT_FOUND && rc != ERROR_PATH_NOT_FOUND)
        LogLineF("Error %d setting ownership on '%s'", (int)rc, object);
    return 1;
}
