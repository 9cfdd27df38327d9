#include "interruptedrun.h"
#include "runner.h"
#include <tlhelp32.h>
#include <algorithm>
#include <stdio.h>
#include <string.h>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif

namespace {

// The exit code the test gives a process it terminates.
const DWORD kKilledCode = 0xDEAD;

const char *const kComponentKeys[] = {
    "Server", "Local Clients\\Windows NT Client", "Development Toolkit", "Documentation\\Library HTML",
    "Documentation\\Library PDF", "Local Clients\\Java Client", "Web Administration Server", "Internet Gateway",
    "Documentation\\Internet Gateway", "Additional Languages\\en_us", "Additional Languages\\fr_fr",
    "Additional Languages\\de_de", "Additional Languages\\es_es", "Additional Languages\\it_it",
    "Additional Languages\\ja_jp", "Additional Languages\\ko_kr", "Additional Languages\\pt_br",
    "Additional Languages\\zh_tw", "Additional Languages\\zh_cn"};

// The component key that follows prefix in line ("<prefix><key> (<name>)"),
// or "" when the line is not of that form. The longest matching key wins, so
// "Internet Gateway" never stands for "Internet Gateway Documentation".
std::string KeyAfter(const std::string &line, const std::string &prefix)
{
    if (line.compare(0, prefix.size(), prefix) != 0) return "";
    std::string best;
    for (const char *key : kComponentKeys) {
        std::string start = prefix + key + " (";
        if (line.compare(0, start.size(), start) == 0 && strlen(key) > best.size()) best = key;
    }
    return best;
}

// Reads what the file holds from *offset on and moves *offset past it. The
// file is opened with every sharing mode, so the uninstaller's own appends
// (and its deletion of the log) are never refused because the test reads.
std::string ReadFrom(const std::string &path, size_t *offset)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string text;
    DWORD size = GetFileSize(file, NULL);
    if (size != INVALID_FILE_SIZE && size < *offset) *offset = 0;   // a new log
    if (size != INVALID_FILE_SIZE && size > *offset && SetFilePointer(file, (LONG)*offset, NULL, FILE_BEGIN) != INVALID_SET_FILE_POINTER) {
        text.resize(size - *offset);
        DWORD got = 0;
        if (!ReadFile(file, &text[0], (DWORD)text.size(), &got, NULL)) got = 0;
        text.resize(got);
        *offset += got;
    }
    CloseHandle(file);
    return text;
}

struct WindowWatch {
    DWORD ProcessId;
    std::vector<std::string> *Titles;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM parameter)
{
    WindowWatch *watch = (WindowWatch *)parameter;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != watch->ProcessId || !IsWindowVisible(window)) return TRUE;
    char title[256] = "", kind[64] = "";
    GetWindowTextA(window, title, sizeof title);
    GetClassNameA(window, kind, sizeof kind);
    std::string text = std::string(kind) + " '" + title + "'";
    if (std::find(watch->Titles->begin(), watch->Titles->end(), text) == watch->Titles->end())
        watch->Titles->push_back(text);
    return TRUE;
}

// Processes the killed run had started. A program outlives the uninstaller
// that started it, as on Windows, and is given three seconds to end by
// itself; what is still there then is ended: under Wine a program whose
// parent died while starting it waits for the parent for ever.
void EndChildren(DWORD parentId, std::vector<std::string> *ended)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<std::pair<HANDLE, std::string>> children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parentId || entry.th32ProcessID == GetCurrentProcessId()) continue;
        HANDLE child = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (child) children.push_back({child, entry.szExeFile});
    }
    CloseHandle(snapshot);
    DWORD start = GetTickCount();
    for (auto &child : children) {
        DWORD waited = GetTickCount() - start;
        if (WaitForSingleObject(child.first, waited < 3000 ? 3000 - waited : 0) != WAIT_OBJECT_0) {
            TerminateProcess(child.first, 9);
            WaitForSingleObject(child.first, 5000);
            ended->push_back(child.second);
        }
        CloseHandle(child.first);
    }
}

}  // namespace

std::string KillPoint::Describe() const
{
    if (!LogLine.empty()) return "at the log line '" + LogLine + "'";
    return "after " + std::to_string(DelayMs) + " ms";
}

size_t FileSize(const std::string &path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return data.nFileSizeLow;
}

std::vector<std::string> LogEntriesFrom(const std::string &logPath, size_t skip)
{
    size_t offset = skip;
    std::string text = ReadFrom(logPath, &offset);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(WithoutStamp(text.substr(start, end - start)));
        start = end + 1;
    }
    return lines;
}

RunOutcome RunUninstallerUntil(const std::string &parameters, const std::string &logPath, const KillPoint &kill,
                               DWORD limitMs)
{
    RunOutcome outcome;
    size_t offset = FileSize(logPath);
    std::string pending;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = "\"" VL_BIN_DIR "\\avliunin.exe\" " + parameters;
    DWORD start = GetTickCount();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) return outcome;
    outcome.Started = true;
    CloseHandle(process.hThread);
    WindowWatch watch = {process.dwProcessId, &outcome.VisibleWindows};
    bool ended = false;
    for (;;) {
        ended = WaitForSingleObject(process.hProcess, 2) == WAIT_OBJECT_0;
        EnumWindows(NoteVisibleWindow, (LPARAM)&watch);
        if (!kill.LogLine.empty() && !outcome.LineReached) {
            pending += ReadFrom(logPath, &offset);
            size_t end;
            while (!outcome.LineReached && (end = pending.find('\n')) != std::string::npos) {
                outcome.LineReached = WithoutStamp(pending.substr(0, end)).compare(0, kill.LogLine.size(), kill.LogLine) == 0;
                pending.erase(0, end + 1);
            }
        }
        if (ended) break;
        DWORD elapsed = GetTickCount() - start;
        bool due = kill.LogLine.empty() ? kill.DelayMs > 0 && elapsed >= kill.DelayMs : outcome.LineReached;
        if (due || elapsed >= limitMs) {
            outcome.TimedOut = !due;
            TerminateProcess(process.hProcess, kKilledCode);
            WaitForSingleObject(process.hProcess, 10000);
            EndChildren(process.dwProcessId, &outcome.EndedChildren);
            break;
        }
    }
    outcome.ElapsedMs = GetTickCount() - start;
    GetExitCodeProcess(process.hProcess, &outcome.ExitCode);
    // A run that ended by itself just as the test terminated it keeps its own code.
    outcome.Killed = !ended && outcome.ExitCode == kKilledCode && !outcome.TimedOut;
    CloseHandle(process.hProcess);
    return outcome;
}

std::string ComponentInProgress(const std::vector<std::string> &log)
{
    std::string current;
    for (const std::string &line : log) {
        std::string started = KeyAfter(line, "Uninstalling ");
        if (!started.empty()) current = started;
        else if (!current.empty() && KeyAfter(line, "Finished uninstalling ") == current) current.clear();
    }
    return current;
}

std::vector<std::string> FinishedComponents(const std::vector<std::string> &log)
{
    std::vector<std::string> keys;
    for (const std::string &line : log) {
        std::string key = KeyAfter(line, "Finished uninstalling ");
        if (!key.empty()) keys.push_back(key);
    }
    return keys;
}

std::vector<std::string> StartedComponents(const std::vector<std::string> &log)
{
    std::vector<std::string> keys;
    for (const std::string &line : log) {
        std::string key = KeyAfter(line, "Uninstalling ");
        if (!key.empty()) keys.push_back(key);
    }
    return keys;
}
