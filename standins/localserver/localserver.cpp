// Stand-in for one of the product's local servers (not part of the product).
// Started with " -UnregServer" to unregister its object classes. It appends
// its module name, command line and working folder to the file named by
// VL_UNREG_LOG and exits with the code given by VL_UNREG_EXIT_<NAME> (its own
// file name without extension, upper case), else VL_UNREG_EXIT, else 0.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <ctype.h>

int main()
{
    char module[MAX_PATH] = "", folder[MAX_PATH] = "", log[MAX_PATH] = "";
    GetModuleFileNameA(NULL, module, sizeof module);
    GetCurrentDirectoryA(sizeof folder, folder);
    GetEnvironmentVariableA("VL_UNREG_LOG", log, sizeof log);
    if (log[0]) {
        FILE *file = fopen(log, "a");
        if (file) {
            fprintf(file, "server: %s\ncmd: %s\ndir: %s\n", module, GetCommandLineA(), folder);
            fclose(file);
        }
    }
    const char *base = strrchr(module, '\\');
    base = base ? base + 1 : module;
    char name[MAX_PATH + 32] = "VL_UNREG_EXIT_";
    size_t at = strlen(name);
    for (; *base && *base != '.' && at < sizeof name - 1; base++) name[at++] = (char)toupper((unsigned char)*base);
    name[at] = 0;
    char code[32] = "";
    if (!GetEnvironmentVariableA(name, code, sizeof code)) GetEnvironmentVariableA("VL_UNREG_EXIT", code, sizeof code);
    return (int)strtoul(code, NULL, 0);
}
