// Help prerequisites, version comparison, the help topic and the HTML Help
// upgrade; the message box and the status line.
#include "pageharness.h"
#include "core/log.h"
#include "core/runstate.h"
#include "fixture.h"
#include "runner.h"
#include "wizard/help.h"
#include "core/messagebox.h"
#include "core/statusline.h"
#include "wizard/nlsids.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

namespace {

void SetText(HKEY root, const char *key, const char *name, const char *text)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL) != ERROR_SUCCESS) return;
    RegSetValueExA(handle, name, 0, REG_SZ, (const BYTE *)text, (DWORD)strlen(text) + 1);
    RegCloseKey(handle);
}

void DeleteValue(HKEY root, const char *key, const char *name)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueA(handle, name);
    RegCloseKey(handle);
}

bool ReadText(HKEY root, const char *key, const char *name, std::string *text)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
    char value[600] = "";
    DWORD size = sizeof value - 1, type = 0;
    bool ok = RegQueryValueExA(handle, name, NULL, &type, (BYTE *)value, &size) == ERROR_SUCCESS && type == REG_SZ;
    RegCloseKey(handle);
    if (ok) *text = value;
    return ok;
}

TEST(CompareVersions, OlderNewerAndEqual)
{
    EXPECT_EQ(CompareVersions("4.72.3110.7", "4.72.3110.8"), 1);
    EXPECT_EQ(CompareVersions("4.72.3110.8", "4.72.3110.8"), 0);
    EXPECT_EQ(CompareVersions("4.73.8252.0", "4.73.8252.0"), 0);
    EXPECT_EQ(CompareVersions("4.73.8251.99", "4.73.8252.0"), 1);
    EXPECT_EQ(CompareVersions("5", "4.72.3110.8"), 0);
    EXPECT_EQ(CompareVersions("4.71.9999.9999", "4.72.3110.8"), 1);
    EXPECT_EQ(CompareVersions("4.72", "4.72.3110.8"), 1);
    EXPECT_EQ(CompareVersions("11.0.9600.19180", "4.72.3110.8"), 0);
    EXPECT_EQ(CompareVersions("", "4.72.3110.8"), 1);
    EXPECT_EQ(CompareVersions("garbage", "4.72.3110.8"), 1);
}

const char kIeKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";

struct HelpTest : ::testing::Test {
    PageHarness h;
    std::string savedIe;
    bool hadIe = false;
    static DWORD (*sMajor)(BOOL *);
    static DWORD Nt4(BOOL *ok) { *ok = TRUE; return 4; }
    static DWORD Win2000(BOOL *ok) { *ok = TRUE; return 5; }
    static DWORD Broken(BOOL *ok) { *ok = FALSE; return 0; }

    void SetUp() override
    {
        h.Open(false, "C:\\vlwizhelp");
        hadIe = ReadText(HKEY_LOCAL_MACHINE, kIeKey, "Version", &savedIe);
    }
    void TearDown() override
    {
        gOsMajorVersion = sMajor;
        if (hadIe) SetIe(savedIe.c_str());
        else DeleteValue(HKEY_LOCAL_MACHINE, kIeKey, "Version");
        SetEnvironmentVariableA("VL_HHUPD_RECORD", NULL);
        h.Close();
    }
    void SetIe(const char *version)
    {
        SetText(HKEY_LOCAL_MACHINE, kIeKey, "Version", version);
    }
};
DWORD (*HelpTest::sMajor)(BOOL *) = gOsMajorVersion;

TEST_F(HelpTest, WindowsNt4ChecksInternetExplorerAndHtmlHelp)
{
    gOsMajorVersion = Nt4;
    SetIe("4.72.3110.7");
    BOOL html = 7, ie = 7;
    EXPECT_EQ(CheckHelpPrerequisites(&html, &ie), 1);
    EXPECT_TRUE(ie);
    EXPECT_FALSE(html);  // Wine's hhctrl.ocx is 5.2
    EXPECT_TRUE(gRun.IeMissing);
    SetIe("4.72.3110.8");
    CheckHelpPrerequisites(NULL, NULL);
    EXPECT_FALSE(gRun.IeMissing);
    DeleteValue(HKEY_LOCAL_MACHINE, kIeKey, "Version");
    CheckHelpPrerequisites(NULL, NULL);
    EXPECT_TRUE(gRun.IeMissing);
    auto log = h.Log();
    EXPECT_TRUE(InOrder(log, {"Checking for IE 4.01 SP1", "IE 4.01 is not installed", "Checking for HTML Help 1.2",
                              "File version of 'hhctrl.ocx' is 5.2.3790.2744", "HTML Help 1.2 is installed",
                              "Checking for IE 4.01 SP1", "IE 4.01 is installed", "Checking for IE 4.01 SP1",
                              "IE 4.01 is not installed"}))
        << ReadTextFile(h.LogPath);
}

