// Stand-in for the product's service program AVLSVC.EXE (not part of the
// product). Registered as the services "NorvikVarolink" and
// "VarolinkServices" with the parameters "-SERVICE <name>", it runs as that
// service until stopped and holds its own program file open meanwhile.
//   AVLSVC.EXE -STOP -SILENT        stops both services and ends (0)
//   AVLSVC.EXE -UNINSTALL -SILENT   stops and deletes "VarolinkServices" and ends (0)
// VL_STANDIN_EXIT_AVLSVC=<code> makes both do nothing and end with that code.
#include "record.h"
#include "servicecontrol.h"
#include <stdlib.h>

static char sServiceName[64];
static SERVICE_STATUS_HANDLE sStatusHandle;
static SERVICE_STATUS sStatus;
static HANDLE sStopped;

static void Report(DWORD state)
{
    sStatus.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    sStatus.dwCurrentState = state;
    sStatus.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(sStatusHandle, &sStatus);
}

static DWORD WINAPI Control(DWORD control, DWORD, void *, void *)
{
    if (control == SERVICE_CONTROL_STOP) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(sStopped);
    }
    return NO_ERROR;
}

static void WINAPI ServiceMain(DWORD, char **)
{
    sStatusHandle = RegisterServiceCtrlHandlerExA(sServiceName, Control, NULL);
    if (!sStatusHandle) return;
    HANDLE held = HoldOwnFile();
    Report(SERVICE_RUNNING);
    // Ten minutes at most: a forgotten service never outlives a test run for long.
    WaitForSingleObject(sStopped, 600000);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    Report(SERVICE_STOPPED);
}

static DWORD DeleteHostService()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return GetLastError();
    SC_HANDLE service = OpenServiceA(manager, "VarolinkServices", DELETE);
    DWORD result = 0;
    if (service) {
        if (!DeleteService(service)) result = GetLastError();
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
    return result;
}

int main(int argc, char **argv)
{
    if (argc == 3 && !lstrcmpiA(argv[1], "-SERVICE")) {
        lstrcpynA(sServiceName, argv[2], sizeof sServiceName);
        sStopped = CreateEventA(NULL, TRUE, FALSE, NULL);
        SERVICE_TABLE_ENTRYA table[] = {{sServiceName, ServiceMain}, {NULL, NULL}};
        return StartServiceCtrlDispatcherA(table) ? 0 : 1;
    }
    char buffer[MAX_PATH];
    RecordCall(StandinName(NULL, buffer, sizeof buffer), ParameterText());
    // A test makes the program fail (and do nothing) with VL_STANDIN_EXIT_AVLSVC.
    char value[32] = "";
    GetEnvironmentVariableA("VL_STANDIN_EXIT_AVLSVC", value, sizeof value);
    if (atoi(value) != 0) return atoi(value);
    if (argc >= 2 && !lstrcmpiA(argv[1], "-STOP")) {
        StopServiceAndWait("NorvikVarolink", 15000);
        StopServiceAndWait("VarolinkServices", 15000);
        return 0;
    }
    if (argc >= 2 && !lstrcmpiA(argv[1], "-UNINSTALL")) {
        StopServiceAndWait("VarolinkServices", 15000);
        DeleteHostService();
        return 0;
    }
    return 1;
}
