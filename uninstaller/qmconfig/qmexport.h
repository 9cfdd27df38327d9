// Saves the queue managers' configuration (the product key's Configuration
// subtree and eight machine-level values) to the registry script
// <data folder>\config\Config.reg before the server is removed with its data kept.
// Runs on the removal worker thread, which owns the script, the verbatim list
// and the current key header while it runs.
#pragma once
#include <windows.h>
#include <stdio.h>
#include "qmconfig/regscript.h"

// TRUE when the script was written completely (it then replaces the previous
// Config.reg), or when there is no configuration key to export; FALSE
// otherwise, with the previous Config.reg left as it was.
BOOL SaveQmConfiguration();

// Writes the header of path, its values and, depth first, its subkeys.
// The first failure stops the export (FALSE).
BOOL ExportRegistryKey(HKEY key, const char *path, FILE *script, const VerbatimPair *list);
// One value in the form regedit reads back to the same type and data
// (WriteRegValue of regscript.h), the program folder replaced unless the
// value is listed for literal export. FALSE on a write error or a name
// regedit could not read back. name "" is the key's default value (@).
BOOL ExportRegistryValue(const char *name, DWORD type, const BYTE *data, DWORD size, FILE *script,
                         const VerbatimPair *list);
// The machine-level values of the product key, in their fixed order.
BOOL ExportCurrentVersionValues(FILE *script, const VerbatimPair *list);
// Writes one header (text starting with '[', format "\n%s\n"), which becomes
// the current key header, or one value line (format "%s\n"), and logs it.
// Returns the character count written, negative on a write error.
int WriteRegScriptLine(FILE *script, const char *format, const char *text, const VerbatimPair *list);
