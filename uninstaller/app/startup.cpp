#include "app/startup.h"
#include "core/codepage.h"
#include "core/mbchar.h"
#include "checks/checks.h"
#include "app/cmdline.h"
#include "app/discovery.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathguard.h"
#include "core/messagebox.h"
#include "core/nls.h"
#include "app/pageflow.h"
#include "core/regread.h"
#include "core/response.h"
#include "core/runstate.h"
#include "core/text.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmscan.h"
#include "core/fileprobes.h"
#include "removal/registry.h"
#include "engine/worker.h"
#include "security/security.h"
#include "wizard/help.h"
#include <commctrl.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

enum { EXIT_STOP = 1 };

BOOL ValidMifPath(const char *path)
{
    static BOOL fetched;
    static BOOL fetchFailed;
    static char drives[512];
    if (!MifPathSyntaxValid(path)) return FALSE;
    if (!fetched) {
        fetched = TRUE;
        DWORD needed = GetLogicalDriveStringsA(sizeof drives, drives);
        if (needed == 0) fetchFailed = TRUE;
        else if (needed > sizeof drives) {
            LogLine("***Unable to get drives list");
            drives[0] = drives[1] = 0;
        }
    }
    if (fetchFailed) return FALSE;
    if (!drives[0]) return TRUE;  // list unavailable: the drive test is skipped
    return MifDriveListed(path, drives);
}

BOOL SingleInstanceTest()
{
    SetLastError(0);
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 32,
                                        "zidTEST_MAPPING Varolink 5.1");
    if (mapping && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mapping);
        return FALSE;
    }
    // The handle stays open until the process ends, so later copies see it.
    return TRUE;
}

static void DropTrailingBackslash(char *path)
{
    MbTrimLast(path, '\\');
}

// Creates every folder on the log path below the drive root (failures ignored).
static void CreateLogFolders(const char *logPath)
{
    char folder[VL_PATH_SIZE];
    const char *first = MbFindChar(logPath, '\\');
    if (!first) return;
    for (const char *slash = MbFindChar(first + 1, '\\'); slash; slash = MbFindChar(slash + 1, '\\')) {
        size_t n = (size_t)(slash - logPath);
        if (n >= sizeof folder) return;
        memcpy(folder, logPath, n);
        folder[n] = 0;
        CreateDirectoryA(folder, NULL);
    }
}

// Steps 5 and 6: the log location.
static void ChooseLogPath(const char *parameters, BOOL *logPathRefused)
{
    int fits;
    char value[VL_PATH_SIZE];
    if (LogSwitchValue(parameters, value, sizeof value, &fits)) {
        if (fits) {
            CopyText(gRun.LogPath, VL_PATH_SIZE, value);
            gRun.DefaultLogUsed = FALSE;
        } else {
            *logPathRefused = TRUE;
        }
    }
    // A preview writes no other run's log: without a log of its own it has none.
    if (gRun.DefaultLogUsed && gRun.Preview) {
        gRun.LogPath[0] = 0;
        gRun.LogActive = FALSE;
        return;
    }
    if (gRun.DefaultLogUsed) {
        ReadProductPaths();
        CopyText(gRun.ProductWorkPath, VL_PATH_SIZE, gRegWorkPath);
        if (gRun.ProductWorkPath[0] &&
            !FormatText(gRun.LogPath, VL_PATH_SIZE, "%s\\%s", gRun.ProductWorkPath, VL_LOG_FILE_NAME))
            gRun.LogPath[0] = 0;
    }
    if (!gRun.LogPath[0]) {
        gRun.DefaultLogUsed = TRUE;
        return;
    }
    CreateLogFolders(gRun.LogPath);
    char *slash = MbFindLastChar(gRun.LogPath, '\\');
    if (!slash) {
        gRun.LogActive = TRUE;
        return;
    }
    char folder[VL_PATH_SIZE];
    CopyText(folder, sizeof folder, gRun.LogPath);
    folder[slash - gRun.LogPath] = 0;
    gRun.LogActive = FolderExists(folder);
    if (!gRun.LogActive) {
        gRun.LogPath[0] = 0;
        gRun.DefaultLogUsed = TRUE;
    }
}

