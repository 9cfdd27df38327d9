// What the run did to the machine, item by item: the totals and the items a
// receipt and the report of what stayed are made from, and, in a preview,
// what would have gone, for the probes that must answer as if it had.
//
// Threads: recorded by whichever thread changes the machine or refuses a
// path (the GUI thread at start-up, during the checks and after the removal;
// the removal worker while it runs). Every call takes the one lock inside, so
// any thread may record or read at any time; the end of the run reads it
// after the worker has ended.
#pragma once
#include <windows.h>

enum LedgerKind {
    LEDGER_FILE, LEDGER_FOLDER, LEDGER_KEY, LEDGER_VALUE, LEDGER_SERVICE, LEDGER_VARIABLE,
    LEDGER_SHORTCUT,                 // the deletions above are counted as deleted / would delete
    LEDGER_PROGRAM,                  // an outside program or library entry started
    LEDGER_PROCESS,                  // a process ended
    LEDGER_SECURITY,                 // an owner or access list set
    LEDGER_WRITE,                    // a registry value or a file written
    LEDGER_KIND_COUNT
};

enum LedgerOutcome {
    LEDGER_DONE,      // changed
    LEDGER_WOULD,     // a preview: would have been changed
    LEDGER_FAILED,    // tried, the system refused (Error holds its code)
    LEDGER_REFUSED,   // refused by the deletion guard, never tried
    LEDGER_IN_USE,    // held open by a running program
    LEDGER_OUTCOME_COUNT
};

struct LedgerTotals {
    long Deleted;      // deletions done (kinds up to LEDGER_SHORTCUT)
    long WouldDelete;  // deletions a preview would have done
    long Changed;      // other changes done
    long WouldChange;  // other changes a preview would have done
    long Failed;
    long Refused;
    long InUse;
};

struct LedgerItem {
    int Kind;
    int Outcome;
    DWORD Error;       // the system's code for LEDGER_FAILED, else 0
    char Target[516];  // the path, key or name, cut to fit
};

void LedgerReset();
// Records one item. DONE items are only counted; every other outcome is kept
// (in the order met) so that the end of the run can name it.
void LedgerRecord(int kind, int outcome, const char *target, DWORD error = 0);
void LedgerGetTotals(LedgerTotals *totals);
// The kept items: every outcome but DONE, in the order recorded.
int LedgerItemCount();
int LedgerItemAt(int index, LedgerItem *item);
// The latest kept item for this target (paths compared without case, by
// character); 0 when none.
int LedgerFind(const char *target, LedgerItem *item);
// A preview: 1 when this file, folder or key was recorded as LEDGER_WOULD.
int LedgerWouldGo(const char *target);
// A preview: the number of LEDGER_WOULD items directly in this folder (a
// folder's probe compares it with what the folder holds).
long LedgerWouldGoIn(const char *folder);
