// Starting the product's own programs and one entry point of its install
// support library, each logged with its parameters and how it ended.
#pragma once
#include <windows.h>

enum { VL_DLL_ARG_COUNT = 14, VL_LAUNCH_FAILED = 100, VL_PROCESS_WAIT_MS = 60000 };

// Starts the program hidden; it becomes the one tracked process.
BOOL LaunchProcess(HWND owner, const char *program, const char *folder, const char *parameters);
// Starts the program with the show command; the caller waits for and closes
// the handle. NULL on failure.
HANDLE LaunchProcessShown(HWND owner, int show, const char *program, const char *folder, const char *parameters);
// Runs the program and waits at most 60 s: its exit code, or 100 for every failure.
DWORD RunProcessAndWait(HWND owner, int show, const char *program, const char *folder, const char *parameters);
// TRUE while the tracked process runs; FALSE once it has ended (exit code 99
// counts as 0) or when none is tracked.
BOOL PollLaunchedProcess(DWORD *exitCode);
// Waits for the tracked process, polling every pollMs, at most 60 s and no
// longer once stop (may be NULL) says the run is ending; onPoll (may be NULL)
// is called after each poll while it runs. TRUE with its exit code once it
// has ended; FALSE after "Process timed out." or "Stopped waiting: the
// uninstallation was ended" (the process is left running).
BOOL WaitLaunchedProcess(DWORD pollMs, BOOL (*stop)(), void (*onPoll)(void *), void *context, DWORD *exitCode);

// The library entry: a __stdcall function of fourteen arguments returning a
// 32-bit result. The arguments are 32-bit words in the shipped 32-bit build;
// they are pointer-sized (DWORD_PTR) because one of them is a pointer (the
// service name of isuVLStop), which a 64-bit build would otherwise cut in half.
typedef DWORD (WINAPI *DllEntry14)(DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR,
                                   DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR);
// Loads the library and runs the named entry on a new thread.
BOOL LaunchDllThread(const char *library, const char *entry, const DWORD_PTR arguments[VL_DLL_ARG_COUNT]);
// TRUE while the thread runs (result 0); FALSE once it has finished and been
// cleaned up (result = the entry's result), or when no thread was started.
BOOL PollDllThread(DWORD *result);

BOOL SleepMs(DWORD ms);
