// The report of what stayed: the product's places, each remaining item with
// its reason, then the ledger's items (what the run tried and could not do)
// that the places did not show.
#include "app/leftovers.h"
#include "app/productnames.h"
#include "core/ledger.h"
#include "core/machine.h"
#include "core/mbchar.h"
#include "core/runstate.h"
#include "core/text.h"
#include "engine/worker.h"
#include <shlobj.h>
#include <string.h>
#include <new>
#include <unordered_set>

namespace {

// A folder walk looks at this many entries at most (the product's own trees
// hold a few thousand).
enum { WALK_LIMIT = 100000 };

const char kProductKey[] = "HKLM\\" VL_PRODUCT_KEY;
const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvik Varolink Client V5.1";
const char *const kEnvironmentKey = VL_ENVIRONMENT_KEY;
const char *const kServices[] = {"NorvikVarolink", "VarolinkServices"};

std::string Folded(const std::string &text)
{
    std::string key;
    for (const char *p = text.c_str(); *p;) {
        const char *next = MbNext(p);
        if (next - p == 1) key += (char)MbFoldAscii((unsigned char)*p);
        else key.append(p, next - p);
        p = next;
    }
    return key;
}

// path lies in folder (or is it), compared without case, by character.
bool InFolder(const std::string &path, const char *folder)
{
    size_t n = strlen(folder);
    if (!n || path.size() < n || !MbIsBoundary(path.c_str(), n) || !MbEqualNoCaseN(folder, path.c_str(), n))
        return false;
    return path.size() == n || path[n] == '\\';
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct Inspection {
    LeftoverReport *Report;
    std::unordered_set<std::string> Seen;   // folded paths already reported
    std::unordered_set<std::string> Skip;   // folded paths never reported
    std::vector<std::string> OwnRoots;      // folders reported as one item, not walked into
    long Walked;
    BOOL Whole;        // a whole-product removal ran: what stays is judged item by item
    BOOL DataKept;
    BOOL Preview;
};

void Add(Inspection &in, int kind, int reason, DWORD error, const std::string &path)
{
    if (!in.Seen.insert(Folded(path)).second) return;
    LeftoverReport &r = *in.Report;
    r.Count[reason]++;
    r.Total++;
    if (r.Items.size() < LEFTOVER_LIST_LIMIT) r.Items.push_back({kind, reason, error, path});
    else r.NotListed++;
}

int ReasonOfOutcome(int outcome)
{
    switch (outcome) {
    case LEDGER_IN_USE: return REASON_IN_USE;
    case LEDGER_REFUSED: return REASON_REFUSED;
    case LEDGER_FAILED: return REASON_FAILED;
    default: return -1;
    }
}

// The reason the ledger gives for a target it kept, under any of its names.
bool LedgerReason(const std::vector<std::string> &names, int *reason, DWORD *error)
{
    LedgerItem item;
    for (const std::string &name : names) {
        if (!LedgerFind(name.c_str(), &item)) continue;
        int r = ReasonOfOutcome(item.Outcome);
        if (r < 0) continue;
        *reason = r;
        *error = item.Error;
        return true;
    }
    return false;
}

bool WouldGo(const Inspection &in, const std::vector<std::string> &names)
{
    if (!in.Preview) return false;
    for (const std::string &name : names)
        if (LedgerWouldGo(name.c_str())) return true;
    return false;
}

// A key's names as the ledger may hold them: "HKLM\x" and "x".
std::vector<std::string> KeyNames(const std::string &subKey)
{
    return {"HKLM\\" + subKey, "HKEY_LOCAL_MACHINE\\" + subKey, subKey};
}

bool KeyExists(const char *subKey)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool ServiceExists(const char *name)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager) return false;
    SC_HANDLE service = OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    if (service) CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return service != NULL;
}

// A file or folder held open by another program: opening it for deletion,
// sharing everything, meets a sharing violation. Nothing is changed.
bool HeldOpen(const std::string &path, bool folder)
{
    DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    HANDLE h = CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, flags, NULL);
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

// The ledger's items that are still there: what the run tried and could not do.
void FromLedger(Inspection &in)
{
    int count = LedgerItemCount();
    LedgerItem item;
    for (int i = 0; i < count; i++) {
        if (!LedgerItemAt(i, &item)) continue;
        int reason = ReasonOfOutcome(item.Outcome);
        if (reason < 0) continue;
        std::string target = item.Target;
        // The latest word on a target counts (a retry may have succeeded).
        LedgerItem latest;
        if (LedgerFind(item.Target, &latest) && latest.Outcome != item.Outcome) continue;
        int kind;
        switch (item.Kind) {
        case LEDGER_FILE: kind = LEFT_FILE; break;
        case LEDGER_FOLDER: kind = LEFT_FOLDER; break;
        case LEDGER_SHORTCUT: kind = LEFT_SHORTCUT; break;
        case LEDGER_KEY: kind = LEFT_KEY; break;
        case LEDGER_VALUE: kind = LEFT_VALUE; break;
        case LEDGER_SERVICE: kind = LEFT_SERVICE; break;
        case LEDGER_VARIABLE: kind = LEFT_VARIABLE; break;
        default: continue;   // programs started, processes, access lists, writes: nothing that stays
        }
        if ((kind == LEFT_FILE || kind == LEFT_FOLDER || kind == LEFT_SHORTCUT) && !Exists(target)) continue;
        if (kind == LEFT_SERVICE && !ServiceExists(target.c_str())) continue;
        if (in.Skip.count(Folded(target))) continue;
        Add(in, kind, reason, item.Error, target);
    }
}

