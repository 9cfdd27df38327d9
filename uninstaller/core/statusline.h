// The status lines and the progress bar of a progress page, for every layer
// that reports progress (removal, security, queue-manager code) without
// knowing the pages.
//
// Threads: the controls belong to the GUI thread, which created the page.
// The GUI thread and the removal worker may both call these operations.
// - On the GUI thread every call acts on the control at once.
// - From another thread (the removal worker) status texts and position reads
//   are sent to the control and wait until the GUI thread has handled them,
//   so the GUI thread must keep pumping messages while the worker runs and
//   must never wait for the worker without pumping. Resets and steps need no
//   answer: they are sent without waiting, in order with the thread's other
//   messages. Steps are counted by the calling thread and sent as one move
//   of the bar at most every VL_PROGRESS_SEND_MS (and before its next reset
//   or position read), so a removal of many files does not trouble the page
//   once per file. ProgressFlush sends what is still counted and returns
//   when the bar shows it; a thread calls it when it has stepped a bar for
//   the last time. The counted steps belong to the calling thread alone.
// A call that waits gives up after VL_STATUS_SEND_TIMEOUT_MS when the GUI
// thread does not answer (the update is then lost, never the run), and a
// control that no longer exists is left alone.
#pragma once
#include <windows.h>

enum { VL_STATUS_SEND_TIMEOUT_MS = 5000, VL_PROGRESS_SEND_MS = 50 };

// Sets a status line; a path is lower-cased and shortened with a path
// ellipsis to fit the control. Does nothing (returns 1) in silent mode.
int SetStatusText(HWND control, const char *text, BOOL isPath);

// The bar counts from 0 to count in steps of one; a NULL bar is ignored.
void ProgressReset(HWND bar, int count);
void ProgressStep(HWND bar);
// steps steps as one move of the bar (nothing for 0 or less).
void ProgressAdvance(HWND bar, int steps);
// Sends the steps this thread has counted and not sent yet (see above).
void ProgressFlush();
// The bar's position and the top of its range, with this thread's steps
// included; 0 for a NULL bar.
int ProgressPosition(HWND bar);
int ProgressRangeTop(HWND bar);
