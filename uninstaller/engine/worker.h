// The removal worker: the thread that removes the selected components in
// their fixed order and then, for a whole-product removal, the data and
// program trees, and tells the deleting page when it is done.
//
// Who owns what while the worker runs:
// - the GUI thread owns the pages, the run state and the queue-manager list;
//   it fills gRun.Worker and starts the worker, and afterwards touches neither
//   the record nor anything the worker reads until the worker has finished;
// - the worker reads the run state (paths, choices, component table), writes
//   only gRun.AllSucceeded, and reaches the page only through messages: status
//   lines and progress bar by sent messages (so the GUI thread keeps pumping),
//   the end notice by a posted one;
// - the log is shared and serialised by the log module;
// - the end of the run (GUI thread) asks the worker to stop with
//   StopRemovalWorker and frees the shared state (queue-manager list, log
//   block, NLS library) only once the worker has stopped at a step boundary;
//   a worker that does not stop in time ends with the process.
#pragma once
#include <windows.h>
#include "core/runstate.h"
#include "core/stoprequest.h"   // RemovalStopRequested

// How far the worker came with one component (the end of the run reads it
// once the worker has stopped; the worker writes it, nothing else does).
enum ComponentProgress {
    COMPONENT_NOT_BEGUN,      // not selected, or the run ended before its turn
    COMPONENT_BEGUN,          // its removal started and did not finish
    COMPONENT_FINISHED,       // its procedure ran to the end and succeeded
    COMPONENT_FINISHED_FAILED // its procedure ran to the end; a step failed
};
int ComponentRemovalProgress(int component);

// Starts RemovalWorker on windows (which must stay valid: it is gRun.Worker).
// Stores the thread handle (0 on failure) in gRun.WorkerThread; 1 / 0.
int StartRemovalWorker(WorkerWindows *windows);
// The thread procedure.
void __cdecl RemovalWorker(void *windows);

// TRUE when this run started a removal worker.
BOOL RemovalWorkerStarted();
// TRUE when a worker was started and has not posted its end notice: the
// removal was cut short (a worker that posted it and had not yet finished
// when the run ended did its whole work).
BOOL RemovalInterrupted();
// A function the worker calls after posting its end notice and before it
// finishes; NULL for none. Lets a test hold the worker in that gap.
void SetAfterEndNoticeHook(void (*hook)());
// TRUE while a worker has been started and has not yet finished.
BOOL RemovalWorkerActive();
// Asks a running worker to stop at its next step boundary and waits for it,
// processing the messages it sends meanwhile, at most timeoutMs. TRUE when no
// worker runs any more (then the shared state may be freed).
BOOL StopRemovalWorker(DWORD timeoutMs);
