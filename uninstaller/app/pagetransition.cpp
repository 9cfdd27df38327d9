#include "app/pagetransition.h"

static int CheckChain(const PageFlowState *s)
{
    if (s->ProductIsRunning()) return PAGE_VL_RUNNING;
    if (s->PerfMonitorDllLocked()) return PAGE_PERF_MONITOR_RUNNING;
    return PAGE_CHECKING_LOCKED_FILES;
}

static int AskQm(const PageFlowState *s) { return s->QueueManagersFound && s->ServerSelected; }
static int AskWeb(const PageFlowState *s) { return s->WebAdminDataExists && s->WebAdminSelected; }

static int BackChain(const PageFlowState *s, int flag)
{
    if (AskWeb(s) && s->RemoveSelected) return PAGE_ASK_DELETE_WEB_ADMIN_DATA;
    if (AskQm(s) && s->RemoveSelected) return PAGE_ASK_DELETE_VL_DATA;
    if (s->RemoveSelected) return PAGE_CONFIRM_COMPONENTS_DELETE;
    return flag ? PAGE_CONFIRM_DELETE_ALL_DATA : PAGE_CONFIRM_DELETE_ALL;
}

static int NextAfter(int page, int choice, const PageFlowState *s)
{
    switch (page) {
    case PAGE_NONE: return PAGE_MAIN;
    case PAGE_MAIN:
    case PAGE_MAIN_ALTERNATE:
        if (choice == CHOICE_REMOVE_SELECTED) return PAGE_SELECT_COMPONENTS;
        if (choice == CHOICE_REMOVE_KEEP_DATA) return PAGE_CONFIRM_DELETE_ALL;
        if (choice == CHOICE_REMOVE_WITH_DATA) return PAGE_CONFIRM_DELETE_ALL_DATA;
        return PAGE_NONE;
    case PAGE_SELECT_COMPONENTS: return PAGE_CONFIRM_COMPONENTS_DELETE;
    case PAGE_CONFIRM_DELETE_ALL:
    case PAGE_CONFIRM_DELETE_ALL_DATA: return CheckChain(s);
    case PAGE_CONFIRM_COMPONENTS_DELETE:
        if (AskQm(s)) return PAGE_ASK_DELETE_VL_DATA;
        if (AskWeb(s)) return PAGE_ASK_DELETE_WEB_ADMIN_DATA;
        return CheckChain(s);
    case PAGE_ASK_DELETE_VL_DATA:
        if (AskWeb(s)) return PAGE_ASK_DELETE_WEB_ADMIN_DATA;
        return CheckChain(s);
    case PAGE_ASK_DELETE_WEB_ADMIN_DATA: return CheckChain(s);
    case PAGE_VL_RUNNING:
    case PAGE_PERF_MONITOR_RUNNING: return PAGE_CHECKING_LOCKED_FILES;
    case PAGE_CHECKING_LOCKED_FILES:
        if (s->LockedFilesFound && !s->SilentMode) return PAGE_LOCKED_FILES_FOUND;
        return s->RemoveSelected ? PAGE_DELETING_COMPONENT : PAGE_DELETING_ALL;
    case PAGE_LOCKED_FILES_FOUND: return PAGE_CHECKING_LOCKED_FILES;
    case PAGE_DELETING_COMPONENT: return PAGE_COMPONENT_DELETION_COMPLETE;
    case PAGE_DELETING_ALL: return PAGE_ALL_DELETION_COMPLETE;
    default: return PAGE_NONE;
    }
}

static int BackFrom(int page, const PageFlowState *s)
{
    switch (page) {
    case PAGE_NONE: return PAGE_MAIN;
    case PAGE_SELECT_COMPONENTS: return PAGE_MAIN;
    case PAGE_CONFIRM_DELETE_ALL:
    case PAGE_CONFIRM_DELETE_ALL_DATA: return PAGE_MAIN;
    case PAGE_CONFIRM_COMPONENTS_DELETE: return PAGE_SELECT_COMPONENTS;
    case PAGE_ASK_DELETE_VL_DATA: return PAGE_CONFIRM_COMPONENTS_DELETE;
    case PAGE_ASK_DELETE_WEB_ADMIN_DATA:
        return AskQm(s) && s->RemoveSelected ? PAGE_ASK_DELETE_VL_DATA : PAGE_CONFIRM_COMPONENTS_DELETE;
    case PAGE_VL_RUNNING: return BackChain(s, s->RemoveAllWithData);
    case PAGE_PERF_MONITOR_RUNNING:
        if (s->ProductIsRunning()) return PAGE_VL_RUNNING;
        return BackChain(s, s->DeleteQueueManagerData);
    case PAGE_LOCKED_FILES_FOUND:
        if (s->ProductIsRunning()) return PAGE_VL_RUNNING;
        if (s->PerfMonitorDllLocked()) return PAGE_PERF_MONITOR_RUNNING;
        return BackChain(s, s->DeleteQueueManagerData);
    case PAGE_DELETING_ALL: return PAGE_ALL_DELETION_COMPLETE;
    default: return PAGE_NONE;  // Main, the checking, deleting-component and completion pages
    }
}

int NextPageId(int currentPageId, int how, int choice, const PageFlowState *state)
{
    if (how == HOW_NEXT) return NextAfter(currentPageId, choice, state);
    return BackFrom(currentPageId, state);
}
