// The four SIDs of the product's access lists, created on first use and kept
// for the life of the process. The "vlm" group is looked up again at every use
// until it is found.
#include "security/security.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include <lm.h>
#include <stdlib.h>

static PSID sAdminSid, sSystemSid, sWorldSid, sVlmSid;

PSID CreateAdminSid()
{
    if (sAdminSid) return sAdminSid;
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID sid;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                  0, 0, 0, 0, 0, 0, &sid))
        return NULL;
    sAdminSid = sid;
    return sAdminSid;
}

PSID CreateSystemSid()
{
    if (sSystemSid) return sSystemSid;
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID sid;
    if (!AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &sid)) {
        LogLineF("Error %d creating system SID", (int)GetLastError());
        return NULL;
    }
    sSystemSid = sid;
    return sSystemSid;
}

PSID CreateWorldSid()
{
    if (sWorldSid) return sWorldSid;
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID sid;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid)) {
        LogLineF("Error %d creating world SID", (int)GetLastError());
        return NULL;
    }
    sWorldSid = sid;
    return sWorldSid;
}

// The primary domain controller's name in the ANSI code page; 0 or the NetGetDCName error.
DWORD PrimaryControllerName(char *out /* VL_PATH_SIZE */)
{
    out[0] = 0;
    LPBYTE name = NULL;
    NET_API_STATUS rc = NetGetDCName(NULL, NULL, &name);
    if (rc != NERR_Success) {
        if (name) NetApiBufferFree(name);
        return rc;
    }
    if (!WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)name, -1, out, VL_PATH_SIZE, NULL, NULL)) out[0] = 0;
    NetApiBufferFree(name);
    return 0;
}

PSID CreateVlmSid()
{
    if (sVlmSid) return sVlmSid;
    DWORD sidSize = 64;
    PSID sid = malloc(sidSize);
    if (!sid) {
        LogLine("***Error allocating VLM SID buffer (1)");
        return NULL;
    }
    char server[VL_PATH_SIZE] = "";
    if (GetDomainControllerRole() == 16) {
        DWORD rc = PrimaryControllerName(server);
        if (rc) LogLineF("***Error CreateVlmSid() NetGetDCName rc %d", (int)rc);
    }
    const char *machine = server[0] ? server : NULL;
    char domain[VL_PATH_SIZE];
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountNameA(machine, "vlm", sid, &sidSize, domain, &domainSize, &use)) {
        DWORD error = GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER) {
            LogLineF("***Error %d looking up VLM account (1)", (int)error);
            free(sid);
            return NULL;
        }
        free(sid);
        sid = malloc(sidSize);
        // The domain name is not used; it only needs room.
        char *bigDomain = (char *)malloc(domainSize > sizeof domain ? domainSize : sizeof domain);
        if (!sid || !bigDomain) {
            LogLine("***Error allocating VLM SID buffer (2)");
            free(sid);
            free(bigDomain);
            return NULL;
        }
        domainSize = domainSize > sizeof domain ? domainSize : sizeof domain;
        BOOL found = LookupAccountNameA(machine, "vlm", sid, &sidSize, bigDomain, &domainSize, &use);
        free(bigDomain);
        if (!found) {
            LogLineF("***Error %d looking up VLM account name (2)", (int)GetLastError());
            free(sid);
            return NULL;
        }
    }
    sVlmSid = sid;
    return sVlmSid;
}

int GetDomainControllerRole()
{
    LPBYTE buffer = NULL;
    NET_API_STATUS rc = NetServerGetInfo(NULL, 101, &buffer);
    if (rc != NERR_Success) {
        LogLineF("NetServerGetInfo rc %d", (int)rc);
        if (buffer) NetApiBufferFree(buffer);
        return 0;
    }
    DWORD type = ((SERVER_INFO_101 *)buffer)->sv101_type;
    NetApiBufferFree(buffer);
    if (type & SV_TYPE_DOMAIN_CTRL) {
        LogLine("Executing on a primary domain controller");
        return 8;
    }
    if (type & SV_TYPE_DOMAIN_BAKCTRL) {
        LogLine("Executing on a backup domain controller");
        char name[VL_PATH_SIZE];
        DWORD error = PrimaryControllerName(name);
        if (error) LogLineF("NetGetDCName rc %d", (int)error);
        else LogLineF("Primary controller is '%s'", name);
        return 16;
    }
    LogLine("Not executing on a domain controller");
    return 0;
}
