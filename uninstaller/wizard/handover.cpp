#include "wizard/handover.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/registry.h"
#include "removal/shortcuts.h"
#include <shellapi.h>

enum { COMMAND_SIZE = 1200 };

static const char kUninstallKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1";

int RunInstallerUninstall()
{
    const char *U = gRun.UninstFolder;
    char command[COMMAND_SIZE];
    // A command that does not fit is not stored cut short.
    if (FormatText(command, sizeof command, "%s -f\"%s\\%s\" -c\"%s\\%s\"", gRun.InstallerUninstallProgram, U,
                   "Uninst.isu", U, "avliisun.dll"))
        SetRegistryValue(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", REG_SZ, command, -1);

    if (gRun.ProgramFolderName[0]) {
        char item[VL_TEXT_SIZE];
        if (LoadNlsString(item, 612)) gRun.AllSucceeded &= DeleteProgramFolderItem(gRun.ProgramFolderName, item);
        if (gRun.ProgramFolderName[0])
            gRun.AllSucceeded &= DeleteProgramFolderItem(gRun.ProgramFolderName, NULL);
    }
    RefreshStartMenu(gRun.ProgramFolderName);
    LogLine("Starting UninstallShield silent");

    char parameters[COMMAND_SIZE];
    BOOL fits = gRun.MifName[0]
        ? FormatText(parameters, sizeof parameters, "%s %s -f\"%s\\%s\" -c\"%s\\%s\" -m%s", "-y", "-a", U,
                     "Uninst.isu", U, "avliisun.dll", gRun.MifName)
        : FormatText(parameters, sizeof parameters, "%s %s -f\"%s\\%s\" -c\"%s\\%s\"", "-y", "-a", U,
                     "Uninst.isu", U, "avliisun.dll");
    if (!fits || !gRun.InstallerUninstallProgram[0]) return 0;

    SHELLEXECUTEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | (gRun.SilentMode ? SEE_MASK_FLAG_NO_UI : 0);
    info.hwnd = GetDesktopWindow();
    info.lpVerb = "Open";
    info.lpFile = gRun.InstallerUninstallProgram;
    info.lpParameters = parameters;
    info.lpDirectory = gRun.WindowsDir[0] ? gRun.WindowsDir : NULL;
    info.nShow = SW_HIDE;
    DWORD started = MachineStartProgram(&info);
    if (started == MACHINE_HELD_BACK) return 1;
    if (started) return 0;
    if (info.hProcess) CloseHandle(info.hProcess);
    return 1;
}
