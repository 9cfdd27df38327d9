// The page skeleton's shared window operations, the Exit question and the
// program's animation clips.
#include "pageharness.h"
#include "core/log.h"
#include "core/runstate.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include "core/statusline.h"
#include "wizard/page.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string.h>

namespace {

struct Skeleton : ::testing::Test {
    PageHarness h;
    void SetUp() override { h.Open(false, "C:\\vlwizskeleton"); }
    void TearDown() override { h.Close(); }
};

TEST_F(Skeleton, CentreWindowTruncatesTowardsZero)
{
    HWND reference = CreateWindowA("STATIC", "", WS_POPUP, -101, 40, 401, 301, NULL, NULL, NULL, NULL);
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 100, 50, NULL, NULL, NULL, NULL);
    CentreWindow(reference, window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, -101 + (401 - 100) / 2);
    EXPECT_EQ(r.top, 40 + (301 - 50) / 2);
    EXPECT_EQ(r.right - r.left, 100);
    EXPECT_EQ(r.bottom - r.top, 50);
    DestroyWindow(window);
    DestroyWindow(reference);
}

TEST_F(Skeleton, PagesAreCentredOnTheDesktopWithTheCachedSidePicture)
{
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    RECT desk, page;
    GetWindowRect(GetDesktopWindow(), &desk);
    GetWindowRect(h.Page, &page);
    EXPECT_EQ(page.left, desk.left + ((desk.right - desk.left) - (page.right - page.left)) / 2);
    LRESULT first = SendDlgItemMessageA(h.Page, IDC_SIDE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    ASSERT_NE(first, 0);
    EXPECT_EQ((DWORD)first, LogBlock()->WizardBitmap);
    // Xvfb runs at 24 bits: more than 256 colours, so the 256-colour family.
    int id = SideBitmapId(h.Page, 256);
    EXPECT_TRUE(id == IDB_SIDE_LARGE_256 || id == IDB_SIDE_SMALL_256);
    EXPECT_EQ(SideBitmapId(h.Page, 16), id - 1);
    RECT box = {0, 0, 166, 166};
    MapDialogRect(h.Page, &box);
    EXPECT_EQ(id, box.bottom < 265 ? IDB_SIDE_SMALL_256 : IDB_SIDE_LARGE_256);
    ASSERT_TRUE(h.Create(IDD_ASK_DELETE_VL_DATA));
    EXPECT_EQ(SendDlgItemMessageA(h.Page, IDC_SIDE_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), first);
    EXPECT_TRUE(InOrder(h.Log(), {"->Confirm-delete-all dialog", "Video subsystem supports 256 colors",
                                  "->Ask-delete-VL-data dialog", "Video subsystem supports 256 colors"}));
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND PlainDialog(int id)
{
    HRSRC resource = FindResourceA(gRun.NlsDataModule, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    return CreateDialogIndirectParamA(GetModuleHandleA(NULL),
                                      (const DLGTEMPLATE *)LockResource(LoadResource(gRun.NlsDataModule, resource)),
                                      NULL, PlainProc, 0);
}

TEST_F(Skeleton, IconIsLoadedOnceAndShared)
{
    HWND a = PlainDialog(isuIDD_STOPSERVICE), b = PlainDialog(IDD_UPGRADING_HELP);
    ShowPageIcon(a);
    ShowPageIcon(b);
    LRESULT icon = SendDlgItemMessageA(a, IDC_PAGE_ICON, STM_GETICON, 0, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(SendDlgItemMessageA(b, IDC_PAGE_ICON, STM_GETICON, 0, 0), icon);
    EXPECT_EQ((DWORD)icon, LogBlock()->WizardIcon);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST_F(Skeleton, ListExtentOnlyGrows)
{
    HWND page = PlainDialog(IDD_LOCKED_FILES_FOUND);
    HWND list = GetDlgItem(page, IDC_LOCKED_LIST);
    int widest = 0;
    WidenListExtent(page, IDC_LOCKED_LIST, &widest, "C:\\Program Files\\Norvik\\Varolink\\bin\\avlxssvn.exe");
    int wide = widest;
    EXPECT_GT(wide, 100);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), wide);
    WidenListExtent(page, IDC_LOCKED_LIST, &widest, "C:\\a.dll");
    EXPECT_EQ(widest, wide);
    EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), wide);
    WidenListExtent(page, IDC_LOCKED_LIST, &widest, "C:\\Program Files\\Norvik\\Varolink\\bin\\longer\\avlxssvn.exe");
    EXPECT_GT(widest, wide);
    DestroyWindow(page);
}

TEST_F(Skeleton, ProgressResetAndStep)
{
    HWND page = PlainDialog(IDD_CHECKING_LOCKED_FILES);
    HWND bar = GetDlgItem(page, IDC_PROGRESS);
    SendMessageA(bar, PBM_SETPOS, 5, 0);
    ProgressReset(bar, 40);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 40);
    ProgressStep(bar);
    ProgressStep(bar);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 2);
    ProgressReset(NULL, 3);
    ProgressStep(NULL);
    DestroyWindow(page);
}

