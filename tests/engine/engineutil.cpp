#include "engineutil.h"
#include "fixturelists.h"
#include "app/discovery.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include <commctrl.h>
#include <shlobj.h>

static WNDPROC sBarProc;
static int sSteps, sRangeTop;

static LRESULT CALLBACK CountingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETRANGE32) {
        sSteps = 0;
        sRangeTop = (int)lParam;
    }
    if (message == PBM_STEPIT) sSteps++;
    return CallWindowProcA(sBarProc, window, message, wParam, lParam);
}

void StepCountingBar::Create()
{
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    Host = CreateWindowA("STATIC", "host", WS_POPUP, 0, 0, 400, 200, NULL, NULL, NULL, NULL);
    Status1 = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 380, 20, Host, NULL, NULL, NULL);
    Status2 = CreateWindowA("STATIC", "", WS_CHILD, 0, 20, 380, 20, Host, NULL, NULL, NULL);
    Status3 = CreateWindowA("STATIC", "", WS_CHILD, 0, 40, 380, 20, Host, NULL, NULL, NULL);
    Progress = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 60, 380, 20, Host, NULL, NULL, NULL);
    sBarProc = (WNDPROC)SetWindowLongPtrA(Progress, GWLP_WNDPROC, (LONG_PTR)CountingBarProc);
    sSteps = sRangeTop = 0;
}

void StepCountingBar::Destroy()
{
    if (Host) DestroyWindow(Host);
    Host = Status1 = Status2 = Status3 = Progress = NULL;
}

int StepsSinceReset() { return sSteps; }
int LastRangeTop() { return sRangeTop; }

void PrepareRunState(const FixtureDescription &d)
{
    GetWindowsDirectoryA(gRun.WindowsDir, VL_PATH_SIZE);
    CopyText(gRun.ProgramFilesPath, VL_PATH_SIZE, FixtureProgramFolder(d).c_str());
    FormatText(gRun.UninstFolder, VL_PATH_SIZE, "%s\\uninst", gRun.ProgramFilesPath);
    DiscoverInstallation();
    // Discovery reads the work path and program folder from the product key.
    if (!gRun.ProductWorkPath[0]) CopyText(gRun.ProductWorkPath, VL_PATH_SIZE, FixtureWorkFolder(d).c_str());
    CopyText(gRun.ProgramFolderName, VL_PATH_SIZE, "Norvik Varolink");
    // The queue-manager list, as start-up finds it.
    QmListFree();
    ScanQueueManagers(gRun.ProductWorkPath);
    gRun.QueueManagersFound = QmListFirst(NULL, NULL, NULL, NULL);
    for (int i = 1; i < 20; i++) LoadNlsString(gComponentDisplayNames[i], i);
}

bool ValueExists(const std::string &path, const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string ValueText(const std::string &path, const std::string &name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
    char text[1024] = "";
    DWORD size = sizeof text - 1;
    LONG status = RegQueryValueExA(key, name.c_str(), NULL, NULL, (BYTE *)text, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(text) : "<none>";
}

void MakeKey(const std::string &path)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
        ERROR_SUCCESS)
        RegCloseKey(key);
}

void SetValue(const std::string &path, const std::string &name, const std::string &text)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, (const BYTE *)text.c_str(), (DWORD)text.size() + 1);
    RegCloseKey(key);
}

bool ServiceExists(const std::string &name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), SERVICE_QUERY_STATUS);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != NULL;
}

bool CreateTestService(const std::string &name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return false;
    std::string binary = "\"" VL_BIN_DIR "\\exitafter.exe\" 0 0";
    SC_HANDLE service = CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                       SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE,
                                       binary.c_str(), NULL, NULL, NULL, NULL, NULL);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != NULL;
}

void DeleteTestService(const std::string &name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    SC_HANDLE service = OpenServiceA(manager, name.c_str(), DELETE);
    if (service) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

std::string ProgramsFolder() { return FixtureCommonFolder(CSIDL_COMMON_PROGRAMS) + "\\Norvik Varolink"; }
std::string StartupFolder() { return FixtureCommonFolder(CSIDL_COMMON_STARTUP); }
std::string ReadWholeFile(const std::string &path) { return ReadTextFile(path); }
