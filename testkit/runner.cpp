#include "runner.h"
#include "fixture.h"
#include <windows.h>
#include <algorithm>

#ifndef VL_BIN_DIR
#define VL_BIN_DIR "."
#endif

int RunProgram(const std::string &commandLine, unsigned timeoutMs)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) return -1;
    CloseHandle(process.hThread);
    DWORD code = (DWORD)-2;
    if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    else TerminateProcess(process.hProcess, 3);
    CloseHandle(process.hProcess);
    return (int)code;
}

int RunUninstallerWith(const std::string &parameters, unsigned timeoutMs)
{
    return RunProgram("\"" VL_BIN_DIR "\\avliunin.exe\" " + parameters, timeoutMs);
}

std::string WithoutStamp(std::string line)
{
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // "HH:MM:SS text": drop the stamp and its blank.
    if (line.size() >= 9 && line[2] == ':' && line[5] == ':' && line[8] == ' ') line = line.substr(9);
    return line;
}

std::vector<std::string> LogEntries(const std::string &logPath)
{
    std::string text = ReadTextFile(logPath);
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

bool InOrder(const std::vector<std::string> &lines, const std::vector<std::string> &wanted)
{
    size_t at = 0;
    for (const std::string &line : lines)
        if (at < wanted.size() && line == wanted[at]) at++;
    return at == wanted.size();
}

bool Contains(const std::vector<std::string> &lines, const std::string &line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool PathExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const std::string &path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string WaitForHandOverRecord(const std::string &record, unsigned timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        std::string text = ReadTextFile(record);
        if (!text.empty() && text.back() == '\n') return text;
        if (GetTickCount() - start > timeoutMs) return text;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
    }
}
