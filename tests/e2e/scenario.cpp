#include "scenario.h"
#include "receiptcheck.h"
#include "fixturelists.h"
#include "runner.h"
#include "snapshot.h"
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
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

// The owner and access list of the product key as SDDL ("" when unreadable).
static std::string ProductKeySecurity()
{
    PSECURITY_DESCRIPTOR descriptor = NULL;
    if (GetNamedSecurityInfoA("MACHINE\\Software\\Norvik\\Varolink\\CurrentVersion", SE_REGISTRY_KEY,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, NULL, NULL, NULL, NULL,
                              &descriptor) != ERROR_SUCCESS)
        return "";
    char *text = NULL;
    std::string sddl;
    if (ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                                             &text, NULL)) {
        sddl = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sddl;
}

static ScenarioRun RunScenarioAfter(const FixtureDescription &d, const ScenarioRemoval *preview,
                                    const ScenarioRemoval &remove, const std::string &mifName);

ScenarioRun RunScenario(const FixtureDescription &d, const ScenarioRemoval &remove, const std::string &mifName)
{
    return RunScenarioAfter(d, NULL, remove, mifName);
}

// RunScenario, with preview (when given) run between a first snapshot and Before.
static ScenarioRun RunScenarioAfter(const FixtureDescription &d, const ScenarioRemoval *preview,
                                    const ScenarioRemoval &remove, const std::string &mifName)
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
    SnapshotOptions options;
    if (!FixtureInstall(d)) {
        run.Failures = "the installation could not be laid down\n";
        FixtureRemove(d);
        DeleteFolderTree(folder);
        return run;
    }
    if (preview) {
        run.BeforePreview = TakeSnapshot(options);
        run.KeySecurityBeforePreview = ProductKeySecurity();
        run.PreviewExitCode = (*preview)(folder, &run);
        run.KeySecurityAfterPreview = ProductKeySecurity();
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

ScenarioRun RunSilentScenario(const FixtureDescription &d, const std::string &response, const std::string &switches,
                              const std::string &mifName)
{
    return RunScenario(d, [&](const std::string &folder, ScenarioRun *run) {
        std::string answers = folder + "\\answers.rsp";
        if (!WriteTextFile(answers, response)) {
            run->Failures += "the response file could not be written\n";
            return -1;
        }
        // Five minutes at most: the stop sequence and the waits of a removal
        // take seconds; a run that hangs on a page is the fault to report.
        return RunUninstallerWith("-S -F1\"" + answers + "\"" + (switches.empty() ? "" : " " + switches), 300000);
    }, mifName);
}

// Writes the answers into folder; "" after a failure (noted in the run).
static std::string WriteAnswers(const std::string &folder, const std::string &name, const std::string &response,
                                ScenarioRun *run)
{
    std::string answers = folder + "\\" + name;
    if (WriteTextFile(answers, response)) return answers;
    run->Failures += "the response file could not be written\n";
    return "";
}

ScenarioRun RunPreviewedScenario(const FixtureDescription &d, const std::string &response,
                                 const std::string &switches)
{
    ScenarioRemoval preview = [&](const std::string &folder, ScenarioRun *run) {
        // The keyword joins the answers' own "Varolink" stanza.
        std::string asked = response;
        size_t stanza = asked.find("[Varolink]\r\n");
        if (stanza == std::string::npos) asked = "[Varolink]\r\nPreview=YES\r\n" + asked;
        else asked.insert(stanza + 12, "Preview=YES\r\n");
        std::string answers = WriteAnswers(folder, "preview.rsp", asked, run);
        if (answers.empty()) return -1;
        // Its own log in a folder of its own, which the preview makes.
        std::string log = folder + "\\preview\\preview.txt";
        int exitCode = RunUninstallerWith("-S -F1\"" + answers + "\" -G\"" + log + "\"" +
                                          (switches.empty() ? "" : " " + switches), 300000);
        run->PreviewLog = LogEntries(log);
        std::string receipt = folder + "\\preview\\preview.json";
        run->PreviewReceipt = ReadTextFile(receipt);
        run->PreviewReceiptProblems = ReceiptSchemaProblems(receipt);
        return exitCode;
    };
    ScenarioRemoval remove = [&](const std::string &folder, ScenarioRun *run) {
        std::string answers = WriteAnswers(folder, "answers.rsp", response, run);
        if (answers.empty()) return -1;
        return RunUninstallerWith("-S -F1\"" + answers + "\"" + (switches.empty() ? "" : " " + switches), 300000);
    };
    return RunScenarioAfter(d, &preview, remove, "");
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

