// Stopping a service through the Service Control Manager (stand-ins only).
#pragma once
#include <windows.h>

// Asks the service to stop and waits (at most timeoutMs) until it has.
// Returns 0 when it is stopped (or was not running), else a system error.
inline DWORD StopServiceAndWait(const char *name, DWORD timeoutMs)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return GetLastError();
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
    DWORD result = 0;
    if (!service) {
        result = GetLastError();
    } else {
        SERVICE_STATUS status = {};
        if (!ControlService(service, SERVICE_CONTROL_STOP, &status) &&
            GetLastError() != ERROR_SERVICE_NOT_ACTIVE)
            result = GetLastError();
        for (DWORD waited = 0; !result && waited < timeoutMs; waited += 100) {
            if (!QueryServiceStatus(service, &status) || status.dwCurrentState == SERVICE_STOPPED) break;
            Sleep(100);
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return result;
}
