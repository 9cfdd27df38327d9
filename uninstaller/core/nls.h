// Strings and dialog templates of the NLS resource library, and strings of
// the uninstaller's own string table.
#pragma once
#include <windows.h>

// Each copies at most 515 characters into out (VL_TEXT_SIZE) and returns 1;
// on failure out holds the error text, which is also logged, and 0 is returned.
int LoadNlsString(char *out, UINT id);
int LoadOwnString(char *out, UINT id);

// The dialog template id of module, or NULL.
const DLGTEMPLATE *FindNlsDialog(HMODULE module, int id);
