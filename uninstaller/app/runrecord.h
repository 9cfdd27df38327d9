// The run's account for outside readers: when and where the receipt is
// written, and the report of what stayed at the end.
//
// Threads: GUI thread only.
#pragma once
#include <windows.h>

// First thing of the run: its start time.
void RunRecordStart();
// The removal is about to start (the deleting page comes next): a receipt
// saying the run has not ended is written, so that a run cut short (killed,
// a power cut) leaves a receipt naming the components it was removing as
// incomplete. Written without a log line; the end of the run replaces it.
void RunRecordRemovalStarts();
// The end of the run, after "\nUninstallation ended.": with inspect, the
// report of what stayed (looked at, then its section in the log); then the
// receipt and the log line naming it. logGoes: the run deletes its own
// (default) log right after, with the data folder it lies in.
void RunRecordEnd(int exitCode, BOOL logGoes, BOOL inspect);
