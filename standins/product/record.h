// Shared by the product stand-ins: each appends how it was called to the file
// named by the environment variable VL_STANDIN_LOG, one line per call:
// "<program> <parameters>".
#pragma once
#include <windows.h>
#include <stdio.h>
#include <string.h>

// The file name of this program or library (no folder).
inline const char *StandinName(HMODULE module, char *buffer, DWORD size)
{
    DWORD n = GetModuleFileNameA(module, buffer, size);
    if (n == 0 || n >= size) buffer[0] = 0;
    const char *slash = strrchr(buffer, '\\');
    return slash ? slash + 1 : buffer;
}

inline void RecordCall(const char *name, const char *parameters)
{
    char log[MAX_PATH] = "";
    // Read from the process environment (not a C runtime copy of it).
    GetEnvironmentVariableA("VL_STANDIN_LOG", log, sizeof log);
    if (!log[0]) return;
    // Several stand-ins may write at once: retry while another holds the file.
    for (int attempt = 0; attempt < 50; attempt++) {
        FILE *file = fopen(log, "a");
        if (file) {
            fprintf(file, "%s %s\n", name, parameters);
            fclose(file);
            return;
        }
        Sleep(20);
    }
}

// The parameter text of this process's command line (after the program).
inline const char *ParameterText()
{
    const char *line = GetCommandLineA();
    if (*line == '"') {
        line = strchr(line + 1, '"');
        line = line ? line + 1 : "";
    } else {
        while (*line && *line != ' ' && *line != '\t') line++;
    }
    while (*line == ' ' || *line == '\t') line++;
    return line;
}

// Holds this program's own file open (read, shared for reading only), as a
// running product program does. The handle stays open until the process ends.
inline HANDLE HoldOwnFile()
{
    char path[MAX_PATH];
    if (!GetModuleFileNameA(NULL, path, sizeof path)) return INVALID_HANDLE_VALUE;
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// Stop events are named "VlStandin.<what>.stop" (manual reset).
inline HANDLE StopEvent(const char *what)
{
    char name[300];
    snprintf(name, sizeof name, "VlStandin.%s.stop", what);
    return CreateEventA(NULL, TRUE, FALSE, name);
}
