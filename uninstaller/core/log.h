// The uninstall log. Its state lives in the named shared block
// "zidCOMM_BUFFER Varolink 5.1" so that every module and process that opens
// it appends to the same file in the same format.
#pragma once
#include <windows.h>

#define VL_LOG_BLOCK_NAME "zidCOMM_BUFFER Varolink 5.1"
#define VL_LOG_FILE_NAME  "avlilogn.txt"

#pragma pack(push, 4)
struct SharedLogBlock {
    LONG Silent;                 // offset 0
    LONG Logging;                // offset 4
    DWORD WizardBitmap;          // offset 8: page bitmap handle, loaded once
    DWORD WizardIcon;            // offset 12: page icon handle, loaded once
    char UninstFolder[260];      // offset 16
    char UninstFolder2[260];     // offset 276
    char NlsLibraryPath[260];    // offset 536
    char LogFilePath[260];       // offset 796
};
#pragma pack(pop)
static_assert(sizeof(SharedLogBlock) == 1056, "shared log block layout is fixed");

// The last four arguments may be NULL or empty. Always returns 0. The NLS
// library path is only stored in the block; the library itself is loaded by
// its one owner, NlsLoadLibrary (core/nls.h). Each call also takes the default
// log path (the product's work folder) once, with a plain registry read.
//
// Threads: LogOpen, LogEnable, LogUseOwnBlock and LogClose belong to the GUI
// thread (start-up and the end of the run); LogLine and LogLineF may be called
// from any thread while the log is open.
int LogOpen(int silent, int logging, const char *logPath,
            const char *uninstFolder = NULL, const char *uninstFolder2 = NULL,
            const char *nlsLibraryPath = NULL, const char *extra = NULL);
void LogEnable(int on);
void LogLine(const char *text);
void LogLineF(const char *format, ...) __attribute__((format(printf, 1, 2)));
int LogClose();

// Before the first LogOpen: keep the log state in process memory instead of
// the named block (a second copy must leave the running copy's block alone).
void LogUseOwnBlock();

// Before the first LogOpen: the log is only ever the file given to LogOpen,
// never the default log in the product's work folder (a preview writes no
// other run's log).
void LogOnlyOwnFile();

// The mapped block, or NULL before LogOpen or when it could not be mapped.
SharedLogBlock *LogBlock();
// True when the block exists and its silent flag is set.
int LogSilent();
// The file the next LogLine would append to ("" when there is none): the
// block's log path, else the default log taken when the log was opened.
void LogCurrentPath(char *out /* VL_PATH_SIZE */);