// Step 10: FALSE when a MIF name was given and fails the checks.
static BOOL CheckMifName()
{
    if (!gRun.MifName[0]) return TRUE;
    char copy[VL_PATH_SIZE];
    CopyText(copy, sizeof copy, gRun.MifName);
    size_t n = strlen(copy);
    if (n > 4 && TextEqualNoCase(copy + n - 4, ".mif")) copy[n - 4] = 0;
    char full[VL_PATH_SIZE];
    BOOL fits = FormatText(full, sizeof full, "%s\\%s.mif", gRun.WindowsDir, copy);
    if (fits && ValidMifPath(full) && !MbFindChar(copy, '\\')) {
        LogLineF("MIF file is '%s'", full);
        return TRUE;
    }
    LogLineF("MIF file specification '%s' not valid", gRun.MifName);
    gRun.MifName[0] = 0;
    return FALSE;
}

// Step 11: the folder of the uninstaller's own program file.
static void FindLaunchFolder(const char *programName)
{
    char name[VL_PATH_SIZE];
    CopyText(name, sizeof name, programName);
    if (MbFindChar(name, '\\')) {
        SplitPath(name, gRun.LaunchFolder, NULL);
    } else {
        if (!MbFindChar(name, '.') && !AppendText(name, sizeof name, ".exe")) name[0] = 0;
        char full[VL_PATH_SIZE];
        char *filePart = NULL;
        DWORD n = name[0] ? GetFullPathNameA(name, sizeof full, full, &filePart) : 0;
        if (n > 0 && n < sizeof full) SplitPath(full, gRun.LaunchFolder, NULL);
    }
    if (!gRun.LaunchFolder[0]) {
        DWORD n = GetCurrentDirectoryA(VL_PATH_SIZE, gRun.LaunchFolder);
        if (n == 0 || n >= VL_PATH_SIZE) gRun.LaunchFolder[0] = 0;
        DropTrailingBackslash(gRun.LaunchFolder);
    }
}

// Step 12.
static void FindResponseFile(BOOL given, const char *value)
{
    if (!gRun.LaunchFolder[0]) {
        if (given && MbFindChar(value, '\\')) CopyText(gRun.ResponseFilePath, VL_PATH_SIZE, value);
        return;
    }
    if (!given) FormatText(gRun.ResponseFilePath, VL_PATH_SIZE, "%s\\%s", gRun.LaunchFolder, "avliunin.rsp");
    else if (MbFindChar(value, '\\')) CopyText(gRun.ResponseFilePath, VL_PATH_SIZE, value);
    else if (!FormatText(gRun.ResponseFilePath, VL_PATH_SIZE, "%s\\%s", gRun.LaunchFolder, value))
        gRun.ResponseFilePath[0] = 0;
}

// Step 25: the compiled help file in the program's "bin" folder.
static void FindHelpFile()
{
    char name[VL_TEXT_SIZE];
    if (!LoadNlsString(name, 651)) FormatText(name, sizeof name, "avlhlp%sw.chm", gRun.LanguageCode);
    if (FormatText(gRun.HelpFilePath, VL_PATH_SIZE, "%s\\%s\\%s", gRun.ProgramFilesPath, "bin", name) &&
        FileExists(gRun.HelpFilePath)) {
        LogLineF("Help path is '%s'", gRun.HelpFilePath);
        return;
    }
    LogLineF("Can't find help file '%s'", gRun.HelpFilePath);
    gRun.HelpFilePath[0] = 0;
}

// The longest a removal step runs without looking at the stop request (a
// directory in use is retried for 20 s, a program is waited for 60 s).
enum { WORKER_STOP_WAIT_MS = 90000 };

// Step 22: FALSE (after a message box) when this user may not create services.
static BOOL ServiceControlAllowed()
{
    int canControl = 0;
    char userName[VL_PATH_SIZE];
    int tested = CheckServiceControlAccess(&canControl, userName);
    char message[VL_TEXT_SIZE];
    if (!ServiceAccessRefusal(tested, canControl, userName, message, sizeof message)) return TRUE;
    ShowMessage(NULL, message, MB_ICONSTOP);
    return FALSE;
}

// The end of every run: the NLS library's one load is given back, then the log is closed.
static void CloseLogAndNls()
{
    NlsFreeLibrary();
    LogClose();
}

// Step 19, after the library is loaded: the texts every later message box
// shares, read once here on the GUI thread before any other thread exists.
static void SetUpMessageBoxes()
{
    char caption[VL_TEXT_SIZE] = "";
    if (NlsLibrary() && !LoadNlsString(caption, 604)) caption[0] = 0;
    SetMessageBoxTexts(caption, NlsLanguageLetter());
}

