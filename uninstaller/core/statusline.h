// The status lines and the progress bar of a progress page, for every layer
// that reports progress (removal, security, queue-manager code) without
// knowing the pages.
//
// Threads: the controls belong to the GUI thread, which created the page.
// The GUI thread and the removal worker may both call these operations; each
// call sends its messages to the control and waits until the GUI thread has
// handled them, so the GUI thread must keep pumping messages while the worker
// runs and must never wait for the worker without pumping. A call made from
// another thread gives up after VL_STATUS_SEND_TIMEOUT_MS when the GUI
// thread does not answer (the update is then lost, never the run), and a
// control that no longer exists is left alone.
#pragma once
#include <windows.h>

enum { VL_STATUS_SEND_TIMEOUT_MS = 5000 };

// Sets a status line; a path is lower-cased and shortened with a path
// ellipsis to fit the control. Does nothing (returns 1) in silent mode.
int SetStatusText(HWND control, const char *text, BOOL isPath);

// The bar counts from 0 to count in steps of one; a NULL bar is ignored.
void ProgressReset(HWND bar, int count);
void ProgressStep(HWND bar);
