#include "scenario.h"
#include "receiptcheck.h"
#include "fixturelists.h"
#include "previewmatch.h"
#include "runner.h"
#include "snapshot.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <algorithm>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif
#ifndef VL_SOURCE_DIR
#define VL_SOURCE_DIR "."
#endif

const std::string P = "C:\\Varolink\\Program", D = "C:\\Varolink\\Data", G = "C:\\Varolink\\Data\\log";

std::string WindowsFolder()
{
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    return windows;
}

std::string DefaultReceipt() { return D + "\\avlilogn.json"; }
std::string WindowsReceipt() { return WindowsFolder() + "\\avlilogn.json"; }

std::string ProductKey(const std::string &sub)
{
    return "key HKLM\\Software\\Norvik\\Varolink\\CurrentVersion" + (sub.empty() ? "" : "\\" + sub);
}

std::string ProductValue(const std::string &sub, const std::string &name)
{
    return "value HKLM\\Software\\Norvik\\Varolink\\CurrentVersion" + (sub.empty() ? "" : "\\" + sub) + "|" + name;
}

std::string ComponentValue(const std::string &name) { return ProductValue("Components", name); }

void Add(std::vector<std::string> *list, const std::vector<std::string> &items)
{
    list->insert(list->end(), items.begin(), items.end());
}

FixtureDescription RichInstallation(const std::string &release)
{
    FixtureDescription d;
    FixtureReadDescription((std::string(VL_SOURCE_DIR) + "\\testkit\\installations\\rich-" + release + ".txt").c_str(), &d);
    return d;
}

void SetComponentValue(FixtureDescription *d, const std::string &valueName, const std::string &value)
{
    for (FixtureComponent &c : d->Components)
        if (c.ValueName == valueName) {
            c.Value = value;
            return;
        }
    d->Components.push_back({valueName, value});
}

void DropComponent(FixtureDescription *d, const std::string &valueName)
{
    d->Components.erase(std::remove_if(d->Components.begin(), d->Components.end(),
                                       [&](const FixtureComponent &c) { return c.ValueName == valueName; }),
                        d->Components.end());
}

// The lines the installer's uninstall stand-in appended to record. It is
// started, not waited for: when the log says it was started, give it up to
// ten seconds to write its whole line.
static std::vector<std::string> InstallerUninstallRecord(const std::string &record, const std::vector<std::string> &log)
{
    bool started = false;
    for (const std::string &line : log) started |= line.find("Starting UninstallShield silent") != std::string::npos;
    if (started) WaitForHandOverRecord(record, 10000);
    return LogEntries(record);
}

bool VlmAccountPresent()
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    char domain[256];
    DWORD sidSize = sizeof sid, domainSize = sizeof domain;
    SID_NAME_USE use;
    return LookupAccountNameA(NULL, "vlm", sid, &sidSize, domain, &domainSize, &use) != 0;
}

// The profile folders of the "vlm" user that the shell looks for when it
// names the Start menu and Desktop folders. Wine makes them only for the
// user a prefix was created by; Windows makes them at a user's first logon.
static void MakeVlmProfile()
{
    char drive[16] = "C:";
    GetEnvironmentVariableA("SystemDrive", drive, sizeof drive);
    std::string profile = std::string(drive) + "\\users\\vlm";
    MakeFolders(profile + "\\Desktop");
    MakeFolders(profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp");
}

// The MIF file the stand-in writes for a -I name into folder.
static std::string MifPath(const std::string &folder, const std::string &mifName)
{
    std::string name = mifName;
    if (name.size() > 4 && lstrcmpiA(name.substr(name.size() - 4).c_str(), ".mif") == 0) name.resize(name.size() - 4);
    return folder + "\\" + name + ".mif";
}

// Puts the status-MIF library's stand-in on the search path of the programs
// started from here, for as long as it lives; it writes into folder (outside
// the snapshots), not into the Windows folder.
struct MifLibraryOnPath {
    std::string Saved;
    explicit MifLibraryOnPath(const std::string &folder)
    {
        char path[32768] = "";
        GetEnvironmentVariableA("PATH", path, sizeof path);
        Saved = path;
        SetEnvironmentVariableA("PATH", (std::string(VL_BIN_DIR "\\mif;") + Saved).c_str());
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", folder.c_str());
    }
    ~MifLibraryOnPath()
    {
        SetEnvironmentVariableA("PATH", Saved.c_str());
        SetEnvironmentVariableA("VL_ISMIF_FOLDER", NULL);
    }
};

// The snapshot of a scenario: with the owner and access list of the
// installation's program, uninstallation and data folders.
static SnapshotOptions ScenarioSnapshotOptions(const FixtureDescription &d)
{
    SnapshotOptions options;
    std::string program = FixtureProgramFolder(d);
    options.SecuredFolders = {program, program + "\\uninst", FixtureWorkFolder(d)};
    return options;
}

// What the snapshots of a scenario see, and the files a run writes about
// itself: ownFiles (a preview's log and receipt) or, by default, the real
// run's default log and its receipt, beside the log or, when the run
// removed the data folder with its log, in the Windows folder.
static PreviewScope ScenarioPreviewScope(const FixtureDescription &d, const std::vector<std::string> &ownFiles = {})
{
    PreviewScope scope;
    scope.ProgramsFolder = FixtureCommonFolder(CSIDL_COMMON_PROGRAMS);
    scope.StartupFolder = FixtureCommonFolder(CSIDL_COMMON_STARTUP);
    scope.RegistryRoots = SnapshotDefaultRegistryRoots();
    scope.SecuredFolders = ScenarioSnapshotOptions(d).SecuredFolders;
    char temp[MAX_PATH] = "", profile[MAX_PATH] = "";
    if (GetTempPathA(sizeof temp, temp)) scope.UnobservedFolders.push_back(temp);
    if (GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile)) scope.UnobservedFolders.push_back(profile);
    std::string work = FixtureWorkFolder(d);
    scope.OwnFiles = ownFiles.empty() ? std::vector<std::string>{work + "\\avlilogn.txt", work + "\\avlilogn.json",
                                                                 WindowsFolder() + "\\avlilogn.json"}
                                      : ownFiles;
    return scope;
}

