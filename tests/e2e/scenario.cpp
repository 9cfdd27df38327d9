#include "scenario.h"
#include "fixturelists.h"
#include "runner.h"
#include "snapshot.h"
#include <windows.h>
#include <algorithm>

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
    // Five minutes at most: the stop sequence and the waits of a removal take
    // seconds; a run that hangs on a page is the fault to report.
    run.ExitCode = RunUninstallerWith("-S -F1\"" + answers + "\"", 300000);
    run.After = TakeSnapshot(options);
    std::string log = FixtureWorkFolder(d) + "\\avlilogn.txt";
    run.LogExists = GetFileAttributesA(log.c_str()) != INVALID_FILE_ATTRIBUTES;
    run.Log = LogEntries(log);
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
