// Ending the queue managers, their command servers, the listeners and trace
// through the product's own end commands in its "bin" folder (the folder as
// registered now: the stop may run long after start-up).
#include "checks/checks.h"
#include "core/launch.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/runstate.h"
#include "core/text.h"
#include "qmconfig/qmlist.h"
#include "core/fileprobes.h"

enum { LISTENER_END_FAILED = 20 };

// The "bin" folder and one program in it; 0 when the path does not fit.
static int BinProgram(char *folder, char *program, const char *name)
{
    char programFiles[VL_PATH_SIZE];
    CurrentProgramFiles(programFiles);
    return FormatText(folder, VL_PATH_SIZE, "%s\\%s", programFiles, "bin") &&
           FormatText(program, VL_PATH_SIZE, "%s\\%s", folder, name);
}

int EndQueueManager(const char *name)
{
    char folder[VL_PATH_SIZE], program[VL_PATH_SIZE], parameters[VL_TEXT_SIZE];
    FormatText(parameters, sizeof parameters, "-i %s", name);
    if (BinProgram(folder, program, "endvlcsv.exe") && FileExists(program))
        RunProcessAndWait(NULL, SW_HIDE, program, folder, parameters);
    if (BinProgram(folder, program, "endvlm.exe") && FileExists(program))
        LaunchProcess(NULL, program, folder, parameters);
    return 1;
}

int EndRunningQueueManagers(int *count, BOOL endThem)
{
    *count = 0;
    char folder[VL_PATH_SIZE], program[VL_PATH_SIZE];
    if (BinProgram(folder, program, "endvltrc.exe") && FileExists(program))
        RunProcessAndWait(NULL, SW_HIDE, program, folder, " ");
    char name[MAX_PATH], logPath[MAX_PATH];
    for (BOOL more = QmListFirst(name, NULL, logPath, NULL); more; more = QmListNext(name, NULL, logPath, NULL)) {
        char control[VL_PATH_SIZE];
        // A queue manager without a log directory has no control file to test.
        if (!logPath[0] || !FormatText(control, sizeof control, "%s\\%s", logPath, "avlhlctl.lfh") ||
            !FileIsLocked(control))
            continue;
        *count += 1;
        LogLineF("Queue manager '%s' is running", name);
        if (endThem) EndQueueManager(name);
    }
    return 1;
}

BOOL QueueManagersRunning()
{
    // A preview's held-back stop counts as made.
    if (MachineStopHeld()) {
        LogLine("No queue managers running");
        return FALSE;
    }
    char folder[VL_PATH_SIZE], program[VL_PATH_SIZE];
    if (BinProgram(folder, program, "avlzxma0.exe") && FileIsLocked(program)) return TRUE;
    LogLine("No queue managers running");
    return FALSE;
}

int EndAllListeners()
{
    LogLine("Ending all listeners");
    char folder[VL_PATH_SIZE], program[VL_PATH_SIZE];
    if (!BinProgram(folder, program, "runvllsr.exe") || !FileIsLocked(program)) {
        LogLine("No listeners running");
        return 1;
    }
    if (!BinProgram(folder, program, "endvllsr.exe") || !FileExists(program)) return 0;
    char name[MAX_PATH];
    int result = 1;
    for (BOOL more = QmListFirst(name, NULL, NULL, NULL); more; more = QmListNext(name, NULL, NULL, NULL)) {
        char parameters[VL_TEXT_SIZE];
        FormatText(parameters, sizeof parameters, "-m %s", name);
        if (RunProcessAndWait(NULL, SW_HIDE, program, folder, parameters) == LISTENER_END_FAILED) result = 0;
    }
    return result;
}
