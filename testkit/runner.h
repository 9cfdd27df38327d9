// Runs the uninstaller (or another program) from a test and reads its log.
#pragma once
#include <string>
#include <vector>

// Starts the program with the command line, waits at most timeoutMs, and
// returns its exit code (-1 when it could not start, -2 on time-out: it is
// then terminated).
int RunProgram(const std::string &commandLine, unsigned timeoutMs = 60000);
// avliunin.exe from the build with the given parameters.
int RunUninstallerWith(const std::string &parameters, unsigned timeoutMs = 60000);
// The log's entries without their "HH:MM:SS " stamps; an empty line stays "".
std::vector<std::string> LogEntries(const std::string &logPath);
// One log entry without its "HH:MM:SS " stamp (and without a trailing CR).
std::string WithoutStamp(std::string line);
// True when wanted appears in lines in this order (other lines may come between).
bool InOrder(const std::vector<std::string> &lines, const std::vector<std::string> &wanted);
bool Contains(const std::vector<std::string> &lines, const std::string &line);

// Whether a file or folder is there.
bool PathExists(const std::string &path);
// A key below HKEY_LOCAL_MACHINE that can be opened for reading.
bool KeyExists(const std::string &path);

// The installer's uninstall program is started, not waited for: waits until
// its stand-in's hand-over record holds a whole line (or timeoutMs passed),
// handling this thread's window messages meanwhile, and returns the record.
std::string WaitForHandOverRecord(const std::string &record, unsigned timeoutMs);
