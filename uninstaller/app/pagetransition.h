// Which wizard page follows which. No Windows dependency, so the host build
// tests every row of the table.
#pragma once

enum {
    PAGE_NONE = 0,
    PAGE_LOCKED_FILES_FOUND = 21060, PAGE_CHECKING_LOCKED_FILES = 21061,
    PAGE_MAIN_ALTERNATE = 21083, PAGE_SELECT_COMPONENTS = 21084, PAGE_DELETING_COMPONENT = 21085,
    PAGE_COMPONENT_DELETION_COMPLETE = 21086, PAGE_CONFIRM_DELETE_ALL = 21087,
    PAGE_CONFIRM_DELETE_ALL_DATA = 21088, PAGE_DELETING_ALL = 21089, PAGE_MAIN = 21090,
    PAGE_ALL_DELETION_COMPLETE = 21100, PAGE_VL_RUNNING = 21101, PAGE_ASK_DELETE_VL_DATA = 21102,
    PAGE_ASK_DELETE_WEB_ADMIN_DATA = 21103, PAGE_CONFIRM_COMPONENTS_DELETE = 21104,
    PAGE_PERF_MONITOR_RUNNING = 21105
};

enum { HOW_NEXT = 1, HOW_END = 9, HOW_BACK = 12 };
enum { CHOICE_REMOVE_SELECTED = 30256, CHOICE_REMOVE_KEEP_DATA = 30257, CHOICE_REMOVE_WITH_DATA = 30258 };

struct PageFlowState {
    int SilentMode;
    int RemoveSelected;
    int RemoveAllWithData;
    int DeleteQueueManagerData;
    int LockedFilesFound;
    int QueueManagersFound;
    int ServerSelected;
    int WebAdminDataExists;
    int WebAdminSelected;
    // The running tests, evaluated only where the table reaches them.
    int (*ProductIsRunning)(void);
    int (*PerfMonitorDllLocked)(void);
};

// The next page id, 0 = the run ends.
int NextPageId(int currentPageId, int how, int choice, const PageFlowState *state);
