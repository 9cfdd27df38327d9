// Editing of a ';'-separated environment variable value. No Windows
// dependency: the host build tests it.
#pragma once
#include <stddef.h>

// Writes into out (at least strlen(oldValue) + 2 bytes) every non-empty entry
// of oldValue that does not equal entry (without regard to case), joined by
// ';'. *found says whether entry occurred. Returns 0 when out is too small.
int RemoveEnvListEntry(const char *oldValue, const char *entry, char *out, size_t size, int *found);
