// Holds a file or a directory open without sharing until told to stop, as a
// running product program does with its files.
//   holdopen.exe PATH NAME SECONDS
// Signals the event "NAME.ready" once the object is open, then waits for the
// event "NAME.stop" (or SECONDS at most) and exits 0. Exit 2 when PATH cannot
// be opened.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: holdopen PATH NAME SECONDS\n");
        return 1;
    }
    char readyName[300], stopName[300];
    snprintf(readyName, sizeof readyName, "%s.ready", argv[2]);
    snprintf(stopName, sizeof stopName, "%s.stop", argv[2]);
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, readyName);
    HANDLE stop = CreateEventA(NULL, TRUE, FALSE, stopName);
    if (!ready || !stop) return 1;

    DWORD attributes = GetFileAttributesA(argv[1]);
    BOOL directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    HANDLE held = CreateFileA(argv[1], GENERIC_READ, 0, NULL, OPEN_EXISTING,
                              directory ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL, NULL);
    if (held == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "holdopen: cannot open '%s': %lu\n", argv[1], GetLastError());
        return 2;
    }
    SetEvent(ready);
    WaitForSingleObject(stop, (DWORD)atoi(argv[3]) * 1000);
    CloseHandle(held);
    return 0;
}
