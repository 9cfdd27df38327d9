// Dialog procedures of the pre-removal check pages and the Stop-VL dialog.
#pragma once
#include <windows.h>

INT_PTR CALLBACK VlRunningPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PerfMonitorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK CheckingLockedFilesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK LockedFilesFoundPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The Stop-VL dialog (modeless, owned by the VL-running page, which is its
// creation parameter): stops services, queue managers and listeners in
// stages from a 200 ms timer and posts the stop message to its owner at the end.
INT_PTR CALLBACK StopSequence(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Moves the stop on to the next stage that has something to wait for.
void AdvanceStopStage(HWND dialog);
// The stage the running (or last) stop sequence is in, 0 to 7.
int StopStage();

// Silent pages ask the response file's "LockedFiles" answer; a missing
// answer cancels the run.
void ApplyLockedFilesOrCancel(HWND page);
