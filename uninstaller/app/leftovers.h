// What of the product is still on the machine at the end of a run, and why:
// the program, data and log folders, the uninstallation folder, the
// product's Start-menu folder, its registry tree and uninstall entry, its
// services and the environment entries that name its folders. A preview
// looks at what would stay: what it recorded as going is passed over.
//
// Threads: the end of the run (GUI thread), after the removal worker stopped.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

enum LeftoverKind { LEFT_FILE, LEFT_FOLDER, LEFT_KEY, LEFT_VALUE, LEFT_SERVICE, LEFT_VARIABLE, LEFT_SHORTCUT,
                    LEFT_KIND_COUNT };

enum LeftoverReason {
    REASON_KEPT,          // kept by choice: data kept, components not chosen, nothing removed
    REASON_INSTALLER,     // a whole-product removal leaves it to the installer's uninstall program
    REASON_IN_USE,        // held open by a running program
    REASON_REFUSED,       // refused by the deletion guard
    REASON_FAILED,        // the system refused its deletion (Error)
    REASON_NOT_PRODUCT,   // named by no list: somebody else's file in the product's folders
    REASON_COUNT
};

// Items listed, at most; the ones beyond are counted only.
enum { LEFTOVER_LIST_LIMIT = 500 };

struct LeftoverItem {
    int Kind;
    int Reason;
    DWORD Error;          // for REASON_FAILED, else 0
    std::string Path;     // in the system's code page
};

struct LeftoverReport {
    std::vector<LeftoverItem> Items;   // in the order found, at most LEFTOVER_LIST_LIMIT
    long Count[REASON_COUNT];          // every item found, listed or not
    long Total;
    long NotListed;                    // found beyond the limit
    BOOL WalkCut;                      // a folder walk met its limit: more may stay
};

// Looks. skipPaths: files of the run itself (its log, its receipt) that are
// never reported. 1 / 0 (0: out of memory; what was found so far stays).
int InspectLeftovers(LeftoverReport *report, const std::vector<std::string> &skipPaths);

// The reason's name in the receipt ("kept", "installer", "in-use",
// "refused", "failed", "not-product") and the kind's ("file", "folder",
// "key", "value", "service", "variable", "shortcut").
const char *LeftoverReasonName(int reason);
const char *LeftoverKindName(int kind);

// The log's closing section: a count per reason and the first items of each.
void LogLeftovers(const LeftoverReport &report);
