// What a second thread (the removal worker) may use while the GUI thread
// pumps: status lines, the progress bar, NLS strings and the log, and the one
// load of the NLS library.
#include "core/log.h"
#include "core/messagebox.h"
#include "core/nls.h"
#include "core/statusline.h"
#include "fixture.h"
#include "runner.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string.h>

namespace {

const char kFolder[] = "C:\\vlthreadtest";
const char kLog[] = "C:\\vlthreadtest\\t.log";
const char kNls[] = VL_BIN_DIR "\\_isuser.dll";

struct WorkerCalls : ::testing::Test {
    HWND page = NULL, status = NULL, bar = NULL;
    void SetUp() override
    {
        DeleteFolderTree(kFolder);
        MakeFolders(kFolder);
        LogOpen(0, 1, kLog, NULL, NULL, kNls);
        ASSERT_EQ(NlsLoadLibrary(kNls), 1);
        INITCOMMONCONTROLSEX init = {sizeof init, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&init);
        page = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 300, 60, NULL, NULL, NULL, NULL);
        status = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 16, page, NULL, NULL, NULL);
        bar = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 20, 200, 16, page, NULL, NULL, NULL);
        ASSERT_TRUE(status && bar);
    }
    void TearDown() override
    {
        if (page) DestroyWindow(page);
        NlsFreeLibrary();
        LogClose();
        DeleteFolderTree(kFolder);
    }
    // Runs the thread while this (the GUI) thread keeps pumping messages.
    void RunBesidePump(LPTHREAD_START_ROUTINE work, void *context)
    {
        HANDLE thread = CreateThread(NULL, 0, work, context, 0, NULL);
        ASSERT_TRUE(thread != NULL);
        DWORD start = GetTickCount();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG message;
            while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            ASSERT_LT(GetTickCount() - start, 60000u) << "the worker did not finish";
        }
        CloseHandle(thread);
    }
};

struct WorkerResult {
    WorkerCalls *Test;
    char Text[516];
    int Loaded;
};

DWORD WINAPI WorkerUpdates(void *context)
{
    WorkerResult *result = (WorkerResult *)context;
    ProgressReset(result->Test->bar, 500);
    for (int i = 0; i < 300; i++) {
        ProgressStep(result->Test->bar);
        if (i % 30 == 0) SetStatusText(result->Test->status, "C:\\Program Files\\Norvik\\Varolink\\Bin\\AVLXSSVN.EXE", TRUE);
        LogLine("worker line");
    }
    // Steps counted by this thread reach the bar with the flush.
    ProgressFlush();
    result->Loaded = LoadNlsString(result->Text, 238);
    return 0;
}

// Counts the messages that move the bar.
static WNDPROC sBarProc;
static LONG sBarMoves;
static LRESULT CALLBACK MoveCountingBar(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_STEPIT || message == PBM_DELTAPOS) InterlockedIncrement(&sBarMoves);
    return CallWindowProcA(sBarProc, window, message, wParam, lParam);
}

struct ManySteps {
    HWND Bar;
    int SeenBeforeFlush;
};

DWORD WINAPI WorkerManySteps(void *context)
{
    ManySteps *steps = (ManySteps *)context;
    ProgressReset(steps->Bar, 5000);
    for (int i = 0; i < 5000; i++) ProgressStep(steps->Bar);
    // The worker's own steps count in what it reads, flushed or not.
    steps->SeenBeforeFlush = ProgressPosition(steps->Bar);
    // A new range starts at 0, whatever was counted for the old one.
    ProgressReset(steps->Bar, 50);
    for (int i = 0; i < 7; i++) ProgressStep(steps->Bar);
    ProgressFlush();
    return 0;
}

TEST_F(WorkerCalls, StatusProgressStringsAndLogFromASecondThread)
{
    WorkerResult result = {this, "", 0};
    RunBesidePump(WorkerUpdates, &result);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 300);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 500);
    char shown[600];
    GetWindowTextA(status, shown, sizeof shown);
    EXPECT_NE(strstr(shown, "avlxssvn.exe"), nullptr) << shown;
    EXPECT_EQ(result.Loaded, 1);
    EXPECT_STRNE(result.Text, "");
    int lines = 0;
    for (const std::string &line : LogEntries(kLog)) lines += line == "worker line";
    EXPECT_EQ(lines, 300);
}

TEST_F(WorkerCalls, StepsFromASecondThreadArriveTogetherAndInFull)
{
    sBarMoves = 0;
    sBarProc = (WNDPROC)SetWindowLongPtrA(bar, GWLP_WNDPROC, (LONG_PTR)MoveCountingBar);
    ManySteps steps = {bar, 0};
    RunBesidePump(WorkerManySteps, &steps);
    EXPECT_EQ(steps.SeenBeforeFlush, 5000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 7);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 50);
    // The page thread is not asked once per step.
    EXPECT_LT(sBarMoves, 500);
    EXPECT_GT(sBarMoves, 0);
}

DWORD WINAPI WorkerOnAGoneControl(void *context)
{
    WorkerCalls *test = (WorkerCalls *)context;
    ProgressReset(test->bar, 10);
    ProgressStep(test->bar);
    SetStatusText(test->status, "C:\\a\\b.txt", TRUE);
    return 0;
}

TEST_F(WorkerCalls, ControlsThatAreGoneAreLeftAlone)
{
    DestroyWindow(page);
    page = NULL;
    RunBesidePump(WorkerOnAGoneControl, this);
    EXPECT_FALSE(IsWindow(bar));
}

TEST(NlsLibraryOwner, OneLoadOneFreeAndTheLetterReadOnce)
{
    DeleteFolderTree(kFolder);
    MakeFolders(kFolder);
    LogOpen(0, 1, kLog, NULL, NULL, kNls);
    // Opening the log no longer loads the library: it has one owner.
    EXPECT_EQ(GetModuleHandleA(kNls), (HMODULE)NULL);
    EXPECT_EQ(NlsLibrary(), (HMODULE)NULL);
    ASSERT_EQ(NlsLoadLibrary(kNls), 1);
    ASSERT_EQ(NlsLoadLibrary(kNls), 1);  // still the one load
    EXPECT_EQ(NlsLibrary(), GetModuleHandleA(kNls));
    EXPECT_EQ(NlsLanguageLetter(), 'a');  // the build's library is English
    NlsFreeLibrary();
    EXPECT_EQ(GetModuleHandleA(kNls), (HMODULE)NULL);
    EXPECT_EQ(NlsLibrary(), (HMODULE)NULL);
    EXPECT_EQ(NlsLanguageLetter(), 0);
    // Without the library a string reports the failure (logged; shown unless silent).
    LogClose();
    LogOpen(1, 1, kLog, NULL, NULL, kNls);
    char text[516];
    EXPECT_EQ(LoadNlsString(text, 238), 0);
    EXPECT_TRUE(Contains(LogEntries(kLog), std::string("MessageBox: 'isuLoadNlsString LoadLibrary failed '") + kNls +
                                               "' (ID '238'). (ZID4700)'"));
    LogClose();
    DeleteFolderTree(kFolder);
}

}  // namespace
