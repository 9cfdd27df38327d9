// A library whose exported entry "RecordArguments" takes fourteen arguments
// (__stdcall; 32-bit words in a 32-bit build, pointer-sized in a 64-bit one),
// as the product's install support library entry does. It appends the
// arguments, in order and in hex (at least eight digits; a 64-bit value
// whole), to the file named by the environment variable VL_DLLENTRY_LOG,
// sleeps argument 13 milliseconds and returns argument 14.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

extern "C" DWORD WINAPI RecordArguments(DWORD_PTR a1, DWORD_PTR a2, DWORD_PTR a3, DWORD_PTR a4, DWORD_PTR a5,
                                        DWORD_PTR a6, DWORD_PTR a7, DWORD_PTR a8, DWORD_PTR a9, DWORD_PTR a10,
                                        DWORD_PTR a11, DWORD_PTR a12, DWORD_PTR a13, DWORD_PTR a14)
{
    const DWORD_PTR all[14] = {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11, a12, a13, a14};
    // Read from the process environment (not a C runtime copy of it).
    char log[MAX_PATH] = "";
    GetEnvironmentVariableA("VL_DLLENTRY_LOG", log, sizeof log);
    if (log[0]) {
        FILE *file = fopen(log, "a");
        if (file) {
            for (int i = 0; i < 14; i++) fprintf(file, "%s%08llx", i ? " " : "", (unsigned long long)all[i]);
            fprintf(file, "\n");
            fclose(file);
        }
    }
    Sleep((DWORD)a13);
    return (DWORD)a14;
}