TEST_F(Skeleton, ForeignAndIdleTimersAreIgnored)
{
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    SendMessageA(h.Page, WM_TIMER, 1, 0);   // interactive: the page has no timer running
    SendMessageA(h.Page, WM_TIMER, 7, 0);
    h.PumpUntil([] { return false; }, 150);
    EXPECT_TRUE(h.Ends.empty());
    EXPECT_FALSE(Contains(h.Log(), "  User: Next"));
}

TEST_F(Skeleton, ExitDialogThatCannotBeShownCountsAsExit)
{
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    EXPECT_EQ(ConfirmExit(h.Page, 12345), 1);
    EXPECT_TRUE(InOrder(h.Log(), {"->Exit dialog", "  User: Exit"}));
}

struct SilentSkeleton : Skeleton {
    void SetUp() override { h.Open(true, "C:\\vlwizskeleton"); }
};

TEST_F(SilentSkeleton, HiddenPageMovesOnAfterItsTimerAndExitAnswersItself)
{
    DWORD start = GetTickCount();
    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    EXPECT_FALSE(IsWindowVisible(h.Page));
    ASSERT_TRUE(h.WaitForEnd());
    EXPECT_GE(GetTickCount() - start, 90u);
    EXPECT_EQ(h.Ends.back().How, 1);
    EXPECT_EQ(ConfirmExit(h.Page, IDD_EXIT), 1);
    EXPECT_TRUE(InOrder(h.Log(), {"->Confirm-delete-all dialog", "  User: Next", "->Exit dialog", "  User: Exit"}));
}

// The AVI header of one clip of the program: size, frame count, frame time.
struct ClipInfo {
    DWORD MicroSecPerFrame, Frames, Width, Height;
};

bool ReadClip(HMODULE program, int id, ClipInfo *info)
{
    HRSRC resource = FindResourceA(program, MAKEINTRESOURCEA(id), "AVI");
    if (!resource) return false;
    const BYTE *data = (const BYTE *)LockResource(LoadResource(program, resource));
    DWORD size = SizeofResource(program, resource);
    for (DWORD i = 0; i + 64 < size; i++) {
        if (memcmp(data + i, "avih", 4) == 0) {
            const DWORD *avih = (const DWORD *)(data + i + 8);
            info->MicroSecPerFrame = avih[0];
            info->Frames = avih[4];
            info->Width = avih[8];
            info->Height = avih[9];
            return memcmp(data, "RIFF", 4) == 0 && memcmp(data + 8, "AVI ", 4) == 0;
        }
    }
    return false;
}

TEST(AnimationClips, SizesFramesAndRates)
{
    HMODULE program = LoadLibraryExA(VL_BIN_DIR "\\avliunin.exe", NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program != NULL);
    const struct { int id; DWORD frames, width, height, microseconds; } clips[] = {
        {IDA_MAIN_16, 12, 100, 100, 66667}, {IDA_MAIN_256, 11, 100, 100, 66667},
        {IDA_DELETING_16, 27, 320, 80, 100000}, {IDA_DELETING_256, 27, 320, 80, 100000}};
    for (auto c : clips) {
        ClipInfo info;
        ASSERT_TRUE(ReadClip(program, c.id, &info)) << c.id;
        EXPECT_EQ(info.Frames, c.frames) << c.id;
        EXPECT_EQ(info.Width, c.width) << c.id;
        EXPECT_EQ(info.Height, c.height) << c.id;
        EXPECT_EQ(info.MicroSecPerFrame, c.microseconds) << c.id;
    }
    FreeLibrary(program);
}

TEST(AnimationClips, AnimationControlOpensThemFromTheProgram)
{
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&init);
    HMODULE program = LoadLibraryExA(VL_BIN_DIR "\\avliunin.exe", NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(program != NULL);
    HWND parent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 200, NULL, NULL, NULL, NULL);
    HWND control = CreateWindowA(ANIMATE_CLASSA, "", WS_CHILD | ACS_CENTER, 0, 0, 330, 90, parent, NULL,
                                 GetModuleHandleA(NULL), NULL);
    for (int id = IDA_MAIN_16; id <= IDA_DELETING_256; id++)
        EXPECT_TRUE(SendMessageA(control, ACM_OPENA, (WPARAM)program, (LPARAM)MAKEINTRESOURCEA(id))) << id;
    DestroyWindow(parent);
    FreeLibrary(program);
}

}  // namespace