TEST_F(HelpTest, LaterSystemsNeedNoCheckAndAFailedVersionReadMeansNt4)
{
    gOsMajorVersion = Win2000;
    gRun.IeMissing = gRun.HtmlHelpMissing = TRUE;
    BOOL html = 7, ie = 7;
    EXPECT_EQ(CheckHelpPrerequisites(&html, &ie), 1);
    EXPECT_FALSE(html || ie || gRun.IeMissing || gRun.HtmlHelpMissing);
    gOsMajorVersion = Broken;
    CheckHelpPrerequisites(NULL, NULL);
    EXPECT_TRUE(InOrder(h.Log(), {"OS major version is 5; assuming prereqs are satisfied",
                                  "Can't get OS version; assuming 4", "Checking for IE 4.01 SP1"}));
}

TEST_F(HelpTest, HelpTopicNeedsInternetExplorerAndAHelpFile)
{
    gRun.IeMissing = TRUE;
    EXPECT_EQ(ShowHelpTopic(NULL, "iuninsta.htm"), 0);
    EXPECT_FALSE(Contains(h.Log(), "Help: '' 'iuninsta.htm'"));
    gRun.IeMissing = FALSE;
    EXPECT_EQ(ShowHelpTopic(NULL, "iuninsta.htm"), 0);
    EXPECT_TRUE(Contains(h.Log(), "Help: '' 'iuninsta.htm'"));
}

TEST_F(HelpTest, HelpFileInTheUninstallationFolderIsOpened)
{
    // The compiled help file of the build when the CHM compiler was there.
    std::string file = h.Folder + "\\avlhlpaw.chm";
    if (!CopyFileA(VL_BIN_DIR "\\avlhlpaw.chm", file.c_str(), FALSE)) WriteTextFile(file, "not a help file");
    EXPECT_EQ(ShowHelpTopic(NULL, "iuninsta.htm"), 1);
    EXPECT_TRUE(Contains(h.Log(), "Help: '" + file + "' 'iuninsta.htm'"));
    h.PumpUntil([] { return false; }, 200);
    for (HWND viewer; (viewer = FindWindowA("HH Parent", NULL)) != NULL;) {
        printf("closing help viewer\n");
        DestroyWindow(viewer);
    }
}

TEST_F(HelpTest, MissingHtmlHelpOffersTheUpgradeWhichRunsHhupd)
{
    gOsMajorVersion = Nt4;
    SetIe("5.0.2614.3500");
    gRun.HtmlHelpMissing = TRUE;
    // The upgrade program is looked for in <parent of parent>\Prereqs\HTMLHelp\<uninst folder name>.
    std::string prereqs = "C:\\vlwizhelp\\Prereqs\\HTMLHelp\\uninst";
    MakeFolders(prereqs);
    ASSERT_TRUE(CopyFileA(VL_BIN_DIR "\\HHUPD.EXE", (prereqs + "\\HHUPD.EXE").c_str(), FALSE));
    std::string uninst = h.Folder + "\\Program\\uninst";
    MakeFolders(uninst);
    LogOpen(0, 1, h.LogPath.c_str(), uninst.c_str(), uninst.c_str(), NULL);
    std::string record = h.Folder + "\\hhupd.txt";
    SetEnvironmentVariableA("VL_HHUPD_RECORD", record.c_str());

    ASSERT_TRUE(h.Create(IDD_CONFIRM_DELETE_KEEP));
    h.AnswerDialog("Norvik Varolink", IDYES);
    EXPECT_EQ(ShowHelpTopic(h.Page, "iuninsta.htm"), 0);  // no help file in this installation
    EXPECT_EQ(gRun.HelpUpgradeTried, 1);
    EXPECT_FALSE(gRun.HtmlHelpMissing);
    std::string calls = ReadTextFile(record);
    EXPECT_NE(calls.find("HHUPD.EXE"), std::string::npos) << calls;
    EXPECT_NE(calls.find("|" + prereqs), std::string::npos) << calls;
    EXPECT_TRUE(InOrder(h.Log(), {"  User: Yes", "->Upgrading-help dialog", "Process ended; exit code 0x00000000",
                                  "Checking for IE 4.01 SP1", "HTML Help 1.2 is installed",
                                  "Help: '' 'iuninsta.htm'"}))
        << ReadTextFile(h.LogPath);
    // Once tried, the question is not asked again.
    gRun.HtmlHelpMissing = TRUE;
    EXPECT_EQ(ShowHelpTopic(h.Page, "iuninsta.htm"), 0);
}

TEST_F(HelpTest, UpgradeThatCannotStartEndsTheDialogWithZero)
{
    EXPECT_EQ(RunHelpUpgradeDialog(NULL), 0);
    EXPECT_TRUE(InOrder(h.Log(), {"->Upgrading-help dialog"}));
}

TEST(MessageLanguage, LettersAndTheNeutralFallback)
{
    EXPECT_EQ(MessageLanguageForLetter('J'), 1041);
    EXPECT_EQ(MessageLanguageForLetter('j'), 1041);
    EXPECT_EQ(MessageLanguageForLetter('a'), 1033);
    EXPECT_EQ(MessageLanguageForLetter('V'), 2052);
    EXPECT_EQ(MessageLanguageForLetter('Z'), 0);
    EXPECT_EQ(InstalledMessageLanguage(1033), 1033);
    EXPECT_EQ(InstalledMessageLanguage(0), 1024);
    EXPECT_EQ(InstalledMessageLanguage(0x7F7F), 1024);  // no such locale
}

