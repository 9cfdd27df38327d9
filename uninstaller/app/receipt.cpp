// The receipt's layout, filled from the run state, the component table, the
// ledger's totals and the report of what stayed, and written with the JSON
// library. Every text of the program is in the system's code page; it is
// made UTF-8 before the library sees it.
#include "app/receipt.h"
#include "core/ledger.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/utf8.h"
#include "engine/worker.h"
#include <nlohmann/json.hpp>
#include <stdio.h>
#include <string.h>
#include <exception>

using Json = nlohmann::ordered_json;

namespace {

const char kProgramVersion[] = "5.1.0";
// A file in the receipt's place is replaced only when it begins like one.
const char kMarker[] = "\"ReceiptVersion\"";

SYSTEMTIME sStarted;

std::string Utc(const SYSTEMTIME &t)
{
    char text[32];
    FormatText(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
               t.wSecond);
    return text;
}

// Code-page text as UTF-8; a text the system cannot convert keeps its ASCII
// characters and shows "?" for the others.
std::string U(const char *text)
{
    std::string out;
    if (AnsiToUtf8(text, &out)) return out;
    out.clear();
    for (const char *p = text; p && *p; p++) out += (unsigned char)*p < 0x80 ? *p : '?';
    return out;
}

Json TextOrNull(const char *text) { return text && text[0] ? Json(U(text)) : Json(nullptr); }

const char *Mode() { return gRun.Preview ? "preview" : gRun.SilentMode ? "silent" : "interactive"; }

Json Option()
{
    if (gRun.RemoveAllWithData) return "REMOVEDATA";
    if (gRun.RemoveAllKeepData) return "REMOVE";
    if (gRun.RemoveSelected) return "REMOVECOMPONENTS";
    return nullptr;   // the run ended before the choice
}

const char *ComponentResult(const Component &c, int index, BOOL ended)
{
    BOOL present = c.Installed || c.Incomplete;
    if (c.Selected) {
        switch (ended ? ComponentRemovalProgress(index) : COMPONENT_BEGUN) {
        case COMPONENT_FINISHED: return "removed";
        case COMPONENT_BEGUN:
        case COMPONENT_FINISHED_FAILED: return "incomplete";
        default: break;   // chosen, never reached: untouched
        }
    }
    return present ? "kept" : "not installed";
}

Json Components(BOOL ended)
{
    Json list = Json::array();
    for (int i = 0; i < COMPONENT_COUNT; i++) {
        const Component &c = gComponents[i];
        if (!c.ValueName) continue;
        list.push_back({{"Name", U(c.ValueName)},
                        {"Installed", c.Installed || c.Incomplete ? true : false},
                        {"Chosen", c.Selected ? true : false},
                        {"Result", ComponentResult(c, i, ended)}});
    }
    return list;
}

Json Counts()
{
    LedgerTotals t;
    LedgerGetTotals(&t);
    return {{"Deleted", t.Deleted},   {"WouldDelete", t.WouldDelete}, {"Changed", t.Changed},
            {"WouldChange", t.WouldChange}, {"Failed", t.Failed},     {"Refused", t.Refused},
            {"InUse", t.InUse}};
}

Json Mif()
{
    if (!gRun.MifName[0]) return nullptr;
    char name[VL_PATH_SIZE], path[VL_PATH_SIZE];
    CopyText(name, sizeof name, gRun.MifName);
    size_t n = strlen(name);
    if (n > 4 && TextEqualNoCase(name + n - 4, ".mif")) name[n - 4] = 0;
    if (!FormatText(path, sizeof path, "%s\\%s.mif", gRun.WindowsDir, name)) return nullptr;
    // A whole-product removal hands the name to the installer's uninstall program.
    Json writer = gRun.RemoveWholeProduct ? Json("installer") : gRun.RemoveSelected ? Json("uninstaller") : Json(nullptr);
    return {{"Path", U(path)}, {"WrittenBy", writer}};
}

Json Leftovers(const LeftoverReport *report)
{
    if (!report) return nullptr;
    Json counts = Json::object();
    for (int reason = 0; reason < REASON_COUNT; reason++) counts[LeftoverReasonName(reason)] = report->Count[reason];
    Json items = Json::array();
    for (const LeftoverItem &item : report->Items) {
        Json entry = {{"Kind", LeftoverKindName(item.Kind)}, {"Path", U(item.Path.c_str())},
                      {"Reason", LeftoverReasonName(item.Reason)}};
        if (item.Reason == REASON_FAILED) entry["Error"] = item.Error;
        items.push_back(entry);
    }
    return {{"Total", report->Total}, {"NotListed", report->NotListed}, {"WalkCut", report->WalkCut ? true : false},
            {"Counts", counts}, {"Items", items}};
}

std::string Build(const ReceiptFacts &facts)
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    Json receipt = {
        {"ReceiptVersion", (int)RECEIPT_VERSION},
        {"Program", "avliunin"},
        {"ProgramVersion", kProgramVersion},
        {"StartTime", Utc(sStarted)},
        {"EndTime", facts.Ended ? Json(Utc(now)) : Json(nullptr)},
        {"Ended", facts.Ended ? true : false},
        {"Mode", Mode()},
        {"Option", Option()},
        {"DeleteQueueManagerData", gRun.DeleteQueueManagerData ? true : false},
        {"DeleteWebAdminData", gRun.DeleteWebAdminData ? true : false},
        {"Components", Components(facts.Ended)},
        {"Counts", Counts()},
        {"ExitCode", facts.Ended ? Json(facts.ExitCode) : Json(nullptr)},
        {"AllSucceeded", gRun.AllSucceeded ? true : false},
        {"LogPath", TextOrNull(facts.LogPath)},
        {"LogRemoved", facts.LogRemoved ? true : false},
        {"Mif", Mif()},
        {"ReceiptPath", U(facts.ReceiptPath)},
        {"Leftovers", Leftovers(facts.Leftovers)},
    };
    // Strict: text that is not UTF-8 is refused (thrown), never written.
    return receipt.dump(2, ' ', false, Json::error_handler_t::strict) + "\n";
}

