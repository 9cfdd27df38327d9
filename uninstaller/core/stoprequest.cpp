#include "core/stoprequest.h"

// Written by the GUI thread, read by the worker.
static volatile LONG sStopRequested;

BOOL RemovalStopRequested()
{
    return InterlockedCompareExchange(&sStopRequested, 0, 0) != 0;
}

void RequestRemovalStop(BOOL stop)
{
    InterlockedExchange(&sStopRequested, stop ? 1 : 0);
}
