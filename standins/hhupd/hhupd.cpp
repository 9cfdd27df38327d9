// Stand-in for the HTML Help upgrade program HHUPD.EXE (not part of the
// product). It appends its command line to the file named by the environment
// variable VL_HHUPD_RECORD, works for VL_HHUPD_MS milliseconds (default 300)
// so that its caller sees it running, and ends with exit code 0.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char record[MAX_PATH];
    if (GetEnvironmentVariableA("VL_HHUPD_RECORD", record, sizeof record) > 0 && record[0]) {
        FILE *file = fopen(record, "a");
        if (file) {
            char folder[MAX_PATH] = "";
            GetCurrentDirectoryA(sizeof folder, folder);
            fprintf(file, "%s|%s\n", GetCommandLineA(), folder);
            fclose(file);
        }
    }
    char wait[32];
    DWORD ms = 300;
    if (GetEnvironmentVariableA("VL_HHUPD_MS", wait, sizeof wait) > 0) ms = (DWORD)atoi(wait);
    Sleep(ms);
    return 0;
}
