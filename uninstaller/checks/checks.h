// The pre-removal checks: the right to create services, whether the product
// runs, stopping it, and whether its files are held open. Everything here
// runs on the GUI thread.
#pragma once
#include <windows.h>

// Start-up's administrator test. Returns 1 when the test could be made
// (*canControl 1 = the Service Control Manager opened for creating services,
// 0 = access denied), 0 when opening failed for another reason (logged).
// userName (VL_PATH_SIZE) receives "domain\user", or "unknown".
int CheckServiceControlAccess(int *canControl, char *userName);
// The text of the message shown when the test refuses the run: the NLS text
// with its one "%s" replaced by the user name. The NLS text is never used as
// a format: "%%" becomes "%", any other "%" stays as written, and a text
// without "%s" is shown unchanged. 0 when the result had to be cut.
int ServiceAccessMessage(char *out, size_t size, const char *nlsText, const char *userName);
// What start-up makes of the test: 0 when the run may go on; 1 with the
// message to show (NLS string 222, with the user name when access was denied).
int ServiceAccessRefusal(int tested, int canControl, const char *userName, char *message, size_t size);

// The service exists and is in any state but stopped.
BOOL ServiceIsActive(const char *serviceName);
// 1 when the product's programs run (the program files folder is re-read
// from the registry; folder is the fallback when that value is empty).
int ProductIsRunning(const char *folder);
// 1 when the performance monitor holds the product's counter library (logged).
int PerfMonitorDllLocked();

// Another process holds the file open. A file that refuses write access gets
// a new access list first (read and execute for everyone) and is tried again.
BOOL FileIsLocked(const char *path);
// Terminates the processes whose first module is folder\program, when that
// file is locked. psapi.dll is loaded from psapiFolder only. 1 / 0.
int TerminateProgramProcesses(const char *folder, const char *program, const char *psapiFolder);

// The product's program files folder as registered now ("FilePath"), or the
// start-up value when the registry holds none. out is VL_PATH_SIZE.
void CurrentProgramFiles(char *out);
// programFiles\bin\name (out VL_PATH_SIZE); 0 when too long.
int BinFile(char *out, const char *programFiles, const char *name);

// Queue managers, listeners and trace (the "bin" folder as registered now).
int EndRunningQueueManagers(int *count, BOOL endThem);
int EndQueueManager(const char *name);
BOOL QueueManagersRunning();
int EndAllListeners();
