// The web host's process-wide state, shared by its connection threads.
#ifndef WEBHOST_H
#define WEBHOST_H

#include <winsock2.h>
#include <windows.h>

typedef void(WINAPI* PluginEntry)(void* handle, long* rc);

typedef struct HostState {
    PluginEntry plugin;              // the plug-in's entry point
    int port;
    CRITICAL_SECTION errorLogLock;
    FILE* errorLog;                  // the server's error log, NULL when none
    HANDLE connectionSlots;          // semaphore bounding concurrent connections
    volatile LONG requests;          // requests answered
    volatile LONG pluginRequests;    // of which through the plug-in
    volatile LONG connections;       // connections being served now
} HostState;

extern HostState Host;

// Connection thread: serves the requests of one client until it is done.
DWORD WINAPI ServeConnection(LPVOID connection);

// Text of the host's resource counters for /direct/status.
void DescribeHostStatus(char* text, int size);

#endif
