// The Stop-VL dialog: the product's services through its uninstall support
// library, the service control program, the queue managers, the listeners and
// the stragglers, one stage after another from a 200 ms timer, so the dialog
// and the page below it stay live. Only the GUI thread touches this state;
// the library's stop entry runs on its own thread and is only polled.
#include "wizard/checkpages.h"
#include "checks/checks.h"
#include "core/launch.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/fileprobes.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include <commctrl.h>

enum {
    STOP_TIMER_ID = 1, STOP_TICK_MS = 200, STOP_STEP = 4, STOP_BAR_TOP = 100,
    QM_WAIT_PER_MANAGER_MS = 60000, ACTIVITY_WAIT_MS = 60000
};

static const char kProductService[] = "NorvikVarolink";
static const char kHostService[] = "VarolinkServices";

struct StopState {
    HWND Owner;
    int Stage;
    int RunningQueueManagers;
    int QueueManagerWait;
    int ActivityWait;
    int Position;
    UINT_PTR Timer;
};
static StopState sStop;

int StopStage() { return sStop.Stage; }

// Runs the library's stop entry for one service on a thread. TRUE when it runs.
static BOOL StartStopThread(const char *service)
{
    char library[VL_PATH_SIZE];
    if (!FormatText(library, sizeof library, "%s\\%s\\%s", gRun.ProgramFilesPath, "uninst", "AVLISUPN.DLL")) {
        LogLineF("***Path too long: '%s\\uninst\\AVLISUPN.DLL'", gRun.ProgramFilesPath);
        return FALSE;
    }
    // The library is loaded by its plain path: quotes around a path with
    // blanks would make it unloadable.
    DWORD_PTR arguments[VL_DLL_ARG_COUNT] = {(DWORD_PTR)service};
    MachineNoteServiceStop(service);
    return LaunchDllThread(library, "isuVLStop", arguments);
}

static BOOL StartServiceControlProgram()
{
    char folder[VL_PATH_SIZE], program[VL_PATH_SIZE];
    if (!FormatText(folder, sizeof folder, "%s\\%s", gRun.ProgramFilesPath, "bin") ||
        !FormatText(program, sizeof program, "%s\\%s", folder, "AVLSVC.EXE") || !FileExists(program))
        return FALSE;
    return LaunchProcess(NULL, program, folder, "-STOP -SILENT");
}

static void TerminateStragglers()
{
    char bin[VL_PATH_SIZE];
    if (!FormatText(bin, sizeof bin, "%s\\%s", gRun.ProgramFilesPath, "bin")) return;
    if (!EndAllListeners()) TerminateProgramProcesses(bin, "runvllsr.exe", gRun.UninstFolder);
    if (!QueueManagersRunning()) TerminateProgramProcesses(bin, "avlxssvn.exe", gRun.UninstFolder);
    TerminateProgramProcesses(bin, "avlmtbrn.exe", gRun.UninstFolder);
    if (!QueueManagersRunning()) TerminateProgramProcesses(bin, "avlmsrvn.exe", gRun.UninstFolder);
}

void AdvanceStopStage(HWND)
{
    for (;;) {
        switch (sStop.Stage) {
        case 0:
            sStop.Stage = 1;
            if (ServiceIsActive(kProductService) && StartStopThread(kProductService)) return;
            break;
        case 1:
            sStop.Stage = 2;
            if (StartServiceControlProgram()) return;
            break;
        case 2:
            sStop.Stage = 3;
            if ((ServiceIsActive(kProductService) || ServiceIsActive(kHostService)) && StartStopThread(kHostService))
                return;
            break;
        case 3:
            sStop.Stage = 4;
            LogLine("Waiting for QMs to stop");
            return;
        case 4:
            sStop.Stage = 5;
            TerminateStragglers();
            LogLine("Waiting for all QM activity to stop");
            return;
        case 5:
            sStop.Stage = 6;
            return;
        default:
            sStop.Stage = 7;
            return;
        }
    }
}

// One tick of waiting: the bar moves on and wraps at the end.
static void StepBar(HWND dialog)
{
    sStop.Position += STOP_STEP;
    if (sStop.Position > STOP_BAR_TOP) sStop.Position = 0;
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, sStop.Position, 0);
}

static void EndStop(HWND dialog)
{
    if (sStop.Timer) KillTimer(dialog, STOP_TIMER_ID);
    sStop.Timer = 0;
    PostMessageA(sStop.Owner, gRun.MsgStopDlg, 0, 0);
}

static void Tick(HWND dialog)
{
    DWORD result;
    switch (sStop.Stage) {
    case 1:
    case 3:
        if (PollDllThread(&result)) StepBar(dialog);
        else AdvanceStopStage(dialog);
        break;
    case 2:
        if (PollLaunchedProcess(&result)) StepBar(dialog);
        else AdvanceStopStage(dialog);
        break;
    case 4:
        sStop.QueueManagerWait += STOP_TICK_MS;
        if (!QueueManagersRunning()) {
            LogLine("No QMs running");
            AdvanceStopStage(dialog);
        } else if (sStop.QueueManagerWait <= (sStop.RunningQueueManagers + 1) * QM_WAIT_PER_MANAGER_MS) {
            StepBar(dialog);
        } else {
            LogLine("Wait for QM's to end timed out");
            AdvanceStopStage(dialog);
        }
        break;
    case 5:
        sStop.ActivityWait += STOP_TICK_MS;
        if (!ProductIsRunning(gRun.ProgramFilesPath)) {
            LogLine("Nothing running");
            AdvanceStopStage(dialog);
        } else if (sStop.ActivityWait <= ACTIVITY_WAIT_MS) {
            StepBar(dialog);
        } else {
            LogLine("Wait timed out");
            AdvanceStopStage(dialog);
        }
        break;
    case 6:
        // A preview's held-back stop has nothing to let settle.
        if (sStop.Position >= STOP_BAR_TOP || MachineStopHeld()) {
            AdvanceStopStage(dialog);
        } else {
            sStop.Position += STOP_STEP;
            if (sStop.Position <= STOP_BAR_TOP) SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, sStop.Position, 0);
        }
        break;
    default:
        EndStop(dialog);
        break;
    }
}

INT_PTR CALLBACK StopSequence(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        LogLine("->Stop-VL dialog");
        sStop = StopState();
        sStop.Owner = (HWND)lParam;
        ShowPageIcon(dialog);
        CentreWindow(GetDesktopWindow(), dialog);
        if (!gRun.SilentMode) ShowWindow(dialog, SW_SHOW);
        HWND bar = GetDlgItem(dialog, IDC_PROGRESS);
        SendMessageA(bar, PBM_SETRANGE32, 0, STOP_BAR_TOP);
        SendMessageA(bar, PBM_SETSTEP, 1, 0);
        EndRunningQueueManagers(&sStop.RunningQueueManagers, TRUE);
        MachineStopStarted();
        AdvanceStopStage(dialog);
        sStop.Timer = SetTimer(dialog, STOP_TIMER_ID, STOP_TICK_MS, NULL);
        return TRUE;
    }
    if (message == WM_TIMER && wParam == STOP_TIMER_ID && sStop.Timer) {
        Tick(dialog);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        if (sStop.Timer) KillTimer(dialog, STOP_TIMER_ID);
        sStop.Timer = 0;
        return FALSE;
    }
    return FALSE;
}
