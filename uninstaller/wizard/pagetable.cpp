#include "wizard/pagetable.h"
#include "wizard/checkpages.h"
#include "wizard/nlsids.h"
#include "wizard/pages.h"

// Each page's procedure is listed here as its page is built.
DLGPROC PageProcedure(int templateId)
{
    switch (templateId) {
    case IDD_MAIN:
    case IDD_MAIN_ALTERNATE: return MainPageProc;
    case IDD_CONFIRM_DELETE_KEEP:
    case IDD_CONFIRM_DELETE_DATA: return ConfirmDeleteAllPageProc;
    case IDD_SELECT_COMPONENTS: return SelectComponentsPageProc;
    case IDD_CONFIRM_COMPONENTS: return ConfirmComponentsPageProc;
    case IDD_ASK_DELETE_VL_DATA: return AskDeleteVlDataPageProc;
    case IDD_ASK_DELETE_WEBADMIN: return AskDeleteWebAdminDataPageProc;
    case IDD_DELETING_COMPONENT: return DeletingComponentPageProc;
    case IDD_DELETING_ALL: return DeletingAllPageProc;
    case IDD_COMPONENT_DELETION_DONE: return ComponentDeletionCompletePageProc;
    case IDD_ALL_DELETION_DONE: return AllDeletionCompletePageProc;
    case IDD_VL_RUNNING: return VlRunningPageProc;
    case IDD_PERFMON_RUNNING: return PerfMonitorPageProc;
    case IDD_CHECKING_LOCKED_FILES: return CheckingLockedFilesPageProc;
    case IDD_LOCKED_FILES_FOUND: return LockedFilesFoundPageProc;
    default: return NULL;
    }
}
