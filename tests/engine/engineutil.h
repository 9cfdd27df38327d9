// Helpers of the removal-engine tests: a stand-in deleting page (three status
// lines and a progress bar whose steps are counted), the run state for a
// fixture installation, and registry, service and file probes.
#pragma once
#include "fixture.h"
#include "runner.h"
#include "testlog.h"
#include <windows.h>
#include <string>

struct StepCountingBar {
    HWND Host = NULL, Status1 = NULL, Status2 = NULL, Status3 = NULL, Progress = NULL;
    void Create();
    void Destroy();
};
// Steps (PBM_STEPIT) since the last range was set, and that range's top.
int StepsSinceReset();
int LastRangeTop();

// Run state for the fixture: paths, program folder "Norvik Varolink", and the
// component table as discovery finds it (the rest of the run state stays).
void PrepareRunState(const FixtureDescription &d);

bool ValueExists(const std::string &path, const std::string &name);
std::string ValueText(const std::string &path, const std::string &name);
void SetValue(const std::string &path, const std::string &name, const std::string &text);
void MakeKey(const std::string &path);

bool ServiceExists(const std::string &name);
bool CreateTestService(const std::string &name);
void DeleteTestService(const std::string &name);

std::string ProgramsFolder();                               // common Programs\Norvik Varolink
std::string StartupFolder();                                // common Startup
std::string ReadWholeFile(const std::string &path);
