// Resource counters of the host process, so a test can see that a long run
// leaks neither handles nor heap memory.
#include <stdio.h>
#include "webhost.h"

// Open handles of the process. Where the system does not keep the count
// (Wine reports 0), the handle table is probed: handle values are multiples
// of four and GetHandleInformation succeeds only for open ones.
static DWORD HandleCount()
{
    typedef BOOL(WINAPI * GetCount)(HANDLE, PDWORD);
    GetCount getCount = (GetCount)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcessHandleCount");
    DWORD count = 0;
    if (getCount && getCount(GetCurrentProcess(), &count) && count > 0)
        return count;
    count = 0;
    for (UINT_PTR value = 4; value < 65536; value += 4) {
        DWORD flags;
        if (GetHandleInformation((HANDLE)value, &flags))
            count++;
    }
    return count;
}

// Bytes in busy blocks over every heap of the process (the C library's heap
// included).
static unsigned long long HeapBytesInUse()
{
    HANDLE heaps[64];
    DWORD n = GetProcessHeaps(64, heaps);
    if (n > 64)
        n = 64;
    unsigned long long total = 0;
    for (DWORD i = 0; i < n; i++) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry;
        entry.lpData = NULL;
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

void DescribeHostStatus(char* text, int size)
{
    snprintf(text, size, "handles=%lu\nheap=%llu\nconnections=%ld\nrequests=%ld\nplugin-requests=%ld\n",
             HandleCount(), HeapBytesInUse(), Host.connections, Host.requests, Host.pluginRequests);
}
