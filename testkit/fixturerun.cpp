#include "fixturerun.h"
#include <psapi.h>
#include <stdio.h>
#include <string.h>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif

static const char *const kServices[] = {"NorvikVarolink", "VarolinkServices"};

static std::string Lower(std::string text)
{
    for (char &c : text) c = (char)tolower((unsigned char)c);
    return text;
}

int FixtureCopyStandin(const FixtureDescription &d, const std::string &name)
{
    std::string folder = FixtureProgramFolder(d) + (Lower(name) == "avlisupn.dll" ? "\\uninst" : "\\bin");
    MakeFolders(folder);
    return CopyFileA((std::string(VL_BIN_DIR) + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE) != 0;
}

static HANDLE StartDetached(const std::string &commandLine, const std::string &folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, CREATE_NO_WINDOW, NULL, folder.c_str(), &startup,
                        &process))
        return NULL;
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the ready event, or for the process to end (a failure).
static int WaitReady(HANDLE process, const std::string &readyName)
{
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName.c_str());
    HANDLE both[2] = {ready, process};
    DWORD wait = WaitForMultipleObjects(2, both, FALSE, 10000);
    CloseHandle(ready);
    CloseHandle(process);
    return wait == WAIT_OBJECT_0;
}

int FixtureStartProgram(const FixtureDescription &d, const std::string &program, const std::string &parameters)
{
    std::string bin = FixtureProgramFolder(d) + "\\bin";
    if (GetFileAttributesA((bin + "\\" + program).c_str()) == INVALID_FILE_ATTRIBUTES &&
        !FixtureCopyStandin(d, program))
        return 0;
    HANDLE process = StartDetached("\"" + bin + "\\" + program + "\" " + parameters, bin);
    if (!process) return 0;
    std::string base = Lower(program);
    base = base.substr(0, base.rfind('.'));
    return WaitReady(process, "VlStandin." + base + ".ready");
}

int FixtureHoldFile(const FixtureDescription &d, const std::string &path, const std::string &eventName)
{
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) WriteTextFile(path, "held\n");
    // The holder runs from below the root, so ending the fixture ends it too.
    std::string holders = d.Root + "\\holders";
    MakeFolders(holders);
    std::string holder = holders + "\\holdopen.exe";
    if (GetFileAttributesA(holder.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !CopyFileA(VL_BIN_DIR "\\holdopen.exe", holder.c_str(), FALSE))
        return 0;
    HANDLE process = StartDetached("\"" + holder + "\" \"" + path + "\" " + eventName + " 600", holders);
    if (!process) return 0;
    return WaitReady(process, eventName + ".ready");
}

int FixtureRunQueueManager(const FixtureDescription &d, const std::string &keyName)
{
    std::string name = keyName;
    for (const std::vector<std::string> &words : d.RegistryQueueManagers)
        if (!words.empty() && words[0] == keyName && words.size() > 1) name = words[1];
    for (const std::vector<std::string> &words : d.IniQueueManagers)
        if (!words.empty() && words[0] == keyName && words.size() > 1) name = words[1];
    std::string log = FixtureWorkFolder(d) + "\\log\\" + keyName;
    MakeFolders(log);
    return FixtureHoldFile(d, log + "\\avlhlctl.lfh", "VlStandin.qm." + name);
}

DWORD FixtureServiceState(const char *name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return 0;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    DWORD state = 0;
    SERVICE_STATUS status;
    if (service && QueryServiceStatus(service, &status)) state = status.dwCurrentState;
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return state;
}

static void WaitForState(SC_HANDLE service, DWORD wanted, DWORD timeoutMs)
{
    SERVICE_STATUS status;
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (!QueryServiceStatus(service, &status) || status.dwCurrentState == wanted) return;
        Sleep(50);
    }
}

int FixtureStartServices(const FixtureDescription &d, bool fromBin)
{
    if (!FixtureCopyStandin(d, "AVLSVC.EXE")) return 0;
    std::string program = FixtureProgramFolder(d) + "\\bin\\AVLSVC.EXE";
    if (!fromBin) {
        MakeFolders(d.Root + "\\service");
        program = d.Root + "\\service\\AVLSVC.EXE";
        if (!CopyFileA(VL_BIN_DIR "\\AVLSVC.EXE", program.c_str(), FALSE)) return 0;
    }
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return 0;
    int ok = 1;
    for (const char *name : kServices) {
        std::string binary = "\"" + program + "\" -SERVICE " + name;
        SC_HANDLE service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                           SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, binary.c_str(), NULL, NULL,
                                           NULL, NULL, NULL);
        if (!service) service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
        if (!service || !StartServiceA(service, 0, NULL)) ok = 0;
        if (service) {
            WaitForState(service, SERVICE_RUNNING, 10000);
            CloseServiceHandle(service);
        }
    }
    CloseServiceHandle(manager);
    for (const char *name : kServices) ok &= FixtureServiceState(name) == SERVICE_RUNNING;
    return ok;
}

static void StopAndDeleteServices()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    for (const char *name : kServices) {
        SC_HANDLE service = OpenServiceA(manager, name, SERVICE_ALL_ACCESS);
        if (!service) continue;
        SERVICE_STATUS status;
        if (ControlService(service, SERVICE_CONTROL_STOP, &status)) WaitForState(service, SERVICE_STOPPED, 10000);
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

// Calls visit(id, program path) for every process that can be inspected.
template <typename Visit> static void EachProcess(Visit visit)
{
    DWORD ids[4096], bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); i++) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        if (!process) continue;
        char path[MAX_PATH] = "";
        HMODULE module;
        DWORD needed;
        if (EnumProcessModules(process, &module, sizeof module, &needed))
            GetModuleFileNameExA(process, module, path, sizeof path);
        CloseHandle(process);
        if (path[0]) visit(ids[i], std::string(path));
    }
}

int FixtureProcessCount(const std::string &programPath)
{
    int count = 0;
    std::string wanted = Lower(programPath);
    EachProcess([&](DWORD, const std::string &path) {
        if (Lower(path) == wanted) count++;
    });
    return count;
}

void FixtureStopRunning(const FixtureDescription &d)
{
    StopAndDeleteServices();
    std::string root = Lower(d.Root) + "\\";
    for (int round = 0; round < 3; round++) {
        int ended = 0;
        EachProcess([&](DWORD id, const std::string &path) {
            if (Lower(path).compare(0, root.size(), root) != 0) return;
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
            if (!process) return;
            if (TerminateProcess(process, 9)) WaitForSingleObject(process, 5000);
            CloseHandle(process);
            ended++;
        });
        if (!ended) break;
    }
}

void FixtureSignalStop(const std::string &what)
{
    HANDLE event = CreateEventA(NULL, TRUE, FALSE, ("VlStandin." + what + ".stop").c_str());
    if (event) {
        SetEvent(event);
        Sleep(200);
        CloseHandle(event);
    }
}
