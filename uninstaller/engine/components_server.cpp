// The Server component: queue-manager data (or its saved configuration),
// shortcuts, performance counters, the two services, object classes, file
// lists, environment entries and registry values. What the Windows NT client
// shares with the server (configuration key, event-log source, client object
// classes and lists) goes only when that client is not installed.
#include "engine/components.h"
#include "removal/directories.h"
#include "removal/files.h"
#include "engine/procedure.h"
#include "removal/registry.h"
#include "removal/services.h"
#include "engine/worker.h"
#include "core/launch.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/text.h"
#include "qmconfig/qmdelete.h"
#include "qmconfig/qmexport.h"
#include "qmconfig/qmlist.h"
#include "core/messagebox.h"
#include "core/statusline.h"

enum { SERVICE_PROGRAM_BUDGET = 10, POLL_MS = 500 };

static const char kClient[] = "Local Clients\\Windows NT Client";
static const char kLogDefaultsKey[] = VL_PRODUCT_KEY "\\Configuration\\LogDefaults";
static const char kEventLogKey[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Varolink";

struct PollBudget {
    ProcedureRun *Run;
    int *Budget;
};

static void StepWhileBudgetLasts(void *context)
{
    PollBudget *poll = (PollBudget *)context;
    if (poll->Budget && *poll->Budget > 0) {
        Step(poll->Run);
        (*poll->Budget)--;
    }
}

// Waits for the tracked process, polling every 500 ms, at most 60 s; steps
// the bar on each poll while budget lasts. FALSE when it did not end in time
// or the run is ending.
static BOOL WaitPolling(ProcedureRun *run, int *budget, DWORD *exitCode)
{
    PollBudget poll = {run, budget};
    return WaitLaunchedProcess(POLL_MS, RemovalStopRequested, StepWhileBudgetLasts, &poll, exitCode);
}

// Step 1: the queue managers and their data, or their configuration saved
// when the data stays. FALSE when the export failed (the server stays).
static BOOL QueueManagerData(ProcedureRun *run, BOOL deleteData, const char *logDefaultPath)
{
    BOOL remove = deleteData || !QmListFirst(NULL, NULL, NULL, NULL);
    if (remove) {
        Budget(run, 3);
        if (!Working(run)) return TRUE;
        Phase(run, 649);
        Step(run);
        Counted(run, DeleteQueueManagers(run->WorkPath, run->Status3, logDefaultPath));
        Step(run);
        if (!Working(run)) return TRUE;
        BOOL whole = TRUE;
        // The data-directory walks are not steps of this procedure's bar.
        Counted(run, CleanDataDirectory(run->WorkPath, run->ProgramFiles, &run->Status3, NULL, &whole));
        Step(run);
        if (Working(run) && logDefaultPath && logDefaultPath[0])
            Counted(run, CleanLogDirectory(logDefaultPath, &run->Status3, NULL));
        return TRUE;
    }
    Budget(run, 2);
    if (!Working(run)) return TRUE;
    Phase(run, 690);
    ItemText(run, "Config.reg", TRUE);
    Step(run);
    BOOL saved = SaveQmConfiguration();
    Step(run);
    if (saved) return TRUE;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, 224);
    ShowMessage(NULL, text, MB_OK | MB_ICONSTOP);
    return FALSE;
}

static void Shortcuts(ProcedureRun *run)
{
    Budget(run, 1);
    if (Working(run)) Counted(run, DeleteRegistryTree(kLogDefaultsKey, NULL, TRUE));
    Step(run);
    StartupShortcut(run, 614, TRUE);

    if (!run->ProgramFolderName[0]) return;
    Budget(run, 6);
    static const UINT kNames[] = {610, 613, 695, 192, 197};
    for (UINT id : kNames) {
        Step(run);
        ProgramFolderShortcut(run, id, FALSE, TRUE);
    }
    Step(run);
    StartupShortcut(run, 614, FALSE);
}

static void PerformanceCounters(ProcedureRun *run)
{
    Budget(run, 7);
    Phase(run, 633);
    Step(run);
    if (Working(run)) {
        if (!LaunchProcess(NULL, "unlodctr.exe", NULL, "VarolinkServices")) {
            Counted(run, 0);
        } else {
            DWORD code = 0;
            if (!WaitPolling(run, NULL, &code) || (code != 0 && code != 2)) {
                LogLine("***unlodctr.exe error");
                Counted(run, 0);
            }
        }
    }
    static const char *const kFiles[] = {"uninst\\avlmperf.reg", "uninst\\avlmpera.ini", "uninst\\avlmpert.ini",
                                         "uninst\\avlmperz.ini", "uninst\\avlicfgn.reg", "uninst\\Config.reg"};
    for (const char *file : kFiles) {
        Step(run);
        char path[VL_PATH_SIZE];
        if (!Working(run)) continue;
        Counted(run, ProgramPath(run, path, file) && DeleteFilePath(path, FALSE));
    }
}

