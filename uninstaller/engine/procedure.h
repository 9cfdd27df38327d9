// The steps the component procedures are written in. One ProcedureRun
// carries a procedure's pass (counting or working), its step count or
// result, its windows and its folders. Every step does nothing once the end
// of the run has asked the worker to stop, so a procedure stops where it is
// and its final clean-up (which would drop the "Incomplete" marker) is not
// reached.
#pragma once
#include <windows.h>
#include "core/runstate.h"

struct ProcedureRun {
    BOOL Counting;
    int Count;             // counting pass: the steps so far
    int Result;            // working pass: the AND of the counted results
    HWND Status1, Status2, Status3, Progress;
    const char *ProgramFiles;   // P
    const char *WorkPath;       // D
    const char *ProgramFolderName;
    char ListFolder[VL_PATH_SIZE];   // P\uninst, "" when it does not fit
};

void ProcedureBegin(ProcedureRun *run, BOOL counting, const char *programFiles, const char *workPath,
                    const char *programFolderName, HWND *status1, HWND *status2, HWND *progress,
                    HWND *status3);
// The count (counting pass) or the result (working pass).
int ProcedureEnd(const ProcedureRun *run);

// TRUE in the working pass unless the worker has been asked to stop.
BOOL Working(const ProcedureRun *run);
// Counting pass: n more steps.
void Budget(ProcedureRun *run, int n);
// Working pass: one step of the progress bar.
void Step(ProcedureRun *run);
// Working pass: steps until `steps` steps have been made since `start`
// (a position read with ProgressPosition), so a step that took fewer than
// its budget still ends where the counting pass said.
int ProgressPosition(const ProcedureRun *run);
void FillBudget(ProcedureRun *run, int start, int steps);
// Working pass: NLS string id on status line 2 / a text on status line 3.
void Phase(ProcedureRun *run, UINT id);
void ItemText(ProcedureRun *run, const char *text, BOOL isPath);
void Counted(ProcedureRun *run, int ok);

// "P\<relative>" / "D\<relative>" into out (VL_PATH_SIZE); 0 (logged) when too long.
int ProgramPath(const ProcedureRun *run, char *out, const char *relative);
int WorkPath(const ProcedureRun *run, char *out, const char *relative);

// The component file list name of P\uninst against target (NULL = P), with
// phase id; count and result join the procedure's.
void List(ProcedureRun *run, const char *name, UINT phaseId, const char *target = NULL);
// The object classes of list name.
void Classes(ProcedureRun *run, const char *name);
// A shortcut of the program folder named by NLS string id (own string table
// with own), when the string loads; counted or not. No budget: the caller
// budgets and steps.
void ProgramFolderShortcut(ProcedureRun *run, UINT id, BOOL own, BOOL counted);
void StartupShortcut(ProcedureRun *run, UINT id, BOOL counted);
// Drops P\relative from the system variable (counted).
void DropEntry(ProcedureRun *run, const char *variable, const char *relative);
// Value deletions of the CurrentVersion and Components keys (not counted);
// an empty or NULL name is skipped.
void DeleteVersionValue(ProcedureRun *run, const char *name);
void DeleteComponentValue(ProcedureRun *run, const char *name);
// Deletes P\uninst\<name> with DeleteFile, no log line (a refusal of the
// guard excepted), result not counted.
void DeleteUninstFileQuietly(ProcedureRun *run, const char *name);

// The component-installed test at the moment of the step.
BOOL ComponentInstalledNow(const char *componentKey);
