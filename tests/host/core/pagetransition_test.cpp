#include "app/pagetransition.h"
#include <gtest/gtest.h>

static int sRunning, sPerf, sRunningCalls, sPerfCalls;
static int Running() { sRunningCalls++; return sRunning; }
static int Perf() { sPerfCalls++; return sPerf; }

static PageFlowState State()
{
    sRunning = sPerf = sRunningCalls = sPerfCalls = 0;
    PageFlowState s = {};
    s.ProductIsRunning = Running;
    s.PerfMonitorDllLocked = Perf;
    return s;
}

TEST(PageFlow, MainChoices)
{
    PageFlowState s = State();
    EXPECT_EQ(NextPageId(0, 0, 0, &s), PAGE_MAIN);
    EXPECT_EQ(NextPageId(0, HOW_BACK, 0, &s), PAGE_MAIN);
    EXPECT_EQ(NextPageId(PAGE_MAIN, HOW_NEXT, CHOICE_REMOVE_SELECTED, &s), PAGE_SELECT_COMPONENTS);
    EXPECT_EQ(NextPageId(PAGE_MAIN_ALTERNATE, HOW_NEXT, CHOICE_REMOVE_KEEP_DATA, &s), PAGE_CONFIRM_DELETE_ALL);
    EXPECT_EQ(NextPageId(PAGE_MAIN, HOW_NEXT, CHOICE_REMOVE_WITH_DATA, &s), PAGE_CONFIRM_DELETE_ALL_DATA);
    EXPECT_EQ(NextPageId(PAGE_MAIN, HOW_NEXT, 0, &s), PAGE_NONE);
    EXPECT_EQ(NextPageId(PAGE_MAIN, HOW_BACK, 0, &s), PAGE_NONE);
}

TEST(PageFlow, CheckChainEvaluatesOnlyWhatItReaches)
{
    PageFlowState s = State();
    sRunning = 1;
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_DELETE_ALL, HOW_NEXT, 0, &s), PAGE_VL_RUNNING);
    EXPECT_EQ(sPerfCalls, 0);
    sRunning = 0;
    sPerf = 1;
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_DELETE_ALL_DATA, HOW_NEXT, 0, &s), PAGE_PERF_MONITOR_RUNNING);
    sPerf = 0;
    EXPECT_EQ(NextPageId(PAGE_ASK_DELETE_WEB_ADMIN_DATA, HOW_NEXT, 0, &s), PAGE_CHECKING_LOCKED_FILES);
}

TEST(PageFlow, ComponentPathAndDataQuestions)
{
    PageFlowState s = State();
    s.RemoveSelected = 1;
    EXPECT_EQ(NextPageId(PAGE_SELECT_COMPONENTS, HOW_NEXT, 0, &s), PAGE_CONFIRM_COMPONENTS_DELETE);
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_COMPONENTS_DELETE, HOW_NEXT, 0, &s), PAGE_CHECKING_LOCKED_FILES);
    s.QueueManagersFound = s.ServerSelected = 1;
    s.WebAdminDataExists = s.WebAdminSelected = 1;
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_COMPONENTS_DELETE, HOW_NEXT, 0, &s), PAGE_ASK_DELETE_VL_DATA);
    EXPECT_EQ(NextPageId(PAGE_ASK_DELETE_VL_DATA, HOW_NEXT, 0, &s), PAGE_ASK_DELETE_WEB_ADMIN_DATA);
    EXPECT_EQ(NextPageId(PAGE_ASK_DELETE_WEB_ADMIN_DATA, HOW_BACK, 0, &s), PAGE_ASK_DELETE_VL_DATA);
    EXPECT_EQ(NextPageId(PAGE_ASK_DELETE_VL_DATA, HOW_BACK, 0, &s), PAGE_CONFIRM_COMPONENTS_DELETE);
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_COMPONENTS_DELETE, HOW_BACK, 0, &s), PAGE_SELECT_COMPONENTS);
    EXPECT_EQ(NextPageId(PAGE_SELECT_COMPONENTS, HOW_BACK, 0, &s), PAGE_MAIN);
    s.ServerSelected = 0;
    EXPECT_EQ(NextPageId(PAGE_CONFIRM_COMPONENTS_DELETE, HOW_NEXT, 0, &s), PAGE_ASK_DELETE_WEB_ADMIN_DATA);
    EXPECT_EQ(NextPageId(PAGE_ASK_DELETE_WEB_ADMIN_DATA, HOW_BACK, 0, &s), PAGE_CONFIRM_COMPONENTS_DELETE);
}

