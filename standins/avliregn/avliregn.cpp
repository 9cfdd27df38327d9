// Stand-in for the product's class-registration program (not part of the
// product). Started as "avliregn.exe <library> -u" to unregister a library's
// object classes. It appends its command line and working folder to the file
// named by VL_UNREG_LOG and exits with the code given by VL_AVLIREGN_EXIT
// (0 = unregistered).
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main()
{
    char folder[MAX_PATH] = "", log[MAX_PATH] = "", code[32] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    GetEnvironmentVariableA("VL_UNREG_LOG", log, sizeof log);
    if (log[0]) {
        FILE *file = fopen(log, "a");
        if (file) {
            fprintf(file, "avliregn\ncmd: %s\ndir: %s\n", GetCommandLineA(), folder);
            fclose(file);
        }
    }
    GetEnvironmentVariableA("VL_AVLIREGN_EXIT", code, sizeof code);
    return (int)strtoul(code, NULL, 0);
}