struct MessageTest : ::testing::Test {
    PageHarness h;
    void TearDown() override { h.Close(); }
};

TEST_F(MessageTest, SilentBoxIsOnlyLogged)
{
    h.Open(true, "C:\\vlwizmessage");
    EXPECT_EQ(ShowMessage(NULL, "Question?", MB_YESNO | MB_ICONQUESTION), 0);
    auto log = h.Log();
    EXPECT_TRUE(Contains(log, "MessageBox: 'Question?'"));
    EXPECT_FALSE(Contains(log, "  User: Yes") || Contains(log, "  User: No"));
}

TEST_F(MessageTest, YesNoAnswerIsLogged)
{
    h.Open(false, "C:\\vlwizmessage");
    h.AnswerDialog("Norvik Varolink", IDNO);
    EXPECT_EQ(ShowMessage(NULL, "Upgrade?", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_TRUE(InOrder(h.Log(), {"MessageBox: 'Upgrade?'", "  User: No"}));
}

TEST_F(MessageTest, StatusPathIsLowerCasedAndShortened)
{
    h.Open(false, "C:\\vlwizmessage");
    HWND page = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 200, 20, NULL, NULL, NULL, NULL);
    HWND line = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 16, page, NULL, NULL, NULL);
    const char path[] = "C:\\Program Files\\Norvik\\Varolink\\A Rather Long Folder Name\\Bin\\AVLXSSVN.EXE";
    EXPECT_TRUE(SetStatusText(line, path, TRUE));
    char shown[600];
    GetWindowTextA(line, shown, sizeof shown);
    std::string text = shown;
    EXPECT_NE(text.find("..."), std::string::npos) << text;
    EXPECT_LT(text.size(), strlen(path));
    EXPECT_EQ(text.substr(text.size() - 12), "avlxssvn.exe") << text;
    EXPECT_EQ(text.substr(0, 3), "c:\\") << text;
    SetStatusText(line, "Removing The Files", TRUE);
    GetWindowTextA(line, shown, sizeof shown);
    EXPECT_STREQ(shown, "Removing The Files");
    SetStatusText(line, path, FALSE);
    GetWindowTextA(line, shown, sizeof shown);
    EXPECT_STREQ(shown, path);
    DestroyWindow(page);
}

TEST_F(MessageTest, SilentStatusTextChangesNothing)
{
    h.Open(true, "C:\\vlwizmessage");
    HWND line = CreateWindowA("STATIC", "before", WS_POPUP, 0, 0, 150, 16, NULL, NULL, NULL, NULL);
    EXPECT_EQ(SetStatusText(line, "C:\\After\\File.txt", TRUE), 1);
    char shown[100];
    GetWindowTextA(line, shown, sizeof shown);
    EXPECT_STREQ(shown, "before");
    DestroyWindow(line);
}

// Windows NT 4 as Wine reports it for the program when its version setting is nt40.
struct Nt4Run : ::testing::Test {
    FixtureDescription d;
    void SetUp() override
    {
        d.Root = "C:\\vlwiznt4";
        d.Components = {{"Server", ""}};
    }
    void TearDown() override
    {
        DeleteValue(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\avliunin.exe", "Version");
        FixtureRemove(d);
    }
};

TEST_F(Nt4Run, PrerequisiteLinesOnNt4AndOnALaterSystem)
{
    ASSERT_TRUE(FixtureInstall(d));
    std::string rsp = d.Root + "\\answers.rsp", log = FixtureWorkFolder(d) + "\\avlilogn.txt";
    WriteTextFile(rsp, "[Varolink]\nVarolink=REMOVE\n");
    ASSERT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\""), 0);
    auto later = LogEntries(log);
    bool found = false;
    for (auto &line : later) found = found || (line.rfind("OS major version is ", 0) == 0 &&
                                               line.find("; assuming prereqs are satisfied") != std::string::npos);
    EXPECT_TRUE(found) << ReadTextFile(log);
    EXPECT_FALSE(Contains(later, "Checking for IE 4.01 SP1"));

    DeleteFileA(log.c_str());
    SetText(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\avliunin.exe", "Version", "nt40");
    ASSERT_EQ(RunUninstallerWith("-S -F1\"" + rsp + "\""), 0);
    EXPECT_TRUE(InOrder(LogEntries(log), {"Uninstallation folder '" + FixtureProgramFolder(d) + "\\uninst'",
                                          "Checking for IE 4.01 SP1", "IE 4.01 is installed",
                                          "Checking for HTML Help 1.2", "File version of 'hhctrl.ocx' is 5.2.3790.2744",
                                          "HTML Help 1.2 is installed", "Installed Varolink version is 5.1"}))
        << ReadTextFile(log);
}

}  // namespace
