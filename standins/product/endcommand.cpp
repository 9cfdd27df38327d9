// Stand-in for the product's end commands (not part of the product):
//   endvltrc.exe " "          ends tracing
//   endvlcsv.exe -i QM        ends the queue manager's command server
//   endvlm.exe -i QM          ends the queue manager (its log control file holder)
//   endvllsr.exe -m QM        ends the listeners (runvllsr.exe)
// The exit code comes from VL_STANDIN_EXIT_<PROGRAM> (for example
// VL_STANDIN_EXIT_ENDVLLSR=20); a command told to fail ends nothing.
#include "record.h"
#include <ctype.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    char buffer[MAX_PATH];
    const char *name = StandinName(NULL, buffer, sizeof buffer);
    RecordCall(name, ParameterText());
    char base[MAX_PATH];
    snprintf(base, sizeof base, "%s", name);
    for (char *c = base; *c; c++) *c = (char)tolower((unsigned char)*c);
    char *dot = strrchr(base, '.');
    if (dot) *dot = 0;

    char variable[MAX_PATH + 20], value[32] = "";
    snprintf(variable, sizeof variable, "VL_STANDIN_EXIT_%s", base);
    for (char *c = variable; *c; c++) *c = (char)toupper((unsigned char)*c);
    GetEnvironmentVariableA(variable, value, sizeof value);
    int code = atoi(value);
    if (code != 0) return code;

    const char *manager = argc > 2 ? argv[2] : "";
    char what[300] = "";
    if (!strcmp(base, "endvltrc")) snprintf(what, sizeof what, "trace");
    else if (!strcmp(base, "endvlcsv")) snprintf(what, sizeof what, "csv.%s", manager);
    else if (!strcmp(base, "endvlm")) snprintf(what, sizeof what, "qm.%s", manager);
    else if (!strcmp(base, "endvllsr")) snprintf(what, sizeof what, "runvllsr");
    if (what[0]) {
        HANDLE event = StopEvent(what);
        if (event) SetEvent(event);
        // Give the ended program time to let go of its files, as the real
        // command returns once its target has ended.
        Sleep(300);
        if (event) CloseHandle(event);
    }
    return 0;
}