// The folders the removal works in, named by the values they came from, for
// the deletion guard: links are looked for from each of them down, and one
// that is or holds a protected folder is refused as a whole.
static void RegisterProductFolders()
{
    GuardClearRoots();
    GuardAddRoot("FilePath", gRun.ProgramFilesPath);
    GuardAddRoot("WorkPath", gRun.ProductWorkPath);
    GuardAddRoot("Log default path", gRun.LogDefaultPath);
    char name[MAX_PATH], directory[MAX_PATH], logPath[MAX_PATH], source[VL_TEXT_SIZE];
    for (BOOL more = QmListFirst(name, directory, logPath, NULL); more;
         more = QmListNext(name, directory, logPath, NULL)) {
        if (FormatText(source, sizeof source, "Queue manager '%s' directory", name))
            GuardAddRoot(source, directory);
        if (FormatText(source, sizeof source, "Queue manager '%s' log path", name)) GuardAddRoot(source, logPath);
    }
    char programs[MAX_PATH + 1], folder[VL_PATH_SIZE];
    if (gRun.ProgramFolderName[0] && SHGetFolderPathA(NULL, CSIDL_COMMON_PROGRAMS, NULL, 0, programs) == S_OK &&
        FormatText(folder, sizeof folder, "%s\\%s", programs, gRun.ProgramFolderName))
        GuardAddRoot("Start-menu folder", folder);
}

