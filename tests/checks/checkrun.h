// A fixture installation of the product that runs, and avliunin.exe run
// against it silently or clicked, with the log and the stand-ins' calls.
#pragma once
#include "wizarddriver.h"
#include "fixture.h"
#include "fixturerun.h"
#include "runner.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

struct CheckRun : ::testing::Test {
    FixtureDescription d;
    WizardProcess run;
    void SetUp() override;
    void TearDown() override;
    // Installs d (the test has filled it); the stand-ins log to StandinLog().
    void Install();
    std::string Bin() { return FixtureProgramFolder(d) + "\\bin"; }
    // The run's own log (-G): a whole removal with data deletes the default one.
    std::string LogPath() { return "C:\\vlcheckrun.log"; }
    // Starts avliunin.exe interactively with this run's log.
    bool StartClicked() { return run.Start("-G" + LogPath()); }
    std::string LogText() { return ReadTextFile(LogPath()); }
    std::vector<std::string> Log() { return LogEntries(LogPath()); }
    std::string StandinLog() { return d.Root + "-standin.log"; }
    std::vector<std::string> StandinCalls() { return LogEntries(StandinLog()); }
    // A silent run with this response file; returns the log.
    std::vector<std::string> RunSilent(const std::string &rsp);
    // Waits until the log holds this line (the run goes on meanwhile).
    bool WaitForLogLine(const std::string &line, DWORD timeoutMs = 30000);
    // Writes uninst\<name>.u00.
    void WriteList(const std::string &name, const std::string &text);
    // Sets (or with an empty value removes) an environment value the stand-ins read.
    static void SetStandinValue(const char *name, const char *value);
};

// The lines between the first line equal to from and the next equal to to.
std::vector<std::string> Between(const std::vector<std::string> &log, const std::string &from, const std::string &to);
