// The response file of a silent run and the lookups the pages make in it.
#pragma once
#include <windows.h>

// Reads gRun.ResponseFilePath into the table, echoing every line to the log.
// FALSE when the file cannot be opened or any line is malformed.
BOOL ReadResponseFile();

// Copies the value (at most VL_TEXT_SIZE) into out; logs a missing stanza or keyword.
BOOL ResponseLookup(const char *stanza, const char *keyword, char *out);

// The same lookup without a log line: for keywords that are optional.
BOOL ResponseValue(const char *stanza, const char *keyword, char *out);

// Component selection from stanza "Components": REMOVE/REMOVEDATA set *flag,
// KEEP/Skip leave it; anything else is logged and gives FALSE.
BOOL ResponseComponentChoice(const char *keyword, BOOL *flag);

// Applies "LockedFiles" of stanza "Varolink" by posting MsgNext or MsgCancel
// to the page; FALSE when the keyword is missing (the caller decides).
BOOL ApplyLockedFilesAnswer(HWND page);

// Whether the file asks for a preview (stanza "Varolink", "Preview=YES"),
// read before anything is logged or changed; a file that cannot be read asks
// for none. The file is read here once and kept as read: ReadResponseFile of
// the same path later echoes and parses what was read here.
BOOL ResponseAsksPreview(const char *path);

// Forgets the table (used by tests that read several files in one process).
void ResponseReset();