ScenarioRun RunScenario(const FixtureDescription &d, const ScenarioRemoval &remove, const std::string &mifName)
{
    ScenarioRun run;
    run.Vlm = VlmAccountPresent();
    if (run.Vlm) MakeVlmProfile();
    FixtureRemove(d);
    DeleteFileA(WindowsReceipt().c_str());
    run.PathBefore = FixtureSystemEnv("PATH");
    // The folder's name holds no "-s", "-g", "-b", "-i" or "-u": the
    // uninstaller finds its switches anywhere in its parameters.
    std::string folder = MakeUniqueTempFolder("e2e");
    MifLibraryOnPath mifLibrary(folder);
    SnapshotOptions options = ScenarioSnapshotOptions(d);
    if (!FixtureInstall(d)) {
        run.Failures = "the installation could not be laid down\n";
        FixtureRemove(d);
        DeleteFolderTree(folder);
        return run;
    }
    run.Before = TakeSnapshot(options);
    // The installer's uninstall stand-in appends its command line here.
    std::string record = folder + "\\isuninst.txt";
    SetEnvironmentVariableA("VL_ISUNINST_RECORD", record.c_str());
    run.ExitCode = remove(folder, &run);
    run.After = TakeSnapshot(options);
    std::string log = FixtureWorkFolder(d) + "\\avlilogn.txt";
    run.LogExists = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
    run.Log = LogEntries(log);
    run.InstallerUninstallRecord = InstallerUninstallRecord(record, run.Log);
    if (!mifName.empty()) run.Mif = ReadTextFile(MifPath(folder, mifName));
    for (const std::string &receipt : {FixtureWorkFolder(d) + "\\avlilogn.json", WindowsReceipt()}) {
        if (GetFileAttributesA(receipt.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        run.ReceiptPath = receipt;
        run.Receipt = ReadTextFile(receipt);
        run.ReceiptProblems = ReceiptSchemaProblems(receipt);
        break;
    }
    DeleteFileA(WindowsReceipt().c_str());
    SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
    FixtureRemove(d);
    DeleteFolderTree(folder);
    return run;
}

// The response text with "Preview=YES" in its "Varolink" stanza.
static std::string PreviewResponse(const std::string &response)
{
    std::string lower = response;
    for (char &c : lower) c = (char)tolower((unsigned char)c);
    size_t stanza = lower.find("[varolink]");
    if (stanza == std::string::npos) return response + "\r\n[Varolink]\r\nPreview=YES\r\n";
    size_t end = response.find('\n', stanza);
    if (end == std::string::npos) return response + "\r\nPreview=YES\r\n";
    return response.substr(0, end + 1) + "Preview=YES\r\n" + response.substr(end + 1);
}

// The receipt the answers' "Receipt" keyword names ("" when none); a bare
// name lands in the log's folder.
static std::string NamedReceipt(const std::string &response, const std::string &logFolder)
{
    std::string lower = response;
    for (char &c : lower) c = (char)tolower((unsigned char)c);
    size_t at = lower.find("\nreceipt=");
    if (at == std::string::npos) return "";
    at += 9;
    std::string value = response.substr(at, response.find_first_of("\r\n", at) - at);
    if (value.find(':') != std::string::npos || value.rfind("\\", 0) == 0) return value;
    return logFolder + "\\" + value;
}

// The preview of a silent scenario, from the state of run->Before: its -G
// log goes to a folder of its own on drive C: (so that the snapshot sees
// what it writes there), which is removed again afterwards.
static void RunPreview(const FixtureDescription &d, const std::string &folder, const std::string &response,
                       const std::string &switches, const std::string &mifName, ScenarioRun *run)
{
    static int count = 0;
    std::string answers = folder + "\\preview.rsp";
    std::string logFolder = "C:\\VlPreview" + std::to_string(GetCurrentProcessId()) + "n" + std::to_string(++count);
    std::string log = logFolder + "\\log\\preview.txt", receipt = logFolder + "\\log\\preview.json";
    run->Previewed = true;
    if (!WriteTextFile(answers, PreviewResponse(response))) {
        run->PreviewChanges = "the preview's response file could not be written\n";
        return;
    }
    run->PreviewExitCode = RunUninstallerWith("-S -F1\"" + answers + "\" -G\"" + log + "\"" +
                                              (switches.empty() ? "" : " " + switches), 300000);
    std::vector<std::string> after = TakeSnapshot(ScenarioSnapshotOptions(d));
    run->PreviewLog = LogEntries(log);
    PreviewScope own = ScenarioPreviewScope(d, {log, receipt, NamedReceipt(response, logFolder + "\\log")});
    run->PreviewChanges = ChangesBesidesOwnFiles(DiffSnapshots(run->Before, after), own);
    run->PreviewReceipt = ReadTextFile(receipt);
    run->PreviewReceiptProblems = ReceiptSchemaProblems(receipt);
    // Outside the snapshot: the status MIF and the installer's uninstall program.
    if (!mifName.empty() && !ReadTextFile(MifPath(folder, mifName)).empty())
        run->PreviewChanges += "the preview wrote the status MIF " + MifPath(folder, mifName) + "\n";
    if (PathExists(folder + "\\isuninst.txt")) run->PreviewChanges += "the preview started the installer's uninstall program\n";
    DeleteFolderTree(logFolder);
}

// The preview's verdict on a run that had one: exit code 0, nothing changed
// but its own files, and its "Would ..." items the real run's changes.
static void ExpectPreviewMatches(const FixtureDescription &d, const std::string &response, const ScenarioRun &run)
{
    if (!run.Previewed) return;
    std::string log;
    for (const std::string &line : run.PreviewLog) log += line + "\n";
    EXPECT_EQ(run.PreviewExitCode, 0) << "the preview must end with exit code 0\n---- log of the preview ----\n" << log;
    EXPECT_EQ(run.PreviewChanges, "") << "the preview changed the machine\n---- log of the preview ----\n" << log;
    if (run.PreviewExitCode != 0 || !run.PreviewChanges.empty()) return;
    PreviewScope scope = ScenarioPreviewScope(d);
    std::string named = NamedReceipt(response, FixtureWorkFolder(d));
    if (!named.empty()) scope.OwnFiles.push_back(named);
    std::string mismatch =
        FormatPreviewMismatch(ComparePreview(run.PreviewLog, DiffSnapshots(run.Before, run.After), scope));
    EXPECT_EQ(mismatch, "") << "the preview's \"Would ...\" items differ from the real run's changes\n"
                            << "---- log of the preview ----\n" << log;
}

ScenarioRun RunSilentScenario(const FixtureDescription &d, const std::string &response, const std::string &switches,
                              const std::string &mifName)
{
    ScenarioRun result = RunScenario(d, [&](const std::string &folder, ScenarioRun *run) {
        RunPreview(d, folder, response, switches, mifName, run);
        std::string answers = folder + "\\answers.rsp";
        if (!WriteTextFile(answers, response)) {
            run->Failures += "the response file could not be written\n";
            return -1;
        }
        // Five minutes at most: the stop sequence and the waits of a removal
        // take seconds; a run that hangs on a page is the fault to report.
        return RunUninstallerWith("-S -F1\"" + answers + "\"" + (switches.empty() ? "" : " " + switches), 300000);
    }, mifName);
    ExpectPreviewMatches(d, response, result);
    return result;
}

std::string Explain(const ScenarioRun &run, const ExpectedDifference &expected)
{
    std::string text = run.Failures;
    // Every run writes a receipt, as it writes its log; the receipt tests
    // say where. Each receipt is held to the schema here.
    ExpectedDifference withReceipt = expected;
    Add(&withReceipt.MayCome, {File(DefaultReceipt()), File(WindowsReceipt())});
    Add(&withReceipt.MayChange, {File(DefaultReceipt())});
    if (!run.ReceiptProblems.empty()) text += run.ReceiptProblems + "\n";
    for (const std::string &failure : CheckDifference(run.Before, run.After, withReceipt)) text += failure + "\n";
    if (!text.empty()) {
        text += "---- log of the run ----\n";
        for (const std::string &line : run.Log) text += line + "\n";
    }
    return text;
}

