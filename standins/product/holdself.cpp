// Stand-in for a running product program (avlxssvn.exe, runvllsr.exe,
// avlzxma0.exe, avlmtbrn.exe, avlmsrvn.exe; not part of the product): holds
// its own program file open until it is told to stop or is terminated.
//   <program> [QUEUE-MANAGER...]
// Stops when the event "VlStandin.<program, lower case, no extension>.stop"
// is set, or, when queue-manager names are given (the execution controller),
// once every "VlStandin.qm.<name>.stop" is set; after ten minutes at most.
// Signals "VlStandin.<program>.ready" once the file is held.
#include "record.h"
#include <ctype.h>
#include <vector>

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

    HANDLE held = HoldOwnFile();
    if (held == INVALID_HANDLE_VALUE) return 2;
    HANDLE own = StopEvent(base);
    std::vector<HANDLE> managers;
    for (int i = 1; i < argc; i++) {
        char what[300];
        snprintf(what, sizeof what, "qm.%s", argv[i]);
        managers.push_back(StopEvent(what));
    }
    char readyName[300];
    snprintf(readyName, sizeof readyName, "VlStandin.%s.ready", base);
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName);
    SetEvent(ready);
    for (int tick = 0; tick < 6000; tick++) {
        if (WaitForSingleObject(own, 100) == WAIT_OBJECT_0) break;
        bool allEnded = !managers.empty();
        for (HANDLE event : managers) allEnded = allEnded && WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
        if (allEnded) break;
    }
    CloseHandle(held);
    return 0;
}
