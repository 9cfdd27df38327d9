// The run's receipt: a JSON file (layout docs/receipt.schema.json, version
// RECEIPT_VERSION) that a management tool reads after the run.
//
// Threads: GUI thread only (before the removal worker starts and at the end
// of the run, after it stopped).
#pragma once
#include <windows.h>
#include "app/leftovers.h"

enum { RECEIPT_VERSION = 1 };

struct ReceiptFacts {
    BOOL Ended;                        // FALSE: written as the removal starts, replaced at the end
    int ExitCode;                      // when Ended
    const char *LogPath;               // the run's log ("" for none)
    BOOL LogRemoved;                   // the end of the run deletes that log
    const char *ReceiptPath;
    const LeftoverReport *Leftovers;   // NULL when not looked at (not ended)
};

// The start of the run (UTC), for the receipt; called once, first thing.
void ReceiptNoteStart();

// Writes the receipt to facts.ReceiptPath. Nothing is thrown out of here: a
// receipt that cannot be made or written returns 0 with the system's error
// in *error (ERROR_NOT_ENOUGH_MEMORY, ERROR_INVALID_DATA for text the JSON
// writer refused, ERROR_FILE_EXISTS for a file in the way that is not a
// receipt, ERROR_DIRECTORY for a folder in the way).
int WriteReceipt(const ReceiptFacts &facts, DWORD *error);
