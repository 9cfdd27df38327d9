// Ask-delete-VL-data and Ask-delete-Web-Administration-data: keep or delete
// the queue managers' data, or the Web Administration user data.
#include "core/log.h"
#include "core/response.h"
#include "core/runstate.h"
#include "core/text.h"
#include "wizard/nlsids.h"
#include "wizard/page.h"
#include "wizard/pages.h"

struct DataQuestion {
    BOOL *Flag;
    const char *Keyword;       // stanza "Components"
    const char *DeletingLine;
    const char *KeepingLine;
};

static const DataQuestion kVlData = {&gRun.DeleteQueueManagerData, "Server", "Deleting QM data", "Keeping VL data"};
static const DataQuestion kWebAdminData = {&gRun.DeleteWebAdminData, "Web Administration Server",
                                           "Deleting Web Administration data", "Keeping Web Administration data"};

static void PresetDataOption(HWND page, const DataQuestion &question)
{
    if (gRun.SilentMode) return;
    CheckRadioButton(page, IDC_OPTION_KEEP_DATA, IDC_OPTION_DELETE_DATA,
                     *question.Flag ? IDC_OPTION_DELETE_DATA : IDC_OPTION_KEEP_DATA);
}

static int DataNext(HWND page, const DataQuestion &question, WPARAM *choice)
{
    if (gRun.SilentMode) {
        char value[VL_TEXT_SIZE];
        *question.Flag = ResponseLookup("Components", question.Keyword, value) && TextEqualNoCase(value, "REMOVEDATA");
    } else {
        *question.Flag = IsDlgButtonChecked(page, IDC_OPTION_DELETE_DATA) == BST_CHECKED;
    }
    LogLine(*question.Flag ? question.DeletingLine : question.KeepingLine);
    *choice = IDC_OPTION_KEEP_DATA;
    return 1;
}

static void InitVlData(HWND page) { PresetDataOption(page, kVlData); }
static int VlDataNext(HWND page, WPARAM *choice) { return DataNext(page, kVlData, choice); }
static void InitWebAdminData(HWND page) { PresetDataOption(page, kWebAdminData); }
static int WebAdminDataNext(HWND page, WPARAM *choice) { return DataNext(page, kWebAdminData, choice); }

static const PageDefinition kVlDataPage = {
    "->Ask-delete-VL-data dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, InitVlData, VlDataNext, NULL};
static const PageDefinition kWebAdminDataPage = {
    "->Ask-delete-Web-Administration-data dialog", PAGE_PICTURE_BITMAP, FALSE, FALSE, InitWebAdminData,
    WebAdminDataNext, NULL};

INT_PTR CALLBACK AskDeleteVlDataPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kVlDataPage, page, message, wParam, lParam);
}

INT_PTR CALLBACK AskDeleteWebAdminDataPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    return RunPageSkeleton(&kWebAdminDataPage, page, message, wParam, lParam);
}
