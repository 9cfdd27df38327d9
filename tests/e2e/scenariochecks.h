// The checks a scenario makes of its run, shared by the silent scenarios and
// the clicked ones: a clicked run of a main choice must leave exactly the
// difference its silent scenario expects.
#pragma once
#include "scenario.h"
#include <string>

// The log begins with the run's mode line and ends with "Uninstallation ended.".
void ExpectLogEnds(const ScenarioRun &run);
// A removal with data deletes its default log at the end of a clean run (one
// with the "vlm" account); after the failure path the log stays with the error.
void ExpectDefaultLogRule(const ScenarioRun &run);
// The run had the "vlm" account and its log holds no "***" line.
void ExpectCleanLog(const ScenarioRun &run);
// The run wrote its status MIF through the library, reporting success or failure.
void ExpectMifStatus(const ScenarioRun &run, bool success);
// The system path is back to what it was before the installation.
void ExpectPathRestored(const ScenarioRun &run);
// The installer's uninstall program was started once, as a whole-product
// removal starts it (with -m and the MIF name when one was given).
void ExpectInstallerHandOver(const ScenarioRun &run, const std::string &mifName = "");
// A component removal never hands over to the installer.
void ExpectNoHandOver(const ScenarioRun &run);
// A whole-product removal of a rich installation: exit code 0, the expected
// difference (with the product key secured when the run had the account),
// the hand-over and, with the data, the rule for the default log.
void ExpectWholeRemoval(const ScenarioRun &run, const std::string &release, bool withData,
                        const std::string &mifName = "");
// The development toolkit and the Java client removed from a rich 5.1
// installation: exit code 0, the expected difference, the class path left
// to the server, no hand-over, the log's ends.
void ExpectToolkitAndJavaClientRemoval(const ScenarioRun &run, bool servicesRan = true);
// A run of a silent scenario (each is previewed first, RunSilentScenario):
// the preview's log is the preview's, from its mode line to its end, with
// no change logged as done and no program launched.
void ExpectPreviewMatchesRemoval(const ScenarioRun &run);
