// The NLS resource library: every template creates, carries the controls the
// pages rely on, and every string a caller loads is there with its placeholders.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string.h>
#include "wizard/nlsids.h"

namespace {

HMODULE OpenLibrary(DWORD flags)
{
    return LoadLibraryExA(VL_BIN_DIR "\\_isuser.dll", NULL, flags);
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

struct TemplateControls {
    int id;
    int controls[12];
};

// The controls each page's procedure uses (0 ends a row).
const TemplateControls kTemplates[] = {
    {IDD_MAIN, {1, 9, 30234, 30243, 30256, 30257, 30258}},
    {IDD_MAIN_ALTERNATE, {1, 9, 30234, 30243, 30256, 30257, 30258}},
    {IDD_SELECT_COMPONENTS, {1, 9, 12, 30234, 30264, 30259}},
    {IDD_CONFIRM_DELETE_KEEP, {1, 9, 12, 30234, 30264}},
    {IDD_CONFIRM_DELETE_DATA, {1, 9, 12, 30234, 30264}},
    {IDD_CONFIRM_COMPONENTS, {1, 9, 12, 30234, 30264, 30259}},
    {IDD_ASK_DELETE_VL_DATA, {1, 9, 12, 30234, 30264, 30268, 30269}},
    {IDD_ASK_DELETE_WEBADMIN, {1, 9, 12, 30234, 30264, 30268, 30269}},
    {IDD_VL_RUNNING, {1, 9, 12, 30234, 30264}},
    {IDD_PERFMON_RUNNING, {1, 9, 12, 30234, 30264}},
    {IDD_CHECKING_LOCKED_FILES, {30265, 30250, 30273}},
    {IDD_LOCKED_FILES_FOUND, {1, 9, 12, 30234, 30264, 30247}},
    {IDD_DELETING_COMPONENT, {9, 30234, 30264, 30263, 30260, 30261, 30262, 30273}},
    {IDD_DELETING_ALL, {9, 30234, 30264, 30263, 30260, 30261, 30262, 30273}},
    {IDD_COMPONENT_DELETION_DONE, {1, 30234, 30264}},
    {IDD_ALL_DELETION_DONE, {1, 30234, 30264}},
    {isuIDD_STOPSERVICE, {30265, 30273}},
    {IDD_UPGRADING_HELP, {30265, 30273}},
    {IDD_EXIT, {30265, 30285, 30286}},
};

}  // namespace

TEST(NlsLibrary, EveryTemplateCreatesWithItsControls)
{
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    HMODULE data = OpenLibrary(LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(data != NULL);
    for (const TemplateControls &t : kTemplates) {
        HRSRC resource = FindResourceA(data, MAKEINTRESOURCEA(t.id), (LPCSTR)RT_DIALOG);
        ASSERT_TRUE(resource != NULL) << t.id;
        const DLGTEMPLATE *tpl = (const DLGTEMPLATE *)LockResource(LoadResource(data, resource));
        HWND page = CreateDialogIndirectParamA(GetModuleHandleA(NULL), tpl, NULL, PlainProc, 0);
        ASSERT_TRUE(page != NULL) << t.id;
        EXPECT_FALSE(IsWindowVisible(page)) << t.id;
        for (int i = 0; i < 12 && t.controls[i]; i++)
            EXPECT_TRUE(GetDlgItem(page, t.controls[i]) != NULL) << t.id << " control " << t.controls[i];
        // Help stays hidden until a page finds a help file.
        if (GetDlgItem(page, IDC_HELP_BUTTON)) {
            EXPECT_FALSE(GetWindowLongA(GetDlgItem(page, IDC_HELP_BUTTON), GWL_STYLE) & WS_VISIBLE) << t.id;
        }
        char caption[256];
        GetWindowTextA(page, caption, sizeof caption);
        EXPECT_NE(caption[0], 0) << t.id;
        DestroyWindow(page);
    }
    FreeLibrary(data);
}

TEST(NlsLibrary, PicturesAndIconLoad)
{
    HMODULE library = OpenLibrary(0);
    ASSERT_TRUE(library != NULL);
    for (int id = IDB_SIDE_LARGE_16; id <= IDB_SIDE_SMALL_256; id++) {
        HBITMAP bitmap = LoadBitmapA(library, MAKEINTRESOURCEA(id));
        ASSERT_TRUE(bitmap != NULL) << id;
        BITMAP info;
        GetObjectA(bitmap, sizeof info, &info);
        EXPECT_GT(info.bmHeight, 200) << id;
        DeleteObject(bitmap);
    }
    EXPECT_TRUE(LoadIconA(library, MAKEINTRESOURCEA(IDI_PAGE)) != NULL);
    FreeLibrary(library);
}

TEST(NlsLibrary, StringsWithTheirPlaceholders)
{
    HMODULE library = OpenLibrary(0);
    ASSERT_TRUE(library != NULL);
    char text[516];
    for (int id = 1; id <= 19; id++)
        EXPECT_GT(LoadStringA(library, id, text, sizeof text), 0) << id;
    const int plain[] = {192, 196, 197, 224, 231, 233, 238, 258, 268, 282, 283, 604, 606, 608,
                         610, 611, 612, 613, 614, 622, 623, 633, 638, 649, 651, 664, 665, 666, 690, 695};
    for (int id : plain) {
        ASSERT_GT(LoadStringA(library, id, text, sizeof text), 0) << id;
        EXPECT_TRUE(strchr(text, '%') == NULL) << id;
    }
    for (int id = 525; id <= 549; id++)
        EXPECT_GT(LoadStringA(library, id, text, sizeof text), 0) << id;
    const struct { int id; const char *placeholder; } formats[] = {
        {222, "%s"}, {253, "%s"}, {547, "%s"}, {257, "%d"}};
    for (auto f : formats) {
        ASSERT_GT(LoadStringA(library, f.id, text, sizeof text), 0) << f.id;
        const char *first = strchr(text, '%');
        ASSERT_TRUE(first != NULL) << f.id;
        EXPECT_EQ(strncmp(first, f.placeholder, 2), 0) << f.id;
        EXPECT_TRUE(strchr(first + 1, '%') == NULL) << f.id;
    }
    LoadStringA(library, 606, text, sizeof text);
    EXPECT_STREQ(text, "a");
    LoadStringA(library, 604, text, sizeof text);
    EXPECT_STREQ(text, "Norvik Varolink");
    FreeLibrary(library);
}
