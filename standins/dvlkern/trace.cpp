// Trace facility and common-services initialisation of the kernel.
// Any number of request threads trace at once: every line is written whole
// under one lock and flushed, so a test can read the file while a run goes on.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "dvlkern.h"

static CRITICAL_SECTION traceLock;
static LONG servicesStarted;
static FILE* traceFile;
static char tracePath[MAX_PATH];

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&traceLock);
    } else if (reason == DLL_PROCESS_DETACH) {
        if (traceFile)
            fclose(traceFile);
        traceFile = NULL;
        DeleteCriticalSection(&traceLock);
    }
    return TRUE;
}

extern "C" int dvl_InitCommonServices(const char* component)
{
    // First caller wins; later and concurrent callers find the services up.
    InterlockedCompareExchange(&servicesStarted, 1, 0);
    return 1;
}

// The trace file is looked up on every line so that each test (or run) can
// name its own file; it stays open while the name does not change.
static FILE* OpenTraceFile()
{
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("DVL_TRACE_FILE", path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        if (traceFile)
            fclose(traceFile);
        traceFile = NULL;
        tracePath[0] = 0;
        return NULL;
    }
    if (traceFile && strcmp(path, tracePath) == 0)
        return traceFile;
    if (traceFile)
        fclose(traceFile);
    traceFile = fopen(path, "ab");
    strcpy(tracePath, traceFile ? path : "");
    return traceFile;
}

static void TraceLine(const char* mark, const char* text, int withResult, long result)
{
    EnterCriticalSection(&traceLock);
    FILE* f = OpenTraceFile();
    if (f) {
        if (withResult)
            fprintf(f, "%lu %s %s rc=%ld\n", GetCurrentThreadId(), mark, text ? text : "(null)", result);
        else
            fprintf(f, "%lu %s %s\n", GetCurrentThreadId(), mark, text ? text : "(null)");
        fflush(f);
    }
    LeaveCriticalSection(&traceLock);
}

extern "C" void dvlxtr_entry(const char* text) { TraceLine(">", text, 0, 0); }
extern "C" void dvlxtr_exit(const char* text, long result) { TraceLine("<", text, 1, result); }
extern "C" void dvlxtr_text(const char* text) { TraceLine(" ", text, 0, 0); }
