// Deleting a Windows NT service from the service database.
#include "removal/services.h"
#include "core/log.h"
#include "core/machine.h"

DWORD DeleteServiceByName(const char *name)
{
    LogLineF("Deleting service '%s'", name);
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) {
        DWORD error = GetLastError();
        LogLineF("OpenSCManager failed %d", (int)error);
        return error;
    }
    DWORD result = 0;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
    if (!service) {
        DWORD error = GetLastError();
        if (error == ERROR_SERVICE_DOES_NOT_EXIST) {
            LogLineF("Service '%s' not found", name);
        } else {
            LogLineF("OpenService failed %d", (int)error);
            result = error;
        }
    } else {
        DWORD error = MachineDeleteService(service, name);
        if (error && error != MACHINE_HELD_BACK) {
            if (error == ERROR_SERVICE_MARKED_FOR_DELETE) {
                LogLineF("Service '%s' already marked for delete", name);
            } else {
                LogLineF("DeleteService failed %d", (int)error);
                result = error;
            }
        }
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return result;
}