// A file (or a link, or an unlistable folder) met by a walk below root.
int Classify(const Inspection &in, const std::string &path, const char *root, bool folder, DWORD *error)
{
    int reason;
    *error = 0;
    if (LedgerReason({path}, &reason, error)) return reason;
    if (gRun.UninstFolder[0] && InFolder(path, gRun.UninstFolder)) return REASON_INSTALLER;
    if (!in.Preview && HeldOpen(path, folder)) return REASON_IN_USE;
    if (InFolder(path, gRun.ProductWorkPath) && in.DataKept) return REASON_KEPT;
    if (ProductListNames(root, path.c_str()) || (folder && ProductListNamesBelow(root, path.c_str())))
        return REASON_INSTALLER;
    return REASON_NOT_PRODUCT;
}

void Walk(Inspection &in, const std::string &folder, const char *root, int kind)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        if (++in.Walked > WALK_LIMIT) {
            in.Report->WalkCut = TRUE;
            break;
        }
        std::string path = folder + "\\" + found.cFileName;
        std::string key = Folded(path);
        if (in.Skip.count(key) || in.Seen.count(key) || WouldGo(in, {path})) continue;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        bool ownRoot = false;
        for (const std::string &other : in.OwnRoots) ownRoot |= Folded(other) == key;
        if (ownRoot) continue;
        int reason;
        DWORD error = 0;
        if (isFolder && !link) {
            // A folder is reported itself only when the ledger names it;
            // otherwise what it holds is.
            if (LedgerReason({path}, &reason, &error)) Add(in, LEFT_FOLDER, reason, error, path);
            else Walk(in, path, root, kind);
            continue;
        }
        reason = Classify(in, path, root, isFolder, &error);
        Add(in, isFolder ? LEFT_FOLDER : kind, reason, error, path);
    } while (!in.Report->WalkCut && FindNextFileA(find, &found));
    FindClose(find);
}

// A folder the run keeps as a whole (reported as one item), or walks.
void Folder(Inspection &in, const char *folder, bool walk, int kind = LEFT_FILE)
{
    if (!folder[0] || !Exists(folder) || in.Skip.count(Folded(folder)) || WouldGo(in, {folder})) return;
    if (!walk) {
        Add(in, LEFT_FOLDER, REASON_KEPT, 0, folder);
        return;
    }
    int reason;
    DWORD error = 0;
    if (LedgerReason({folder}, &reason, &error)) {
        Add(in, LEFT_FOLDER, reason, error, folder);
        return;
    }
    Walk(in, folder, folder, kind);
}

void Registry(Inspection &in)
{
    int otherwise = in.Whole ? REASON_INSTALLER : REASON_KEPT;
    HKEY key;
    // Kept as a whole, the product's key is one item.
    if (!in.Whole) {
        if (KeyExists(VL_PRODUCT_KEY)) Add(in, LEFT_KEY, REASON_KEPT, 0, kProductKey);
    } else if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        char name[VL_PATH_SIZE];
        for (DWORD i = 0;; i++) {
            DWORD size = sizeof name;
            LONG status = RegEnumKeyExA(key, i, name, &size, NULL, NULL, NULL, NULL);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) break;
            std::string sub = std::string(VL_PRODUCT_KEY) + "\\" + name;
            if (WouldGo(in, KeyNames(sub))) continue;
            int reason;
            DWORD error = 0;
            if (!LedgerReason(KeyNames(sub), &reason, &error))
                reason = in.DataKept && TextEqualNoCase(name, "Configuration") ? REASON_KEPT : otherwise;
            Add(in, LEFT_KEY, reason, error, "HKLM\\" + sub);
        }
        RegCloseKey(key);
        if (!WouldGo(in, KeyNames(VL_PRODUCT_KEY))) Add(in, LEFT_KEY, otherwise, 0, kProductKey);
    }
    if (KeyExists(kUninstallEntry) && !WouldGo(in, KeyNames(kUninstallEntry)))
        Add(in, LEFT_KEY, otherwise, 0, std::string("HKLM\\") + kUninstallEntry);
}

