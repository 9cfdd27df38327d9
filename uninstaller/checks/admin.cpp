// The administrator test of start-up: may this user create services?
#include "checks/checks.h"
#include "core/log.h"
#include "core/mbchar.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include <lm.h>
#include <string.h>

// "domain\user" of the logged-on user, or "unknown".
static void LogonUserName(char *userName)
{
    CopyText(userName, VL_PATH_SIZE, "unknown");
    WKSTA_USER_INFO_1 *info = NULL;
    if (NetWkstaUserGetInfo(NULL, 1, (BYTE **)&info) != NERR_Success || !info) return;
    char domain[VL_PATH_SIZE] = "", user[VL_PATH_SIZE] = "";
    if (info->wkui1_logon_domain)
        WideCharToMultiByte(CP_ACP, 0, info->wkui1_logon_domain, -1, domain, sizeof domain - 1, NULL, NULL);
    if (info->wkui1_username)
        WideCharToMultiByte(CP_ACP, 0, info->wkui1_username, -1, user, sizeof user - 1, NULL, NULL);
    NetApiBufferFree(info);
    if (!FormatText(userName, VL_PATH_SIZE, "%s\\%s", domain, user)) CopyText(userName, VL_PATH_SIZE, "unknown");
}

int CheckServiceControlAccess(int *canControl, char *userName)
{
    LogonUserName(userName);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CREATE_SERVICE);
    if (manager) {
        *canControl = 1;
        CloseServiceHandle(manager);
        return 1;
    }
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        *canControl = 0;
        return 1;
    }
    *canControl = 1;
    LogLineF("***Error %d opening SCM", (int)error);
    return 0;
}

int ServiceAccessMessage(char *out, size_t size, const char *nlsText, const char *userName)
{
    if (!size) return 0;
    size_t at = 0;
    int fits = 1, replaced = 0;
    out[0] = 0;
    for (const char *p = nlsText; *p && fits; p++) {
        const char *piece = NULL;
        char one[2] = {*p, 0};
        if (p[0] == '%' && p[1] == '%') {
            piece = "%";
            p++;
        } else if (p[0] == '%' && p[1] == 's' && !replaced) {
            piece = userName;
            replaced = 1;
            p++;
        } else {
            piece = one;
        }
        size_t n = strlen(piece);
        if (at + n >= size) {
            n = size - 1 - at;
            fits = 0;
        }
        memcpy(out + at, piece, n);
        at += n;
        out[at] = 0;
    }
    // A message cut to fit ends on a whole character, never a lead byte alone.
    if (!fits) MbDropCutLead(out);
    return fits;
}

int ServiceAccessRefusal(int tested, int canControl, const char *userName, char *message, size_t size)
{
    if (tested && canControl) return 0;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, 222);
    if (tested) ServiceAccessMessage(message, size, text, userName);
    else CopyText(message, size, text);
    return 1;
}
