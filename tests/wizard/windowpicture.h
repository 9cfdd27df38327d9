// Saves what a window shows on the screen as a 24-bit BMP file, for the
// documentation's pictures of the wizard (wizardshots, checkshots).
#pragma once
#include <windows.h>
#include <string>

// Redraws the window, waits settleMs for its program to paint it, copies it
// from the screen to path and prints path; false when the file cannot be written.
bool SaveWindowPicture(HWND window, const std::string &path, DWORD settleMs = 0);