void Services(Inspection &in)
{
    for (const char *name : kServices) {
        if (!ServiceExists(name) || WouldGo(in, {name})) continue;
        int reason;
        DWORD error = 0;
        if (!LedgerReason({name}, &reason, &error)) reason = in.Whole ? REASON_INSTALLER : REASON_KEPT;
        Add(in, LEFT_SERVICE, reason, error, name);
    }
}

// Entries of the system environment that name the program or data folder,
// read as the run left them (a preview: as it would have set them).
void Environment(Inspection &in)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEnvironmentKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    std::vector<char> data(32768);
    char name[VL_PATH_SIZE];
    for (DWORD i = 0;; i++) {
        DWORD nameSize = sizeof name;
        LONG status = RegEnumValueA(key, i, name, &nameSize, NULL, NULL, NULL, NULL);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) break;
        DWORD size = (DWORD)data.size() - 1, type = 0;
        if (MachineQueryValue(key, kEnvironmentKey, name, &type, (BYTE *)data.data(), &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        data[size < data.size() ? size : data.size() - 1] = 0;
        for (const char *entry = data.data(); *entry;) {
            const char *end = MbFindChar(entry, ';');
            std::string text = end ? std::string(entry, end - entry) : std::string(entry);
            entry = end ? end + 1 : entry + text.size();
            bool product = (gRun.ProgramFilesPath[0] && InFolder(text, gRun.ProgramFilesPath)) ||
                           (gRun.ProductWorkPath[0] && InFolder(text, gRun.ProductWorkPath));
            if (!product) continue;
            int reason;
            DWORD error = 0;
            if (!LedgerReason({name}, &reason, &error)) reason = in.Whole ? REASON_INSTALLER : REASON_KEPT;
            Add(in, LEFT_VARIABLE, reason, error, std::string(name) + "=" + text);
        }
    }
    RegCloseKey(key);
}

void Inspect(Inspection &in)
{
    const char *P = gRun.ProgramFilesPath, *D = gRun.ProductWorkPath, *G = gRun.LogDefaultPath;
    char menu[MAX_PATH + 1] = "", programs[MAX_PATH + 1];
    if (gRun.ProgramFolderName[0] && SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, programs) == S_OK &&
        !FormatText(menu, sizeof menu, "%s\\%s", programs, gRun.ProgramFolderName))
        menu[0] = 0;
    if (!in.Whole) {
        // Nothing of the product was meant to go beyond what the ledger
        // names: its folders stay as a whole, each one item.
        Folder(in, P, false);
        if (!InFolder(D, P)) Folder(in, D, false);
        if (!InFolder(G, D) && !InFolder(G, P)) Folder(in, G, false);
        Folder(in, menu, false);
    } else {
        // The data and log folders kept by choice are one item each; what
        // else stays is looked at item by item.
        if (in.DataKept) {
            for (const char *folder : {D, G})
                if (folder[0]) in.OwnRoots.push_back(folder);
            Folder(in, D, false);
            if (!InFolder(G, D)) Folder(in, G, false);
        }
        Folder(in, P, true);
        if (!in.DataKept) {
            if (!InFolder(D, P)) Folder(in, D, true);
            if (!InFolder(G, D) && !InFolder(G, P)) Folder(in, G, true);
        }
        Folder(in, menu, true, LEFT_SHORTCUT);
    }
    Registry(in);
    Services(in);
    Environment(in);
    // Last: what the ledger names that no walk met (outside the product's
    // folders, or inside a folder kept as a whole). Met by a walk, an item
    // carries its name as it is on disk; here, as the run named it.
    FromLedger(in);
}

}  // namespace

int InspectLeftovers(LeftoverReport *report, const std::vector<std::string> &skipPaths)
{
    report->Items.clear();
    memset(report->Count, 0, sizeof report->Count);
    report->Total = report->NotListed = 0;
    report->WalkCut = FALSE;
    try {
        Inspection in;
        in.Report = report;
        in.Walked = 0;
        in.Preview = gRun.Preview;
        // Nothing was removed when no removal started: the product stays as it was.
        in.Whole = gRun.RemoveWholeProduct && RemovalWorkerStarted();
        in.DataKept = !gRun.RemoveAllWithData;
        for (const std::string &path : skipPaths)
            if (!path.empty()) in.Skip.insert(Folded(path));
        Inspect(in);
        return 1;
    } catch (...) {
        return 0;
    }
}

const char *LeftoverReasonName(int reason)
{
    static const char *const kNames[REASON_COUNT] = {"kept", "installer", "in-use", "refused", "failed",
                                                     "not-product"};
    return reason >= 0 && reason < REASON_COUNT ? kNames[reason] : "";
}

const char *LeftoverKindName(int kind)
{
    static const char *const kNames[LEFT_KIND_COUNT] = {"file", "folder", "key", "value", "service", "variable",
                                                        "shortcut"};
    return kind >= 0 && kind < LEFT_KIND_COUNT ? kNames[kind] : "";
}
