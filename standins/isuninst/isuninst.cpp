// Stand-in for the installer's uninstall program isuninst.exe (not part of
// the product). The uninstaller only relies on it being started; this one
// appends one line to the file named by the environment variable
// VL_ISUNINST_RECORD: its command line, its working folder and whether the
// installer files named by -f and -c exist ("f=1 c=1"). Exit code 0.
#include <windows.h>
#include <stdio.h>
#include <string.h>

// The value of switch -<letter>"..." (or without quotes, up to a blank).
static void SwitchFile(const char *commandLine, char letter, char *out, size_t size)
{
    out[0] = 0;
    char pattern[4] = {' ', '-', letter, 0};
    const char *at = strstr(commandLine, pattern);
    if (!at) return;
    at += 3;
    char end = ' ';
    if (*at == '"') {
        end = '"';
        at++;
    }
    size_t n = 0;
    while (at[n] && at[n] != end && n + 1 < size) n++;
    memcpy(out, at, n);
    out[n] = 0;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    if (GetEnvironmentVariableA("VL_ISUNINST_RECORD", record, sizeof record) == 0 || !record[0]) return 0;
    const char *commandLine = GetCommandLineA();
    char folder[MAX_PATH] = "", script[MAX_PATH], library[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    SwitchFile(commandLine, 'f', script, sizeof script);
    SwitchFile(commandLine, 'c', library, sizeof library);
    int haveScript = script[0] && GetFileAttributesA(script) != INVALID_FILE_ATTRIBUTES;
    int haveLibrary = library[0] && GetFileAttributesA(library) != INVALID_FILE_ATTRIBUTES;
    FILE *file = fopen(record, "a");
    if (!file) return 0;
    fprintf(file, "%s|%s|f=%d c=%d\n", commandLine, folder, haveScript, haveLibrary);
    fclose(file);
    return 0;
}
