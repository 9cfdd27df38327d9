#include "core/log.h"
#include "core/mbchar.h"
#include "core/runstate.h"
#include "core/text.h"
#include <commctrl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

// Threads: the GUI thread opens, switches and closes the log; the GUI thread
// and the removal worker both append. One append (open, write, close of the
// file) is made atomic with respect to another by sAppendLock, so two threads
// never lose or interleave lines; nothing else of the log state is locked.
static CRITICAL_SECTION sAppendLock;
static struct AppendLockSetUp {
    AppendLockSetUp() { InitializeCriticalSection(&sAppendLock); }
} sAppendLockSetUp;

static HANDLE sBlockMapping;
static SharedLogBlock *sBlock;
static char sExtra[VL_PATH_SIZE];
// The default log ("avlilogn.txt" in the product's work folder), taken when
// the log is opened and used while the block holds no log path of its own.
// Logging never reads the registry itself: a read there could meet a key
// that refuses access, and its repair logs, which would log again.
static char sDefaultLogPath[VL_PATH_SIZE];

// Set by a second copy of the program before its log is opened: its log
// state then lives in this process-local block, and the named block of the
// running copy is never opened, let alone written.
static BOOL sOwnBlockOnly;
static SharedLogBlock sOwnBlock;

void LogUseOwnBlock() { sOwnBlockOnly = TRUE; }

// Set by start-up before the log is opened; read by every append.
static BOOL sOwnFileOnly;

void LogOnlyOwnFile() { sOwnFileOnly = TRUE; }

// Opens or creates the named block; only its creator zero-fills it.
static int OpenSharedLogBlock()
{
    if (sOwnBlockOnly) {
        if (!sBlock) {
            memset(&sOwnBlock, 0, sizeof sOwnBlock);
            sBlock = &sOwnBlock;
        }
        return 1;
    }
    if (sBlockMapping) return sBlock != NULL;
    SetLastError(0);
    sBlockMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0,
                                       sizeof(SharedLogBlock), VL_LOG_BLOCK_NAME);
    if (!sBlockMapping) return 0;
    BOOL existed = GetLastError() == ERROR_ALREADY_EXISTS;
    sBlock = (SharedLogBlock *)MapViewOfFile(sBlockMapping, FILE_MAP_WRITE, 0, 0, sizeof(SharedLogBlock));
    if (sBlock && !existed) memset(sBlock, 0, sizeof(SharedLogBlock));
    return sBlock != NULL;
}

// Copies a folder into a block field without one trailing backslash.
static void StoreFolder(char *field, const char *folder)
{
    CopyText(field, 260, folder);
    MbTrimLast(field, '\\');
}

static int Given(const char *text) { return text && *text; }

// Reads "WorkPath" of the product key as it is: query access only, no repair
// of a key that refuses it. A value too long for a path counts as none.
static void TakeDefaultLogPath()
{
    sDefaultLogPath[0] = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    char workPath[VL_PATH_SIZE + 1];
    DWORD type = 0, size = sizeof workPath - 1;
    LONG rc = RegQueryValueExA(key, "WorkPath", NULL, &type, (BYTE *)workPath, &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return;
    workPath[size < sizeof workPath ? size : sizeof workPath - 1] = 0;
    if (workPath[0] && strlen(workPath) < VL_PATH_SIZE &&
        !FormatText(sDefaultLogPath, sizeof sDefaultLogPath, "%s\\%s", workPath, VL_LOG_FILE_NAME))
        sDefaultLogPath[0] = 0;
}

int LogOpen(int silent, int logging, const char *logPath, const char *uninstFolder,
            const char *uninstFolder2, const char *nlsLibraryPath, const char *extra)
{
    OpenSharedLogBlock();
    InitCommonControls();
    TakeDefaultLogPath();
    if (sBlock) {
        sBlock->Silent = silent;
        if (Given(logPath)) CopyText(sBlock->LogFilePath, 260, logPath);
        if (Given(uninstFolder2)) StoreFolder(sBlock->UninstFolder2, uninstFolder2);
        if (Given(uninstFolder)) StoreFolder(sBlock->UninstFolder, uninstFolder);
        if (Given(nlsLibraryPath)) CopyText(sBlock->NlsLibraryPath, 260, nlsLibraryPath);
        if (Given(extra)) CopyText(sExtra, sizeof sExtra, extra);
    }
    LogEnable(logging);
    return 0;
}

void LogEnable(int on)
{
    if (!sBlock) return;
    if (sBlock->Logging == 0 && on) {
        sBlock->Logging = on;
        char stars[71];
        stars[0] = '\n';
        memset(stars + 1, '*', 69);
        stars[70] = 0;
        LogLine(stars);
        char date[80];
        time_t now = time(NULL);
        strftime(date, sizeof date, "%A %B %d, %Y", localtime(&now));
        LogLine(date);
    } else {
        sBlock->Logging = on;
    }
}

void LogCurrentPath(char *out)
{
    out[0] = 0;
    if (!sBlock) return;
    if (sBlock->LogFilePath[0]) {
        CopyText(out, VL_PATH_SIZE, sBlock->LogFilePath);
        return;
    }
    // No path stored: the default log in the product's work folder.
    if (!sOwnFileOnly) CopyText(out, VL_PATH_SIZE, sDefaultLogPath);
}

void LogLine(const char *text)
{
    if (!sBlock || sBlock->Logging == 0) return;
    if (!text) text = "";
    char stamp[16];
    time_t now = time(NULL);
    strftime(stamp, sizeof stamp, "%H:%M:%S", localtime(&now));
    char path[VL_PATH_SIZE];
    LogCurrentPath(path);
    if (!path[0]) return;
    EnterCriticalSection(&sAppendLock);
    FILE *file = fopen(path, "a+");
    if (file) {
        if (text[0] == '\n')
            fprintf(file, "\n%s %s\n", stamp, text + 1);
        else
            fprintf(file, "%s %s\n", stamp, text);
        fclose(file);
    }
    LeaveCriticalSection(&sAppendLock);
}

void LogLineF(const char *format, ...)
{
    if (!sBlock || sBlock->Logging == 0) return;
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogLine(line);
}

int LogClose()
{
    if (sBlock && sBlock != &sOwnBlock) UnmapViewOfFile(sBlock);
    if (sBlockMapping) CloseHandle(sBlockMapping);
    sBlock = NULL;
    sBlockMapping = NULL;
    return 0;
}

SharedLogBlock *LogBlock() { return sBlock; }
int LogSilent() { return sBlock && sBlock->Silent; }
