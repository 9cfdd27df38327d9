// Strings and dialog templates of the NLS resource library, and strings of
// the uninstaller's own string table.
//
// Threads: start-up loads the library as a library once (NlsLoadLibrary) on
// the GUI thread, before any second thread runs, and the end of the run frees
// it (NlsFreeLibrary) after every other thread has ended. In between, the
// module and the language letter are only read, so any thread may load
// strings.
#pragma once
#include <windows.h>

// The one load of the library (strings, pictures, modal dialogs); it then
// reads the language letter (NLS string 606) for every later reader.
// Returns 1 when the library is loaded. A second call while loaded changes nothing.
int NlsLoadLibrary(const char *path);
// Gives the load back; the module and the letter are gone afterwards.
void NlsFreeLibrary();
// The library loaded by NlsLoadLibrary, or NULL.
HMODULE NlsLibrary();
// The first character of NLS string 606 as the library holds it; 0 when it
// could not be read.
char NlsLanguageLetter();

// Each copies at most 515 characters into out (VL_TEXT_SIZE) and returns 1;
// on failure out holds the error text, which is also logged, and 0 is returned.
int LoadNlsString(char *out, UINT id);
int LoadOwnString(char *out, UINT id);

// The dialog template id of module, or NULL.
const DLGTEMPLATE *FindNlsDialog(HMODULE module, int id);