// Steps 6 to 8: the two services; an error is reported once, with its code.
static void Services(ProcedureRun *run)
{
    Budget(run, 2 + SERVICE_PROGRAM_BUDGET);
    BOOL failed = FALSE;
    DWORD lastError = 0;

    ItemText(run, "NorvikVarolink", FALSE);
    Step(run);
    if (Working(run)) {
        DWORD error = DeleteServiceByName("NorvikVarolink");
        if (error) failed = TRUE, lastError = error;
    }
    Step(run);

    ItemText(run, "VarolinkServices", FALSE);
    if (Working(run)) {
        int start = ProgressPosition(run);
        int budget = SERVICE_PROGRAM_BUDGET;
        char program[VL_PATH_SIZE], folder[VL_PATH_SIZE];
        BOOL removed = FALSE;
        if (ProgramPath(run, program, "bin\\AVLSVC.EXE") && ProgramPath(run, folder, "bin") &&
            FileExists(program) && LaunchProcess(NULL, program, folder, "-UNINSTALL -SILENT")) {
            DWORD code = 0;
            removed = WaitPolling(run, &budget, &code) && code == 0;
        }
        if (!removed && Working(run)) {
            DWORD error = DeleteServiceByName("VarolinkServices");
            if (error) failed = TRUE, lastError = error;
        }
        FillBudget(run, start, SERVICE_PROGRAM_BUDGET);
    }

    if (failed && Working(run)) {
        char format[VL_TEXT_SIZE], text[VL_TEXT_SIZE];
        LoadNlsString(format, 257);
        FormatText(text, sizeof text, format, (int)lastError);
        ShowMessage(NULL, text, MB_OK | MB_ICONSTOP);
        Counted(run, 0);
    }
}

static void Lists(ProcedureRun *run, BOOL clientInstalled)
{
    List(run, "svslfrg", 525);
    if (!clientInstalled) List(run, "clslfrg", 525);
    List(run, "server", 525);
    List(run, "serverd", 525, run->WorkPath);
    List(run, "telvar", 525, gRun.WindowsDir);
    List(run, "javabind", 525);
    List(run, "convtab", 525, run->WorkPath);
    if (!clientInstalled) {
        List(run, "clint", 525);
        List(run, "clintcnv", 525, run->WorkPath);
        if (Working(run)) DeleteCcsidTables(run->WorkPath);
    }
    if (!ComponentInstalledNow("Local Clients\\Java Client")) {
        List(run, "javabase", 525);
        List(run, "clijava", 525);
        Budget(run, 2);
        Step(run);
        DropEntry(run, "classpath", "java\\lib\\com.norvik.vl.jar");
        Step(run);
        DropEntry(run, "classpath", "java\\lib\\com.norvik.vl.iiop.jar");
    }
}

int RemoveServerComponent(BOOL counting, BOOL cleanup, BOOL deleteData, const char *registeredName,
                          const char *programFiles, const char *workPath, const char *logDefaultPath,
                          const char *programFolderName, HWND *status1, HWND *status2, HWND *progress,
                          HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);

    if (!QueueManagerData(&run, deleteData, logDefaultPath)) return 0;

    BOOL clientInstalled = ComponentInstalledNow(kClient);
    if (!clientInstalled) {
        Budget(&run, 1);
        Step(&run);
        // Spares Web Administration and the keys of queue managers whose folders stayed.
        if (Working(&run)) Counted(&run, DeleteConfigurationTree());
    }
    Shortcuts(&run);
    PerformanceCounters(&run);
    Services(&run);

    Phase(&run, 622);
    Classes(&run, "svslfrg");
    clientInstalled = ComponentInstalledNow(kClient);
    if (!clientInstalled) {
        Classes(&run, "clslfrg");
        Budget(&run, 1);
        Step(&run);
        if (Working(&run)) DeleteRegistryTree(kEventLogKey, NULL, FALSE);
    }

    Budget(&run, 1);
    Step(&run);
    char path[VL_PATH_SIZE];
    if (Working(&run)) Counted(&run, ProgramPath(&run, path, "bin\\avlisfin.exe") && DeleteFilePath(path, FALSE));

    Lists(&run, clientInstalled);

    Budget(&run, 2);
    Step(&run);
    DropEntry(&run, "Path", "bin");
    Step(&run);
    DropEntry(&run, "classpath", "java\\lib\\com.norvik.vlbind.jar");

    Budget(&run, 2);
    char folder[VL_PATH_SIZE];
    Step(&run);
    if (Working(&run) && FormatText(folder, sizeof folder, "%s\\telready\\monitorslfs", gRun.WindowsDir))
        Counted(&run, RemoveDirectoryPath(folder, FALSE));
    Step(&run);
    if (Working(&run) && FormatText(folder, sizeof folder, "%s\\telready", gRun.WindowsDir))
        Counted(&run, RemoveDirectoryPath(folder, FALSE));

    if (cleanup) {
        Budget(&run, 7);
        Phase(&run, 665);
        static const char *const kValues[] = {"BaseComponent", "ConversionTablesComponent", "GlobalComponent",
                                              "CCSIDComponent", "MinimumFilesComponent"};
        for (const char *value : kValues) {
            Step(&run);
            DeleteVersionValue(&run, value);
        }
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Server");
    }
    return ProcedureEnd(&run);
}
