// The logged message box every layer uses: it speaks the NLS library's
// language, and shows nothing in silent mode.
//
// Threads: the caption and the language are set once at start-up
// (SetMessageBoxTexts), before any second thread runs, and only read after;
// ShowMessage may then be called from the GUI thread and from the removal worker.
#pragma once
#include <windows.h>

// Logs the text; in silent mode shows nothing and returns 0. Otherwise shows
// the box and returns the button pressed.
int ShowMessage(HWND owner, const char *text, UINT type);

// The caption (NLS string 604; "Norvik Varolink" when NULL or empty) and the
// language letter (NLS string 606; 0 = none) of every later box.
void SetMessageBoxTexts(const char *caption, char languageLetter);

// Language id for a language letter of NLS string 606 (0 = none).
WORD MessageLanguageForLetter(char letter);
// The language a message box uses for a chosen language: itself when its
// locale is installed, else the neutral language 1024.
WORD InstalledMessageLanguage(WORD language);
