// A sample installation that is running: the product's stand-in programs,
// services and held files, started so that a test begins with the product
// running, and ended again with the fixture.
#pragma once
#include "fixture.h"
#include <string>
#include <vector>

// Copies a stand-in of the build into the installation: AVLISUPN.DLL into
// the "uninst" folder, everything else into "bin". 1 / 0.
int FixtureCopyStandin(const FixtureDescription &d, const std::string &name);
// Starts bin\program with the parameters and waits until it holds its own
// file (at most 10 s). 1 / 0.
int FixtureStartProgram(const FixtureDescription &d, const std::string &program, const std::string &parameters = "");
// Holds path open (created when missing) with a holder program below the
// fixture's root until the event "<eventName>.stop" is set. 1 / 0.
int FixtureHoldFile(const FixtureDescription &d, const std::string &path, const std::string &eventName);
// Holds the log control file avlhlctl.lfh of the queue manager (its registry
// key name) as the running queue manager does; ended by endvlm.exe -i NAME.
int FixtureRunQueueManager(const FixtureDescription &d, const std::string &keyName);
// Registers AVLSVC.EXE of bin as the services "NorvikVarolink" and
// "VarolinkServices" and starts both (copies the stand-in first). 1 / 0.
// With fromBin false the services run from a copy in Root\service, so they
// hold nothing of the installation's "bin" folder.
int FixtureStartServices(const FixtureDescription &d, bool fromBin = true);
// Current state of a service: SERVICE_RUNNING, SERVICE_STOPPED..., 0 = none.
DWORD FixtureServiceState(const char *name);
// Stops and deletes the two services, and ends every process whose program
// file lies below the fixture's root.
void FixtureStopRunning(const FixtureDescription &d);
// Number of processes running the program file at this path.
int FixtureProcessCount(const std::string &programPath);
// Sets the stop event "VlStandin.<what>.stop".
void FixtureSignalStop(const std::string &what);
