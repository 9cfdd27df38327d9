// The end of the run's request that the removal stop at its next step
// boundary. The GUI thread sets it (the end of the run) and clears it (when a
// worker starts); the removal worker only reads it, between two steps and
// between two listed files, so the primitives below the worker can see it too.
#pragma once
#include <windows.h>

// TRUE once the end of the run has asked the worker to stop; the component
// procedures check it before each step and do nothing more once it is set.
BOOL RemovalStopRequested();
// Sets (TRUE) or clears (FALSE) the request.
void RequestRemovalStop(BOOL stop);
