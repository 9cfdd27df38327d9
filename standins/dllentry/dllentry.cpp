// A library whose exported entry "RecordArguments" takes fourteen 32-bit
// arguments (__stdcall), as the product's install support library entry does.
// It appends the arguments, in order and in hex, to the file named by the
// environment variable VL_DLLENTRY_LOG, sleeps argument 13 milliseconds and
// returns argument 14.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" DWORD WINAPI RecordArguments(DWORD a1, DWORD a2, DWORD a3, DWORD a4, DWORD a5, DWORD a6, DWORD a7,
                                        DWORD a8, DWORD a9, DWORD a10, DWORD a11, DWORD a12, DWORD a13,
                                        DWORD a14)
{
    const DWORD all[14] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14};
    // Read from the process environment (not a C runtime copy of it).
    char log[MAX_PATH] = "";
    GetEnvironmentVariableA("VL_DLLENTRY_LOG", log, sizeof log);
    if (log[0]) {
        FILE *file = fopen(log, "a");
        if (file) {
            for (int i = 0; i < 14; i++) fprintf(file, "%s%08lx", i ? " " : "", all[i]);
            fprintf(file, "\n");
            fclose(file);
        }
    }
    Sleep(a13);
    return a14;
}
