#include "app/runrecord.h"
#include "app/leftovers.h"
#include "app/productnames.h"
#include "app/receipt.h"
#include "core/log.h"
#include "core/mbchar.h"
#include "core/pathguard.h"
#include "core/response.h"
#include "core/runstate.h"
#include "core/text.h"
#include <string.h>
#include <new>

namespace {

// The receipt written as the removal started, when it was ("" otherwise).
char sEarlyReceipt[VL_PATH_SIZE];

// "x.txt" -> "x.json"; a name without an extension gets one.
int WithJsonExtension(const char *path, char *out)
{
    if (!CopyText(out, VL_PATH_SIZE, path)) return 0;
    char *slash = MbFindLastChar(out, '\\');
    char *dot = MbFindLastChar(slash ? slash + 1 : out, '.');
    if (dot) *dot = 0;
    return AppendText(out, VL_PATH_SIZE, ".json");
}

// A full path of a local drive ("C:\..."), or a plain file name.
bool FullPath(const char *value) { return value[0] && value[1] == ':' && value[2] == '\\'; }

// Where the receipt goes: the response file's "Receipt" (a full path, or a
// name for the log's folder), else beside the log with the extension
// ".json", else (no log, or a log the run deletes with its folder) in the
// Windows folder under the log's name. A preview without a log of its own
// writes there too: the receipt beside the default log is the last real
// run's, and a preview changes nothing of another run's.
int ReceiptPath(const char *logPath, BOOL logGoes, BOOL quiet, char *out)
{
    char folder[VL_PATH_SIZE] = "";
    if (logPath[0] && !logGoes && !(gRun.Preview && gRun.DefaultLogUsed)) {
        CopyText(folder, sizeof folder, logPath);
        char *slash = MbFindLastChar(folder, '\\');
        if (slash) *slash = 0;
        else folder[0] = 0;
    }
    if (!folder[0]) CopyText(folder, sizeof folder, gRun.WindowsDir);

    char value[VL_TEXT_SIZE];
    if (gRun.SilentMode && ResponseValue("Varolink", "Receipt", value)) {
        if (FullPath(value) && !MbFindText(value, "\\..") && CopyText(out, VL_PATH_SIZE, value)) return 1;
        if (!MbFindChar(value, '\\') && !MbFindChar(value, ':') && strcmp(value, ".") && strcmp(value, "..") &&
            FormatText(out, VL_PATH_SIZE, "%s\\%s", folder, value))
            return 1;
        if (!quiet) LogLineF("***Receipt path '%s' not valid; the receipt goes beside the log", value);
    }
    const char *slash = logPath[0] ? MbFindLastChar(logPath, '\\') : NULL;
    const char *name = logPath[0] ? (slash ? slash + 1 : logPath) : VL_LOG_FILE_NAME;
    char file[VL_PATH_SIZE];
    return WithJsonExtension(name, file) && FormatText(out, VL_PATH_SIZE, "%s\\%s", folder, file);
}

}  // namespace

void RunRecordStart()
{
    ReceiptNoteStart();
    sEarlyReceipt[0] = 0;
}

void RunRecordRemovalStarts()
{
    // The lists go with the removal: what they name is taken now.
    NoteProductListNames(gRun.UninstFolder);
    char logPath[VL_PATH_SIZE], path[VL_PATH_SIZE];
    LogCurrentPath(logPath);
    if (!ReceiptPath(logPath, FALSE, TRUE, path)) return;
    ReceiptFacts facts = {FALSE, 0, logPath, FALSE, path, NULL};
    DWORD error;
    if (WriteReceipt(facts, &error)) CopyText(sEarlyReceipt, sizeof sEarlyReceipt, path);
}

void RunRecordEnd(int exitCode, BOOL logGoes, BOOL inspect)
{
    char logPath[VL_PATH_SIZE], path[VL_PATH_SIZE];
    LogCurrentPath(logPath);
    if (!ReceiptPath(logPath, logGoes, FALSE, path)) {
        LogLine("***Receipt not written: its path is too long");
        return;
    }
    LeftoverReport *report = NULL;
    if (inspect) {
        report = new (std::nothrow) LeftoverReport;
        // The run's own files are not leftovers.
        std::vector<std::string> own;
        try {
            own = {logPath, path, sEarlyReceipt};
        } catch (...) {
        }
        if (report && !InspectLeftovers(report, own)) LogLine("***What stayed could not all be looked at: out of memory");
        if (report) LogLeftovers(*report);
    }
    ReceiptFacts facts = {TRUE, exitCode, logPath, logGoes, path, report};
    DWORD error;
    if (WriteReceipt(facts, &error)) {
        LogLineF("Receipt written: '%s'", path);
        // The early receipt stood elsewhere (the data folder the run removes): it goes.
        if (sEarlyReceipt[0] && !TextEqualNoCase(sEarlyReceipt, path) && GuardFile(sEarlyReceipt))
            DeleteFileA(sEarlyReceipt);
    } else {
        LogLineF("***Receipt not written: '%s' (error %lu)", path, error);
    }
    delete report;
}
