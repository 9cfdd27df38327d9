// Reports the outcome of a component removal in the status MIF file named by
// -I, through the outside library "ismif32.dll".
#pragma once
#include <windows.h>

// An empty mifName writes nothing and returns TRUE.
BOOL WriteStatusMif(const char *message, const char *mifName, BOOL success);
