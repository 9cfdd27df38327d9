// Step helpers of the component procedures (see procedure.h).
#include "engine/procedure.h"
#include "removal/environment.h"
#include "removal/filelist.h"
#include "removal/registry.h"
#include "removal/shortcuts.h"
#include "engine/worker.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathguard.h"
#include "core/nls.h"
#include "core/regread.h"
#include "core/text.h"
#include "core/messagebox.h"
#include "core/statusline.h"
#include <commctrl.h>

static HWND At(HWND *address) { return address ? *address : NULL; }

void ProcedureBegin(ProcedureRun *run, BOOL counting, const char *programFiles, const char *workPath,
                    const char *programFolderName, HWND *status1, HWND *status2, HWND *progress,
                    HWND *status3)
{
    run->Counting = counting;
    run->Count = 0;
    run->Result = 1;
    run->Status1 = At(status1);
    run->Status2 = At(status2);
    run->Status3 = At(status3);
    run->Progress = At(progress);
    run->ProgramFiles = programFiles ? programFiles : "";
    run->WorkPath = workPath ? workPath : "";
    run->ProgramFolderName = programFolderName ? programFolderName : "";
    if (!FormatText(run->ListFolder, sizeof run->ListFolder, "%s\\uninst", run->ProgramFiles))
        run->ListFolder[0] = 0;
}

int ProcedureEnd(const ProcedureRun *run)
{
    if (run->Counting) return run->Count;
    // A procedure cut short by the end of the run did not finish its work.
    if (RemovalStopRequested()) return 0;
    return run->Result;
}

BOOL Working(const ProcedureRun *run)
{
    return !run->Counting && !RemovalStopRequested();
}

void Budget(ProcedureRun *run, int n)
{
    if (run->Counting) run->Count += n;
}

void Step(ProcedureRun *run)
{
    if (Working(run)) ProgressStep(run->Progress);
}

int ProgressPosition(const ProcedureRun *run)
{
    return ProgressPosition(run->Progress);
}

void FillBudget(ProcedureRun *run, int start, int steps)
{
    if (!Working(run) || !run->Progress) return;
    int upper = ProgressRangeTop(run->Progress);
    for (int guard = 0; guard < steps; guard++) {
        int position = ProgressPosition(run);
        // A bar that has wrapped or reached its end is not pushed further.
        if (position < start || position >= start + steps || position >= upper) return;
        ProgressStep(run->Progress);
    }
}

void Phase(ProcedureRun *run, UINT id)
{
    if (!Working(run) || !run->Status2) return;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, id);
    SetStatusText(run->Status2, text, FALSE);
}

void ItemText(ProcedureRun *run, const char *text, BOOL isPath)
{
    if (Working(run) && run->Status3) SetStatusText(run->Status3, text, isPath);
}

void Counted(ProcedureRun *run, int ok)
{
    if (!ok) run->Result = 0;
}

static int JoinPath(char *out, const char *base, const char *relative)
{
    if (FormatText(out, VL_PATH_SIZE, "%s\\%s", base, relative)) return 1;
    LogLineF("***Path too long: '%s\\%s'", base, relative);
    out[0] = 0;
    return 0;
}

int ProgramPath(const ProcedureRun *run, char *out, const char *relative)
{
    return JoinPath(out, run->ProgramFiles, relative);
}

int WorkPath(const ProcedureRun *run, char *out, const char *relative)
{
    return JoinPath(out, run->WorkPath, relative);
}

void List(ProcedureRun *run, const char *name, UINT phaseId, const char *target)
{
    if (!target) target = run->ProgramFiles;
    if (run->Counting) {
        run->Count += ProcessFileList(TRUE, FALSE, phaseId, run->Status2, run->Status3, run->Progress, name,
                                      run->ListFolder, target);
        return;
    }
    if (!Working(run)) return;
    Counted(run, ProcessFileList(FALSE, FALSE, phaseId, run->Status2, run->Status3, run->Progress, name,
                                 run->ListFolder, target));
}

void Classes(ProcedureRun *run, const char *name)
{
    if (run->Counting) {
        run->Count += UnregisterObjectClasses(TRUE, name, run->Status3, run->Progress, run->ProgramFiles);
        return;
    }
    if (!Working(run)) return;
    Counted(run, UnregisterObjectClasses(FALSE, name, run->Status3, run->Progress, run->ProgramFiles));
}

void ProgramFolderShortcut(ProcedureRun *run, UINT id, BOOL own, BOOL counted)
{
    if (!Working(run)) return;
    char name[VL_TEXT_SIZE];
    if (!(own ? LoadOwnString(name, id) : LoadNlsString(name, id))) return;
    ItemText(run, name, FALSE);
    int ok = DeleteProgramFolderItem(run->ProgramFolderName, name);
    if (counted) Counted(run, ok);
}

void StartupShortcut(ProcedureRun *run, UINT id, BOOL counted)
{
    if (!Working(run)) return;
    char name[VL_TEXT_SIZE];
    if (!LoadNlsString(name, id)) return;
    ItemText(run, name, FALSE);
    int ok = DeleteStartupLink(name);
    if (counted) Counted(run, ok);
}

void DropEntry(ProcedureRun *run, const char *variable, const char *relative)
{
    if (!Working(run)) return;
    char entry[VL_PATH_SIZE];
    if (!ProgramPath(run, entry, relative)) {
        Counted(run, 0);
        return;
    }
    Counted(run, RemoveEnvEntry(variable, entry));
}

void DeleteVersionValue(ProcedureRun *run, const char *name)
{
    if (Working(run) && name && name[0]) DeleteRegistryValue(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, name, FALSE);
}

void DeleteComponentValue(ProcedureRun *run, const char *name)
{
    if (Working(run) && name && name[0])
        DeleteRegistryValue(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, name, FALSE);
}

void DeleteUninstFileQuietly(ProcedureRun *run, const char *name)
{
    if (!Working(run)) return;
    char path[VL_PATH_SIZE];
    // Quiet, yet through the guard like every other deletion.
    if (run->ListFolder[0] && FormatText(path, sizeof path, "%s\\%s", run->ListFolder, name) && GuardFile(path))
        MachineDeleteFile(path);
}

BOOL ComponentInstalledNow(const char *componentKey)
{
    return ComponentRecorded(componentKey);
}
