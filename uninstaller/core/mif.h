// Reports the outcome of a component removal in the status MIF file named by
// -I, through the outside library "ismif32.dll". Called on the GUI thread by
// the completion page.
#pragma once
#include <windows.h>

// An empty mifName writes nothing and returns TRUE.
BOOL WriteStatusMif(const char *message, const char *mifName, BOOL success);

// The locale code reported for a language letter (first character of NLS
// string 606): a lower-case letter of the table selects its code, anything
// else (0 included: no letter loaded) gives "ENU".
const char *MifLocaleCode(char letter);