// 1 when path is free for the receipt: missing, or an earlier receipt.
int PlaceIsFree(const char *path, DWORD *error)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        *error = ERROR_DIRECTORY;
        return 0;
    }
    FILE *file = fopen(path, "rb");
    char head[128] = "";
    size_t n = file ? fread(head, 1, sizeof head - 1, file) : 0;
    if (file) fclose(file);
    head[n] = 0;
    if (head[0] == '{' && strstr(head, kMarker)) return 1;
    *error = ERROR_FILE_EXISTS;
    return 0;
}

int WriteFileWhole(const char *path, const std::string &text, DWORD *error)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return 0;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), (DWORD)text.size(), &written, NULL) && written == text.size();
    if (!ok) *error = GetLastError();
    if (!CloseHandle(file) && ok) {
        *error = GetLastError();
        ok = FALSE;
    }
    return ok ? 1 : 0;
}

}  // namespace

void ReceiptNoteStart()
{
    GetSystemTime(&sStarted);
}

int WriteReceipt(const ReceiptFacts &facts, DWORD *error)
{
    *error = 0;
    if (!facts.ReceiptPath || !facts.ReceiptPath[0]) {
        *error = ERROR_PATH_NOT_FOUND;
        return 0;
    }
    try {
        if (!PlaceIsFree(facts.ReceiptPath, error)) return 0;
        std::string text = Build(facts);
        return WriteFileWhole(facts.ReceiptPath, text, error);
    } catch (const std::bad_alloc &) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception &) {
        *error = ERROR_INVALID_DATA;
    } catch (...) {
        *error = ERROR_INVALID_DATA;
    }
    return 0;
}
