// Interrupted removals: a silent whole-product removal killed at twenty
// points (by the log line it reached, or by time) and run again. After the
// rerun the machine must look exactly as after an uninterrupted removal; at
// each kill, the component whose removal had begun still reads
// "Incomplete" (or is gone, when its removal had finished its last step).
#include "expectations.h"
#include "runner.h"
#include "scenario.h"
#include <gtest/gtest.h>

namespace {

struct KillPoint {
    const char *LogLine;   // kill when a log line begins with this, or
    unsigned AfterMs;      // when LogLine is empty, after this time
};

const KillPoint kKillPoints[] = {
    {"->Confirm-delete-all", 0},
    {"->Checking-locked-files", 0},
    {"->Deleting-all", 0},
    {"Finished uninstalling Local Clients\\Windows NT Client", 0},
    {"Deleting file component", 0},
    {"Deleted file:", 0},
    {"Finished uninstalling Development Toolkit", 0},
    {"Finished uninstalling Local Clients\\Java Client", 0},
    {"Finished uninstalling Internet Gateway", 0},
    {"Processing log files directory", 0},
    {"Deleting obsolete data files", 0},
    {"Processing data files directory", 0},
    {"Processing Web Admin directory", 0},
    {"Deleting obsolete program files", 0},
    {"Processing program files directory", 0},
    {"", 1500},
    {"", 3000},
    {"", 4500},
    {"", 6000},
    {"", 8000},
};

// The component whose removal had begun and not finished at the kill, when
// the log shows it got past its start (the counting pass writes nothing).
std::string ComponentInRemoval(const std::vector<std::string> &log)
{
    std::string current;
    bool workStarted = false;
    for (const std::string &line : log) {
        if (line.rfind("Uninstalling ", 0) == 0) {
            current = line.substr(13, line.rfind(" (") - 13);
            workStarted = false;
        } else if (line.rfind("Finished uninstalling ", 0) == 0) {
            current.clear();
        } else if (!current.empty() && !line.empty()) {
            workStarted = true;
        }
    }
    return workStarted ? current : "";
}

std::string CheckKill(const InterruptedRun &run, const ExpectedDifference &expected)
{
    std::string failures = run.Failures;
    if (run.RerunExitCode != 0) failures += "the rerun ended with " + std::to_string(run.RerunExitCode) + "\n";
    std::string component = ComponentInRemoval(run.KilledLog);
    if (!component.empty()) {
        bool marked = false, present = false;
        for (const std::string &value : run.ComponentsAtKill) {
            if (value.rfind(component + "=", 0) != 0) continue;
            present = true;
            marked = value == component + "=Incomplete";
        }
        if (present && !marked) failures += "killed while removing '" + component + "', which does not read Incomplete\n";
    }
    if (!InOrder(run.Log, {"Uninstallation ended."}) && run.LogExists)
        failures += "the rerun's log does not end the run\n";
    for (const std::string &failure : CheckDifference(run.Before, run.After, expected)) failures += failure + "\n";
    return failures;
}

void KillAndRerun(const char *response, bool withData, size_t points)
{
    ExpectedDifference expected = WholeRemoval("5.1", withData);
    // Two runs write the log: it may hold more than one run, and may stay
    // after a removal with data (a machine without the administration group).
    expected.MayChange.push_back(File(D + "\\avlilogn.txt"));
    for (size_t i = 0; i < points && i < sizeof kKillPoints / sizeof kKillPoints[0]; i++) {
        const KillPoint &point = kKillPoints[i];
        SCOPED_TRACE(point.LogLine[0] ? std::string("killed at ") + point.LogLine
                                      : "killed after " + std::to_string(point.AfterMs) + " ms");
        InterruptedRun run = RunInterruptedScenario(RichInstallation("5.1"), response, point.LogLine, point.AfterMs);
        std::string failures = CheckKill(run, expected);
        if (!failures.empty()) {
            failures += "---- log at the kill ----\n";
            for (const std::string &line : run.KilledLog) failures += line + "\n";
        }
        EXPECT_EQ(failures, "");
    }
}

}  // namespace

TEST(InterruptionTest, RemoveDataKilledAtTwentyPointsThenRerun)
{
    KillAndRerun("[Varolink]\r\nVarolink=REMOVEDATA\r\nLockedFiles=CONTINUE\r\n", true, 20);
}

// The kept data is intact after every kill and rerun (the expectation's
// must-stay rules over the data folder, the queue managers and Config.reg).
TEST(InterruptionTest, RemoveKilledAtTenPointsThenRerunKeepsData)
{
    KillAndRerun("[Varolink]\r\nVarolink=REMOVE\r\nLockedFiles=CONTINUE\r\n", false, 10);
}
