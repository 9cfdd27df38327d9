// One scenario: lay down a sample installation, snapshot the machine, run the
// uninstaller (silently with a response file, or clicked through its pages,
// clickedscenario.h), snapshot again, and read back what the run left (exit
// code, log) for the test to compare.
#pragma once
#include "expectation.h"
#include "fixture.h"
#include <functional>
#include <string>
#include <vector>

// A rich installation of testkit/installations (release "2.0", "5.0", "5.1").
FixtureDescription RichInstallation(const std::string &release);
// Sets (or adds) the recorded value of a component: "" installed, "Incomplete".
void SetComponentValue(FixtureDescription *d, const std::string &valueName, const std::string &value);
void DropComponent(FixtureDescription *d, const std::string &valueName);

struct ScenarioRun {
    int ExitCode = -1;
    std::vector<std::string> Before, After;
    std::vector<std::string> Log;     // the default log after the run (empty when it is gone)
    bool LogExists = false;
    std::string PathBefore;           // the system PATH before the installation was laid down
    std::string Failures;             // the expectation's failures, one a line, and the log when any
    // What the installer's uninstall stand-in recorded (its command line,
    // working folder and whether its two files exist), one line per start.
    std::vector<std::string> InstallerUninstallRecord;
    // The log's line for the mode the run was started in.
    std::string ModeLine = "Silent uninstallation";
    // A clicked run: the text of the message box its completion page showed ("" for none).
    std::string CompletionMessage;
    // The run had the product's "vlm" account (the tests run as a user of
    // that name): it can secure the product key and ends cleanly. Without it
    // (Wine has no such group) securing fails at start-up and the run ends
    // on its failure path.
    bool Vlm = false;
    // The status MIF file "<name>.mif" the library's stand-in wrote for the
    // run's -I name, read after the run ("" when none).
    std::string Mif;
    // The receipt: where it was found (beside the default log, else in the
    // Windows folder; "" when in neither), its text, and what the schema
    // check said of it ("" when valid).
    std::string ReceiptPath, Receipt, ReceiptProblems;
    // A silent scenario first runs the same answers as a preview: its exit
    // code, its log, and what it changed on the machine besides its own log
    // and receipt (FormatDifference lines and notes; "" for nothing).
    bool Previewed = false;
    int PreviewExitCode = -1;
    std::vector<std::string> PreviewLog;
    std::string PreviewChanges;
    // The preview's receipt (beside its own log) and its schema check.
    std::string PreviewReceipt, PreviewReceiptProblems;
};

// True when the account "vlm" exists for this process (run with USER=vlm).
bool VlmAccountPresent();

// Removes the installation of a scenario: runs the uninstaller and returns
// its exit code. folder is the scenario's own temp folder (for answers);
// what goes wrong on the way is added to run->Failures.
using ScenarioRemoval = std::function<int(const std::string &folder, ScenarioRun *run)>;
// Installs d, takes the two snapshots around remove and reads back the log,
// the receipt (checked against its schema) and the installer's uninstall
// record. The installation is removed again
// afterwards (whatever is left).
ScenarioRun RunScenario(const FixtureDescription &d, const ScenarioRemoval &remove, const std::string &mifName = "");
// The same with avliunin.exe -S and the response text, with further
// switches after -F1 when given. The status-MIF library's stand-in is on the
// program's search path; with mifName the MIF of that name is read back
// into run.Mif.
// Every silent scenario is a preview first: the same answers with
// "Preview=YES" in the "Varolink" stanza and a -G log of its own. The
// preview must end with exit code 0 and change nothing but its log and
// receipt; then the real run goes ahead from the same state, and the
// preview's "Would ..." items must be the changes the real run made, as the
// snapshots show them (testkit/previewmatch.h). A difference is a test
// failure naming the items of each side missing from the other.
ScenarioRun RunSilentScenario(const FixtureDescription &d, const std::string &response,
                              const std::string &switches = "", const std::string &mifName = "");
// The expectation's failures as text, with the log appended when there are any.
std::string Explain(const ScenarioRun &run, const ExpectedDifference &expected);

// Identities, for writing expectations: the folders of the rich installations.
extern const std::string P, D, G;   // program, data and queue-manager log folders
std::string WindowsFolder();
// Where a run's receipt may stand when no other place is named.
std::string DefaultReceipt();          // beside the default log
std::string WindowsReceipt();          // the Windows folder's
inline std::string File(const std::string &path) { return "file " + path; }
inline std::string Dir(const std::string &path) { return "dir " + path; }
inline std::string Menu(const std::string &item) { return "menu " + item; }
inline std::string Env(const std::string &name) { return "env " + name; }
// HKLM\Software\Norvik\Varolink\CurrentVersion + sub ("" for the key itself).
std::string ProductKey(const std::string &sub = "");
std::string ProductValue(const std::string &sub, const std::string &name);
std::string ComponentValue(const std::string &name);
// Appends items to a list of patterns.
void Add(std::vector<std::string> *list, const std::vector<std::string> &items);

