#include "harness.h"
#include <stdio.h>

static const char* const kKeyLevels[] = {"SOFTWARE\\Norvik", "SOFTWARE\\Norvik\\Varolink",
                                         "SOFTWARE\\Norvik\\Varolink\\CurrentVersion"};

ProductKey::ProductKey()
{
    for (const char* level : kKeyLevels) {
        HKEY k;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, level, 0, KEY_READ, &k) == ERROR_SUCCESS)
            RegCloseKey(k);
        else
            created_++;
    }
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyLevels[2], 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key_,
                        NULL) != ERROR_SUCCESS) {
        key_ = NULL;
        return;
    }
    DWORD size = 0;
    if (RegQueryValueExA(key_, "FilePath", NULL, &oldType_, NULL, &size) == ERROR_SUCCESS) {
        hadValue_ = true;
        oldValue_.resize(size);
        RegQueryValueExA(key_, "FilePath", NULL, &oldType_, oldValue_.data(), &size);
    }
}

ProductKey::~ProductKey()
{
    if (!key_)
        return;
    if (hadValue_)
        RegSetValueExA(key_, "FilePath", 0, oldType_, oldValue_.data(), (DWORD)oldValue_.size());
    else
        RegDeleteValueA(key_, "FilePath");
    RegCloseKey(key_);
    for (int i = 0; i < created_; i++)
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyLevels[2 - i]);
}

bool ProductKey::SetFilePath(const std::string& folder)
{
    return key_ && RegSetValueExA(key_, "FilePath", 0, REG_SZ, (const BYTE*)folder.c_str(),
                                  (DWORD)folder.size() + 1) == ERROR_SUCCESS;
}

void ProductKey::RemoveFilePath()
{
    if (key_)
        RegDeleteValueA(key_, "FilePath");
}

RunResult RunVLVer(const std::vector<std::string>& args)
{
    RunResult result;
    std::string exe = std::string(VL_BIN_DIR) + "\\VLVer.exe";
    std::string cmd = "\"" + exe + "\"";
    for (const std::string& a : args)
        cmd += " \"" + a + "\"";

    SECURITY_ATTRIBUTES sa = {sizeof sa, NULL, TRUE};
    HANDLE readEnd, writeEnd;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0))
        return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = NULL;
    PROCESS_INFORMATION pi;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    // Started as our debuggee: a crash then ends the run at once and is seen
    // as one, instead of starting the system debugger, which would wait.
    BOOL started = CreateProcessA(exe.c_str(), line.data(), NULL, NULL, TRUE, DEBUG_ONLY_THIS_PROCESS,
                                  NULL, NULL, &si, &pi);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return result;
    }
    DWORD deadline = GetTickCount() + 60000;
    bool ended = false, killed = false;
    while (!ended) {
        DEBUG_EVENT event;
        if (WaitForDebugEvent(&event, 20)) {
            DWORD status = DBG_CONTINUE;
            if (event.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT && event.u.CreateProcessInfo.hFile)
                CloseHandle(event.u.CreateProcessInfo.hFile);
            if (event.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT && event.u.LoadDll.hFile)
                CloseHandle(event.u.LoadDll.hFile);
            if (event.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
                event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                if (!event.u.Exception.dwFirstChance) {
                    result.crashed = true;
                    TerminateProcess(pi.hProcess, 98);
                }
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
                ended = true;
                result.exitCode = event.u.ExitProcess.dwExitCode;
                result.finished = !result.crashed && !killed;
            }
            ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
        }
        DWORD avail = 0;
        while (PeekNamedPipe(readEnd, NULL, 0, NULL, &avail, NULL) && avail > 0) {
            char buf[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, buf, avail < sizeof buf ? avail : sizeof buf, &got, NULL) || !got)
                break;
            result.out.append(buf, got);
        }
        if (!ended && (LONG)(GetTickCount() - deadline) > 0) {
            if (killed)
                break;  // not even the exit event came
            killed = true;
            TerminateProcess(pi.hProcess, 99);
            deadline = GetTickCount() + 10000;
        }
    }
    CloseHandle(readEnd);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return result;
}

// Paths as wide strings with the prefix that lifts the length limit.
static std::wstring Long(const std::string& path)
{
    std::wstring w = L"\\\\?\\";
    for (char c : path)
        w += (wchar_t)(unsigned char)c;
    return w;
}

std::string MakeTempTree(const char* tag)
{
    static int counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%svlver-%s-%lu-%d", temp, tag, GetCurrentProcessId(), ++counter);
    RemoveTree(name);
    MakeDir(name);
    return name;
}

void RemoveTree(const std::string& dir)
{
    std::wstring base = Long(dir);
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((base + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::string child = dir + "\\";
            for (wchar_t c : name)
                child += (char)c;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(Long(child).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(Long(child).c_str());
            }
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(base.c_str());
}

bool MakeDir(const std::string& dir)
{
    return CreateDirectoryW(Long(dir).c_str(), NULL) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopySample(const char* sample, const std::string& dest)
{
    std::string src = std::string(VL_BIN_DIR) + "\\" + sample;
    return CopyFileW(Long(src).c_str(), Long(dest).c_str(), FALSE) != 0;
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(h);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::string& path)
{
    std::string bytes;
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return bytes;
    char buf[65536];
    DWORD got;
    while (ReadFile(h, buf, sizeof buf, &got, NULL) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Block(const std::string& path, const char* translation,
                  const std::vector<std::pair<std::string, std::string>>& keys)
{
    std::string b = "Version information for file: " + path + "     \r\n";
    if (translation)
        b += std::string("Translation ") + translation + "\r\n";
    for (const auto& kv : keys) {
        char key[32];
        snprintf(key, sizeof key, "%-20.20s ", kv.first.c_str());
        b += key + kv.second + "\r\n";
    }
    return b + "\r\n";
}

std::string LookingIn(const std::string& dir)
{
    char line[128];
    snprintf(line, sizeof line, "Looking in %-60.60s\r", dir.c_str());
    return line;
}
