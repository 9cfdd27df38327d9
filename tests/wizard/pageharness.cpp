#include "pageharness.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/response.h"
#include "core/runstate.h"
#include "fixture.h"
#include "runner.h"
#include "wizard/nlsids.h"
#include "wizard/pagetable.h"
#include <commctrl.h>

static PageHarness *sHarness;
static int sAnswerButton;
static const char *sAnswerCaption;
static bool sAnswerFocusOnResume;

static LRESULT CALLBACK HarnessMainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message && message == gRun.MsgStopDlg && sHarness) {
        sHarness->Ends.push_back({wParam, lParam});
        if (sHarness->Page) ShowWindow(sHarness->Page, SW_HIDE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PageHarness::Open(bool silent, const std::string &folder)
{
    sHarness = this;
    Folder = folder;
    DeleteFolderTree(Folder);
    MakeFolders(Folder);
    LogPath = Folder + "\\page.log";
    RunStateReset();
    ResponseReset();
    gRun.SilentMode = silent;
    LogOpen(silent, 1, LogPath.c_str(), Folder.c_str(), Folder.c_str(), VL_BIN_DIR "\\_isuser.dll");
    NlsLoadLibrary(VL_BIN_DIR "\\_isuser.dll");
    SharedLogBlock *block = LogBlock();
    if (block) block->WizardBitmap = block->WizardIcon = 0;
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    gRun.MsgStartMain = RegisterWindowMessageA("VarolinkUninstallStartMain");
    gRun.MsgStopDlg = RegisterWindowMessageA("VarolinkUninstallStopDlg");
    gRun.MsgEndDel = RegisterWindowMessageA("VarolinkUninstallEndDel");
    gRun.MsgNext = RegisterWindowMessageA("VarolinkUninstallNext");
    gRun.MsgCancel = RegisterWindowMessageA("VarolinkUninstallCancel");
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HarnessMainProc;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "WizardHarnessMain";
    RegisterClassA(&windowClass);
    gRun.MainWindow = CreateWindowA("WizardHarnessMain", "harness", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                    GetModuleHandleA(NULL), NULL);
    gRun.NlsDataModule = LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, LOAD_LIBRARY_AS_DATAFILE);
    for (int i = 1; i < 20; i++) LoadNlsString(gComponentDisplayNames[i], i);
    Ends.clear();
}

void PageHarness::Close()
{
    Destroy();
    if (gRun.MainWindow) DestroyWindow(gRun.MainWindow);
    gRun.MainWindow = NULL;
    if (gRun.NlsDataModule) FreeLibrary(gRun.NlsDataModule);
    gRun.NlsDataModule = NULL;
    PumpUntil([] { return false; }, 20);
    NlsFreeLibrary();
    LogClose();
    ResponseReset();
    DeleteFolderTree(Folder);
    sHarness = NULL;
}

HWND PageHarness::Create(int templateId)
{
    Destroy();
    Ends.clear();
    const DLGTEMPLATE *tpl = FindNlsDialog(gRun.NlsDataModule, templateId);
    DLGPROC proc = PageProcedure(templateId);
    if (!tpl || !proc) return NULL;
    Page = CreateDialogIndirectParamA(GetModuleHandleA(NULL), tpl, NULL, proc, 0);
    gRun.CurrentPage = Page;
    gRun.CurrentPageId = templateId;
    return Page;
}

void PageHarness::Destroy()
{
    if (Page && IsWindow(Page)) DestroyWindow(Page);
    Page = NULL;
    gRun.CurrentPage = NULL;
}

bool PageHarness::PumpUntil(const std::function<bool()> &done, unsigned timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            if (Page && IsWindow(Page) && IsDialogMessageA(Page, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}

bool PageHarness::WaitForEnd(unsigned timeoutMs)
{
    return PumpUntil([this] { return !Ends.empty(); }, timeoutMs);
}

void PageHarness::Click(int controlId)
{
    SendMessageA(GetDlgItem(Page, controlId), BM_CLICK, 0, 0);
}

// Runs inside a modal dialog's loop: finds the dialog and presses the answer.
static void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND dialog = FindWindowA("#32770", sAnswerCaption);
    if (!dialog || !IsWindowVisible(dialog)) return;
    KillTimer(NULL, id);
    sAnswerFocusOnResume = GetFocus() == GetDlgItem(dialog, IDC_RESUME);
    PostMessageA(GetDlgItem(dialog, sAnswerButton), BM_CLICK, 0, 0);
}

void PageHarness::AnswerDialog(const char *caption, int buttonId)
{
    sAnswerCaption = caption;
    sAnswerButton = buttonId;
    sAnswerFocusOnResume = false;
    SetTimer(NULL, 0, 20, AnswerTimer);
}

void PageHarness::AnswerExitWith(int buttonId) { AnswerDialog("Exit Varolink Uninstall", buttonId); }

bool PageHarness::ExitFocusWasOnResume() { return sAnswerFocusOnResume; }

bool PageHarness::UseResponseFile(const std::string &text)
{
    std::string path = Folder + "\\answers.rsp";
    WriteTextFile(path, text);
    lstrcpynA(gRun.ResponseFilePath, path.c_str(), VL_PATH_SIZE);
    return ReadResponseFile();
}

std::vector<std::string> PageHarness::Log() { return LogEntries(LogPath); }

std::vector<std::string> PageHarness::LogAfter(const std::string &from)
{
    std::vector<std::string> all = Log(), out;
    bool seen = false;
    for (const std::string &line : all) {
        if (seen) out.push_back(line);
        else if (line == from) seen = true;
    }
    return out;
}

std::string ControlText(HWND page, int id)
{
    char text[600] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}
