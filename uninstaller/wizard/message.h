// The logged message box and the status-line setter used by every page.
#pragma once
#include <windows.h>

// Logs the text; in silent mode shows nothing and returns 0. Otherwise shows
// the box in the NLS library's language and returns the button pressed.
int ShowMessage(HWND owner, const char *text, UINT type);

// Sets a status line; a path is lower-cased and shortened with a path
// ellipsis to fit the control. Does nothing (returns 1) in silent mode.
int SetStatusText(HWND control, const char *text, BOOL isPath);

// Language id for a language letter of NLS string 606 (0 = none).
WORD MessageLanguageForLetter(char letter);
// The language a message box uses for a chosen language: itself when its
// locale is installed, else the neutral language 1024.
WORD InstalledMessageLanguage(WORD language);
