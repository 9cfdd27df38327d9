#include "scenario.h"
#include "fixturelists.h"
#include "runner.h"
#include "snapshot.h"
#include <windows.h>
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

ScenarioRun RunSilentScenario(const FixtureDescription &d, const std::string &response)
{
    ScenarioRun run;
    FixtureRemove(d);
    run.PathBefore = FixtureSystemEnv("PATH");
    // The folder's name holds no "-s", "-g", "-b", "-i" or "-u": the
    // uninstaller finds its switches anywhere in its parameters.
    std::string folder = MakeUniqueTempFolder("e2e");
    std::string answers = folder + "\\answers.rsp";
    SnapshotOptions options;
    if (!FixtureInstall(d) || !WriteTextFile(answers, response)) {
        run.Failures = "the installation or the response file could not be written\n";
        FixtureRemove(d);
        DeleteFolderTree(folder);
        return run;
    }
    run.Before = TakeSnapshot(options);
    // The installer's uninstall stand-in appends its command line here.
    std::string record = folder + "\\isuninst.txt";
    SetEnvironmentVariableA("VL_ISUNINST_RECORD", record.c_str());
    // Five minutes at most: the stop sequence and the waits of a removal take
    // seconds; a run that hangs on a page is the fault to report.
    run.ExitCode = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
    run.After = TakeSnapshot(options);
    std::string log = FixtureWorkFolder(d) + "\\avlilogn.txt";
    run.LogExists = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
    run.Log = LogEntries(log);
    run.InstallerUninstallRecord = LogEntries(record);
    SetEnvironmentVariableA("VL_ISUNINST_RECORD", NULL);
    FixtureRemove(d);
    DeleteFolderTree(folder);
    return run;
}

std::string Explain(const ScenarioRun &run, const ExpectedDifference &expected)
{
    std::string text = run.Failures;
    for (const std::string &failure : CheckDifference(run.Before, run.After, expected)) text += failure + "\n";
    if (!text.empty()) {
        text += "---- log of the run ----\n";
        for (const std::string &line : run.Log) text += line + "\n";
    }
    return text;
}

static std::vector<std::string> ComponentValues()
{
    std::vector<std::string> values;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Norvik\\Varolink\\CurrentVersion\\Components", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return values;
    char name[256], data[516];
    for (DWORD index = 0;; index++) {
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, NULL, &type, (BYTE *)data, &dataSize) != ERROR_SUCCESS) break;
        data[type == REG_SZ ? dataSize : 0] = 0;
        values.push_back(std::string(name) + "=" + data);
    }
    RegCloseKey(key);
    return values;
}

static bool LogReached(const std::vector<std::string> &lines, const std::string &prefix)
{
    for (const std::string &line : lines)
        if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

InterruptedRun RunInterruptedScenario(const FixtureDescription &d, const std::string &response, const std::string &killAt,
                                      unsigned killAfterMs)
{
    InterruptedRun run;
    FixtureRemove(d);
    run.PathBefore = FixtureSystemEnv("PATH");
    std::string folder = MakeUniqueTempFolder("e2e");
    std::string answers = folder + "\\answers.rsp", log = FixtureWorkFolder(d) + "\\avlilogn.txt";
    if (!FixtureInstall(d) || !WriteTextFile(answers, response)) {
        run.Failures = "the installation or the response file could not be written\n";
        FixtureRemove(d);
        DeleteFolderTree(folder);
        return run;
    }
    run.Before = TakeSnapshot(SnapshotOptions());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = "\"" VL_BIN_DIR "\\avliunin.exe\" -S -F1\"" + answers + "\"";
    if (CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        CloseHandle(process.hThread);
        DWORD start = GetTickCount();
        // Poll the log every 10 ms: the kill lands within a few lines of the one asked for.
        for (;;) {
            if (WaitForSingleObject(process.hProcess, 10) == WAIT_OBJECT_0) break;
            DWORD elapsed = GetTickCount() - start;
            if (elapsed > 300000) break;
            if (killAt.empty() ? elapsed >= killAfterMs : LogReached(LogEntries(log), killAt)) {
                run.Killed = TerminateProcess(process.hProcess, 9) != 0;
                WaitForSingleObject(process.hProcess, 10000);
                break;
            }
        }
        if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 9);
        CloseHandle(process.hProcess);
    }
    run.KilledLog = LogEntries(log);
    run.ComponentsAtKill = ComponentValues();
    run.RerunExitCode = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
    run.ExitCode = run.RerunExitCode;
    run.After = TakeSnapshot(SnapshotOptions());
    run.LogExists = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
    run.Log = LogEntries(log);
    FixtureRemove(d);
    DeleteFolderTree(folder);
    return run;
}
