// The run's ledger: totals, the items not done, and a preview's would-go set.
#include "core/ledger.h"
#include "core/mbchar.h"
#include "core/text.h"
#include <string.h>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

struct KeptItem {
    int Kind;
    int Outcome;
    DWORD Error;
    std::string Target;
};

// Guarded by Lock(); see the header for the threads.
LedgerTotals sTotals;
std::vector<KeptItem> sKept;
std::unordered_map<std::string, size_t> sLatest;            // folded target -> index in sKept
std::unordered_map<std::string, long> sWouldGoIn;           // folded folder -> would-go count
std::unordered_map<std::string, int> sWouldGo;              // folded target -> 1

// Made before main runs, while the process has one thread.
struct LedgerLock {
    CRITICAL_SECTION Section;
    LedgerLock() { InitializeCriticalSection(&Section); }
} sLock;

CRITICAL_SECTION *Lock() { return &sLock.Section; }

// The comparison key of a path: single-byte A-Z folded, a trailing separator dropped.
std::string Folded(const char *text)
{
    std::string key = text;
    LowerText(&key[0]);
    if (key.size() > 3 && key[key.size() - 1] == '\\' && MbIsBoundary(key.c_str(), key.size() - 1))
        key.erase(key.size() - 1);
    return key;
}

std::string ParentOf(const std::string &key)
{
    const char *last = MbFindLastChar(key.c_str(), '\\');
    return last ? key.substr(0, last - key.c_str()) : std::string();
}

int IsDeletion(int kind) { return kind <= LEDGER_SHORTCUT; }

}  // namespace

void LedgerReset()
{
    EnterCriticalSection(Lock());
    memset(&sTotals, 0, sizeof sTotals);
    sKept.clear();
    sLatest.clear();
    sWouldGoIn.clear();
    sWouldGo.clear();
    LeaveCriticalSection(Lock());
}

void LedgerRecord(int kind, int outcome, const char *target, DWORD error)
{
    if (!target) target = "";
    EnterCriticalSection(Lock());
    switch (outcome) {
    case LEDGER_DONE: ++*(IsDeletion(kind) ? &sTotals.Deleted : &sTotals.Changed); break;
    case LEDGER_WOULD: ++*(IsDeletion(kind) ? &sTotals.WouldDelete : &sTotals.WouldChange); break;
    case LEDGER_FAILED: ++sTotals.Failed; break;
    case LEDGER_REFUSED: ++sTotals.Refused; break;
    case LEDGER_IN_USE: ++sTotals.InUse; break;
    }
    if (outcome != LEDGER_DONE) {
        std::string key = Folded(target);
        KeptItem item = {kind, outcome, outcome == LEDGER_FAILED ? error : 0, target};
        sKept.push_back(item);
        sLatest[key] = sKept.size() - 1;
        if (outcome == LEDGER_WOULD && IsDeletion(kind) && !sWouldGo.count(key)) {
            sWouldGo[key] = 1;
            ++sWouldGoIn[ParentOf(key)];
        }
    }
    LeaveCriticalSection(Lock());
}

void LedgerGetTotals(LedgerTotals *totals)
{
    EnterCriticalSection(Lock());
    *totals = sTotals;
    LeaveCriticalSection(Lock());
}

static void CopyItem(const KeptItem &from, LedgerItem *item)
{
    item->Kind = from.Kind;
    item->Outcome = from.Outcome;
    item->Error = from.Error;
    CopyText(item->Target, sizeof item->Target, from.Target.c_str());
    MbDropCutLead(item->Target);
}

int LedgerItemCount()
{
    EnterCriticalSection(Lock());
    int count = (int)sKept.size();
    LeaveCriticalSection(Lock());
    return count;
}

int LedgerItemAt(int index, LedgerItem *item)
{
    EnterCriticalSection(Lock());
    int found = index >= 0 && (size_t)index < sKept.size();
    if (found) CopyItem(sKept[index], item);
    LeaveCriticalSection(Lock());
    return found;
}

int LedgerFind(const char *target, LedgerItem *item)
{
    std::string key = Folded(target ? target : "");
    EnterCriticalSection(Lock());
    auto at = sLatest.find(key);
    int found = at != sLatest.end();
    if (found && item) CopyItem(sKept[at->second], item);
    LeaveCriticalSection(Lock());
    return found;
}

int LedgerWouldGo(const char *target)
{
    std::string key = Folded(target ? target : "");
    EnterCriticalSection(Lock());
    int found = sWouldGo.count(key) != 0;
    LeaveCriticalSection(Lock());
    return found;
}

long LedgerWouldGoIn(const char *folder)
{
    std::string key = Folded(folder ? folder : "");
    EnterCriticalSection(Lock());
    auto at = sWouldGoIn.find(key);
    long count = at == sWouldGoIn.end() ? 0 : at->second;
    LeaveCriticalSection(Lock());
    return count;
}