TEST(PageFlow, BackChainFromTheCheckPages)
{
    PageFlowState s = State();
    s.RemoveAllWithData = 1;
    EXPECT_EQ(NextPageId(PAGE_VL_RUNNING, HOW_BACK, 0, &s), PAGE_CONFIRM_DELETE_ALL_DATA);
    // The performance-monitor and locked-files pages use the data flag, not the choice.
    EXPECT_EQ(NextPageId(PAGE_PERF_MONITOR_RUNNING, HOW_BACK, 0, &s), PAGE_CONFIRM_DELETE_ALL);
    s.DeleteQueueManagerData = 1;
    EXPECT_EQ(NextPageId(PAGE_LOCKED_FILES_FOUND, HOW_BACK, 0, &s), PAGE_CONFIRM_DELETE_ALL_DATA);
    sRunning = 1;
    EXPECT_EQ(NextPageId(PAGE_PERF_MONITOR_RUNNING, HOW_BACK, 0, &s), PAGE_VL_RUNNING);
    sRunning = 0;
    sPerf = 1;
    EXPECT_EQ(NextPageId(PAGE_LOCKED_FILES_FOUND, HOW_BACK, 0, &s), PAGE_PERF_MONITOR_RUNNING);
    s.RemoveSelected = 1;
    s.WebAdminDataExists = s.WebAdminSelected = 1;
    EXPECT_EQ(NextPageId(PAGE_VL_RUNNING, HOW_BACK, 0, &s), PAGE_ASK_DELETE_WEB_ADMIN_DATA);
}

TEST(PageFlow, CheckingDeletingAndCompletion)
{
    PageFlowState s = State();
    EXPECT_EQ(NextPageId(PAGE_VL_RUNNING, HOW_NEXT, 0, &s), PAGE_CHECKING_LOCKED_FILES);
    EXPECT_EQ(NextPageId(PAGE_PERF_MONITOR_RUNNING, HOW_NEXT, 0, &s), PAGE_CHECKING_LOCKED_FILES);
    EXPECT_EQ(NextPageId(PAGE_CHECKING_LOCKED_FILES, HOW_NEXT, 0, &s), PAGE_DELETING_ALL);
    s.LockedFilesFound = 1;
    EXPECT_EQ(NextPageId(PAGE_CHECKING_LOCKED_FILES, HOW_NEXT, 0, &s), PAGE_LOCKED_FILES_FOUND);
    s.SilentMode = 1;
    s.RemoveSelected = 1;
    EXPECT_EQ(NextPageId(PAGE_CHECKING_LOCKED_FILES, HOW_NEXT, 0, &s), PAGE_DELETING_COMPONENT);
    EXPECT_EQ(NextPageId(PAGE_CHECKING_LOCKED_FILES, HOW_BACK, 0, &s), PAGE_NONE);
    EXPECT_EQ(NextPageId(PAGE_LOCKED_FILES_FOUND, HOW_NEXT, 0, &s), PAGE_CHECKING_LOCKED_FILES);
    EXPECT_EQ(NextPageId(PAGE_DELETING_COMPONENT, HOW_NEXT, 0, &s), PAGE_COMPONENT_DELETION_COMPLETE);
    EXPECT_EQ(NextPageId(PAGE_DELETING_COMPONENT, HOW_BACK, 0, &s), PAGE_NONE);
    EXPECT_EQ(NextPageId(PAGE_DELETING_ALL, HOW_NEXT, 0, &s), PAGE_ALL_DELETION_COMPLETE);
    EXPECT_EQ(NextPageId(PAGE_DELETING_ALL, HOW_BACK, 0, &s), PAGE_ALL_DELETION_COMPLETE);
    EXPECT_EQ(NextPageId(PAGE_COMPONENT_DELETION_COMPLETE, HOW_NEXT, 0, &s), PAGE_NONE);
    EXPECT_EQ(NextPageId(PAGE_ALL_DELETION_COMPLETE, HOW_BACK, 0, &s), PAGE_NONE);
    EXPECT_EQ(NextPageId(12345, HOW_NEXT, 0, &s), PAGE_NONE);
}