static void EndOfRun()
{
    // A run ended during removal: the worker stops at its next step boundary
    // (the component it was removing keeps its "Incomplete" marker) before
    // anything it uses is freed. Its messages to the page fail once the page
    // is gone.
    if (gRun.CurrentPage) DestroyWindow(gRun.CurrentPage);
    gRun.CurrentPage = NULL;
    BOOL workerStopped = StopRemovalWorker(WORKER_STOP_WAIT_MS);
    if (!workerStopped) {
        // The worker is still inside a step: nothing it uses may be freed or
        // closed beside it, so the process ends here, as the end of a run does.
        LogLine("***The removal did not stop in time; the uninstallation ends with it");
        LogLine("\nUninstallation ended.");
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (gRun.MainWindow) DestroyWindow(gRun.MainWindow);
    gRun.MainWindow = NULL;
    QmListFree();
    LogLine("\nUninstallation ended.");
    // The default log goes with the data after a removal that met no error,
    // and always when the run had a log of its own. A removal cut short keeps
    // its default log for the rerun to append to; one that posted its end
    // notice did its whole work, even when the run ended before it finished.
    BOOL complete = gRun.AllSucceeded && !RemovalInterrupted();
    if (gRun.RemoveAllWithData && (complete || !gRun.DefaultLogUsed) && gRun.ProductWorkPath[0]) {
        char defaultLog[VL_PATH_SIZE];
        if (FormatText(defaultLog, sizeof defaultLog, "%s\\%s", gRun.ProductWorkPath, VL_LOG_FILE_NAME) &&
            GuardFile(defaultLog))
            MachineDeleteFile(defaultLog);
    }
    CloseLogAndNls();
}

static int StopWithEnd()
{
    LogLine("\nUninstallation ended.");
    CloseLogAndNls();
    return EXIT_STOP;
}

int RunUninstaller(HINSTANCE instance, const char *commandLine)
{
    // 1-3: run state, system folders, program name and parameters. Paths are
    // read by character of the system's code page from here on.
    UseSystemCodePage();
    RunStateReset();
    SetKeyRepair(OpenKeyWithRepair);
    InitCommonControls();
    if (!GetWindowsDirectoryA(gRun.WindowsDir, VL_PATH_SIZE)) gRun.WindowsDir[0] = 0;
    if (!GetSystemDirectoryA(gRun.SystemDir, VL_PATH_SIZE)) gRun.SystemDir[0] = 0;
    DropTrailingBackslash(gRun.WindowsDir);
    DropTrailingBackslash(gRun.SystemDir);
    static char programName[VL_PATH_SIZE], parameters[2048];
    BOOL commandLineFits = SplitCommandLine(commandLine ? commandLine : "", programName, sizeof programName,
                                            parameters, sizeof parameters);

    // One copy at a time. The instance is claimed before anything shared is
    // touched: a second copy keeps its log state to itself (the running
    // copy's shared block keeps its silent flag, log path and switch), repairs
    // no key and secures nothing; it is refused where the single-instance
    // test stands in the sequence below.
    BOOL secondCopy = !SingleInstanceTest();
    if (secondCopy) {
        LogUseOwnBlock();
        AllowKeyRepair(FALSE);
    }

    // 4-7: mode and log. A command line cut to its buffers is refused: its
    // switches could have lost their ends and turned into other values, so
    // not even its log path is used.
    gRun.SilentMode = FlagSwitch(parameters, "S");

    // The response file is found first (steps 8, 11 and 12 change nothing;
    // they are logged in their places below): a preview must be known before
    // the log opens, the product key is secured or anything is marked.
    int fits;
    char responseValue[VL_PATH_SIZE];
    BOOL responseGiven = SwitchValue(commandLineFits ? parameters : "", "F1", responseValue, sizeof responseValue,
                                     &fits);
    BOOL responseTooLong = responseGiven && !fits;
    if (responseTooLong) responseValue[0] = 0;
    FindLaunchFolder(programName);
    FindResponseFile(responseGiven, responseValue);
    BOOL previewAsked = commandLineFits && ResponseAsksPreview(gRun.ResponseFilePath);
    gRun.Preview = previewAsked && gRun.SilentMode;
    // Its repairs of keys that refuse access are listed like every change.
    if (gRun.Preview) LogOnlyOwnFile();

    BOOL logPathRefused = FALSE;
    ChooseLogPath(commandLineFits ? parameters : "", &logPathRefused);
    LogOpen(gRun.SilentMode, gRun.LogActive, gRun.LogPath);
    if (!commandLineFits) {
        LogLine("***Command line too long; uninstallation not started");
        CloseLogAndNls();
        return EXIT_STOP;
    }
    if (logPathRefused) LogLine("***Log file path too long; using the default log");

    // 8-10: the other switches.
    gRun.SkipBroadcast = FlagSwitch(parameters, "B");
    if (responseTooLong) LogLine("***Response file name too long");
    if (SwitchValue(parameters, "I", gRun.MifName, VL_PATH_SIZE, &fits) && !fits) {
        LogLineF("MIF file specification '%s' not valid", gRun.MifName);
        CloseLogAndNls();
        return EXIT_STOP;
    }
    if (!CheckMifName()) {
        CloseLogAndNls();
        return EXIT_STOP;
    }

    // 11-13: the first lines.
    LogLineF("Launch folder '%s'", gRun.LaunchFolder);
    LogLineF("Execution parameters '%s'", parameters);
    if (gRun.SilentMode) {
        LogLine("Silent uninstallation");
        LogLineF("Response file '%s'", gRun.ResponseFilePath);
        if (gRun.Preview) LogLine("Preview: what the uninstallation would change is listed; nothing is changed");
    } else {
        LogLine("Interactive uninstallation");
        if (previewAsked) LogLine("Preview ignored: a preview is a silent uninstallation only");
    }

    // 14: the product key is secured; a failure is recorded and the run goes on.
    if (!secondCopy) gRun.AllSucceeded &= SecureProductRegistry(VL_PRODUCT_KEY, NULL);

    // 15-17: the product key and its program folder.
    HKEY key;
    if (OpenProductKey(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        LogLine("Varolink for Windows NT is not installed.");
        return StopWithEnd();
    }
    char text[VL_TEXT_SIZE] = "";
    DWORD type = 0, size = sizeof text - 1;
    if (RegQueryValueExA(key, "FilePath", NULL, &type, (BYTE *)text, &size) == ERROR_SUCCESS) {
        text[size < sizeof text ? size : sizeof text - 1] = 0;
        if (!CopyText(gRun.ProgramFilesPath, VL_PATH_SIZE, text)) {
            LogLine("***Value 'FilePath' is too long for a path; ignored");
            gRun.ProgramFilesPath[0] = 0;
        }
    }
    RegCloseKey(key);
    if (SwitchValue(parameters, "U", gRun.InstallerUninstallProgram, VL_PATH_SIZE, &fits)) {
        if (!fits) {
            LogLine("***Uninstall program path too long; ignored");
            gRun.InstallerUninstallProgram[0] = 0;
        }
    } else {
        BOOL named = ReadRegString(VL_PRODUCT_KEY, "UninstName", NULL, text, NULL) == 0;
        if (named && !CopyText(gRun.InstallerUninstallProgram, VL_PATH_SIZE, text)) {
            LogLine("***Value 'UninstName' is too long for a path; ignored");
            named = FALSE;
        }
        if (!named)
            FormatText(gRun.InstallerUninstallProgram, VL_PATH_SIZE, "%s\\%s", gRun.WindowsDir, "isuninst.exe");
    }
    if (!gRun.ProgramFilesPath[0]) {
        LogLine("Can't find program files top-level folder in directory.");
        return StopWithEnd();
    }

    // 18-19: uninstall folder and the NLS library path in the shared block.
    if (!FormatText(gRun.UninstFolder, VL_PATH_SIZE, "%s\\%s", gRun.ProgramFilesPath, "uninst") ||
        !FormatText(gRun.NlsLibraryPath, VL_PATH_SIZE, "%s\\%s", gRun.UninstFolder, "_isuser.dll")) {
        LogLine("Can't find program files top-level folder in directory.");
        return StopWithEnd();
    }
    LogLineF("Uninstallation folder '%s'", gRun.UninstFolder);
    SetCurrentDirectoryA(gRun.WindowsDir);
    LogOpen(gRun.SilentMode, gRun.LogActive, gRun.LogPath, gRun.UninstFolder, gRun.UninstFolder,
            gRun.NlsLibraryPath);
    NlsLoadLibrary(gRun.NlsLibraryPath);
    SetUpMessageBoxes();

    // 20: one copy at a time.
    if (secondCopy) {
        char message[VL_TEXT_SIZE];
        LoadNlsString(message, 238);
        ShowMessage(NULL, message, MB_ICONSTOP);
        CloseLogAndNls();
        return EXIT_STOP;
    }

    // 21-22: the help prerequisites, and the right to create services.
    CheckHelpPrerequisites(NULL, NULL);
    if (!ServiceControlAllowed()) {
        CloseLogAndNls();
        return EXIT_STOP;
    }

    // 23-27: discovery, language, help file, response file, display names.
    DiscoverInstallation();
    char letter[2] = {NlsLanguageLetter(), 0};
    if (!letter[0]) letter[0] = 'a';
    CopyText(gRun.LanguageCode, VL_PATH_SIZE, letter);
    LowerText(gRun.LanguageCode);
    FindHelpFile();
    if (gRun.SilentMode && !ReadResponseFile()) {
        LogLine("Response file error");
        CloseLogAndNls();
        return EXIT_STOP;
    }
    LoadComponentDisplayNames();

    // 28: queue-manager discovery. A machine with queue managers but no
    // recorded server still needs the server procedure, so it is marked.
    ScanQueueManagers(gRun.ProductWorkPath);
    gRun.QueueManagersFound = QmListFirst(NULL, NULL, NULL, NULL);
    // Release 2.0 recorded its components as values of the product key and
    // has no components key: the key is created for the marker, or the
    // client procedures would take the server for absent and delete the
    // queue managers' configuration with the shared client files.
    if (gRun.QueueManagersFound && !ComponentRecorded("Server")) {
        HKEY components = NULL;
        if (MachineCreateKey(VL_COMPONENTS_KEY, &components) == ERROR_SUCCESS && components)
            RegCloseKey(components);
        SetRegistryValue(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, "Server", REG_SZ, "Incomplete", -1);
    }

    RegisterProductFolders();

    // 29: Web Administration user data.
    char webData[VL_PATH_SIZE];
    gRun.WebAdminDataExists = gRun.ProductWorkPath[0] &&
        FormatText(webData, sizeof webData, "%s\\%s\\%s\\%s", gRun.ProductWorkPath, "vlwa", "scripts", "public") &&
        !FolderIsEmpty(webData);
    LogLine(gRun.WebAdminDataExists ? "Web Admin user data exists" : "No Web Admin user data exists");

    // 30: the NLS library as a data file: the page templates.
    gRun.NlsDataModule = LoadLibraryExA(gRun.NlsLibraryPath, NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!gRun.NlsDataModule) {
        char message[VL_TEXT_SIZE];
        FormatText(message, sizeof message, "LoadLibrary failed '%s'. (ZID4700)", gRun.NlsLibraryPath);
        ShowMessage(NULL, message, MB_ICONSTOP);
        CloseLogAndNls();
        return EXIT_STOP;
    }

    // 31-32: messages, main window, the page loop.
    if (!CreateMainWindow(instance)) {
        CloseLogAndNls();
        return EXIT_STOP;
    }
    PostMessageA(gRun.MainWindow, gRun.MsgStartMain, 0, 0);
    int exitCode = RunMessageLoop();
    EndOfRun();
    // A preview that came this far listed the whole removal: it succeeded.
    return gRun.Preview ? 0 : exitCode;
}
