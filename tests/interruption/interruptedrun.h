// Runs of avliunin.exe that the test ends from outside, the way a power cut
// or an administrator's kill would: the process is terminated after a delay
// or as soon as its log shows a given line. Also the watch for windows a
// silent run must never show, and the log reading that tells which component
// was being removed when the process died.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Where to end a run: after DelayMs milliseconds from its start, or (when
// LogLine is not empty) as soon as a log entry beginning with LogLine has
// been written by this run.
struct KillPoint {
    unsigned DelayMs = 0;
    std::string LogLine;
    std::string Describe() const;
};

struct RunOutcome {
    bool Started = false;
    bool Killed = false;          // terminated by the test while it still ran
    bool TimedOut = false;        // neither ended nor reached the kill point in time (then terminated)
    bool LineReached = false;     // the kill line was seen
    DWORD ExitCode = 0;           // when it ended by itself
    DWORD ElapsedMs = 0;
    std::vector<std::string> VisibleWindows;   // titles of visible windows the run showed
    std::vector<std::string> EndedChildren;    // programs it had started that the test had to end
};

// Starts avliunin.exe with the parameters; ends it at the kill point (none
// given: lets it run) and waits at most limitMs in all. The log file is
// watched from its current end, so lines of earlier runs do not count.
RunOutcome RunUninstallerUntil(const std::string &parameters, const std::string &logPath, const KillPoint &kill,
                               DWORD limitMs);

// The log entries (without time stamps) written after the first skip bytes.
std::vector<std::string> LogEntriesFrom(const std::string &logPath, size_t skip);
size_t FileSize(const std::string &path);

// The component whose removal the log shows begun but not finished (its key,
// as in "Uninstalling <key> (<display name>)"), or "" when none; keys are
// matched against the known component keys, the longest first.
std::string ComponentInProgress(const std::vector<std::string> &log);
// Every component key whose "Finished uninstalling" line the log holds.
std::vector<std::string> FinishedComponents(const std::vector<std::string> &log);
// Every component key whose "Uninstalling" line the log holds.
std::vector<std::string> StartedComponents(const std::vector<std::string> &log);
