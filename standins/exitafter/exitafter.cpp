// Ends with a given exit code after a given time, as the product's commands do.
//   exitafter.exe CODE MILLISECONDS [anything...]
// When VL_EXITAFTER_LOG names a file, the command line and the working folder
// are appended to it first.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    // Read from the process environment (not a C runtime copy of it).
    char log[MAX_PATH] = "";
    GetEnvironmentVariableA("VL_EXITAFTER_LOG", log, sizeof log);
    if (log[0]) {
        FILE *file = fopen(log, "a");
        if (file) {
            char folder[MAX_PATH] = "";
            GetCurrentDirectoryA(sizeof folder, folder);
            fprintf(file, "args:");
            for (int i = 1; i < argc; i++) fprintf(file, " [%s]", argv[i]);
            fprintf(file, "\ndir: %s\n", folder);
            fclose(file);
        }
    }
    if (argc < 3) return 1;
    Sleep((DWORD)strtoul(argv[2], NULL, 10));
    return (int)strtoul(argv[1], NULL, 0);
}
