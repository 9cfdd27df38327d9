// Which component file lists the locked-file check reads.
#include "checks/lockcheck.h"
#include "core/mbchar.h"
#include "core/log.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/listline.h"
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static PathNode *sLockedFiles;

PathNode **LockedFileList() { return &sLockedFiles; }

static char *HeapCopy(const char *text)
{
    size_t size = strlen(text) + 1;
    char *copy = (char *)malloc(size);
    if (copy) memcpy(copy, text, size);
    return copy;
}

void FreeLockCheckEntry(LockCheckEntry *entry)
{
    if (!entry) return;
    free(entry->ListPath);
    free(entry->BaseFolder);
    free(entry);
}

LockCheckEntry *TakeLockCheckEntry(LockCheckEntry **queue)
{
    LockCheckEntry *entry = *queue;
    if (entry) *queue = entry->Next;
    return entry;
}

void FreeLockCheckQueue(LockCheckEntry **queue)
{
    while (*queue) FreeLockCheckEntry(TakeLockCheckEntry(queue));
}

// Puts the list at the head of the queue unless it is there already.
static void QueueList(const char *listPath, const char *baseFolder, LockCheckEntry **queue)
{
    if (!MbFindChar(listPath, '\\')) return;
    for (LockCheckEntry *entry = *queue; entry; entry = entry->Next)
        if (strcmp(entry->ListPath, listPath) == 0) return;
    LockCheckEntry *entry = (LockCheckEntry *)calloc(1, sizeof *entry);
    if (entry) {
        entry->ListPath = HeapCopy(listPath);
        entry->BaseFolder = HeapCopy(baseFolder);
    }
    if (!entry || !entry->ListPath || !entry->BaseFolder) {
        LogLine("***Can't allocate memory for isuPATHLIST");
        FreeLockCheckEntry(entry);
        return;
    }
    entry->Next = *queue;
    *queue = entry;
}

int AddLockCheckFileList(const char *listName, const char *baseFolder, LockCheckEntry **queue)
{
    char listPath[VL_PATH_SIZE];
    if (!FormatText(listPath, sizeof listPath, "%s\\%s\\%s%s", gRun.ProgramFilesPath, "uninst", listName, ".u00"))
        return 0;
    FILE *file = fopen(listPath, "rt");
    if (!file) return 0;
    int count = 0;
    char line[LIST_LINE_SIZE];
    while (fgets(line, sizeof line, file))
        if (ListLinePath(line)) count++;
    fclose(file);
    if (count > 0 && !baseFolder[0]) {
        // Its files lie below a folder this installation does not name.
        LogLineF("***No folder for the files of '%s'; not checked", listPath);
        return 0;
    }
    if (count > 0) QueueList(listPath, baseFolder, queue);
    return count;
}

static int AddLists(const char *const *names, const BOOL *work, int n, LockCheckEntry **queue)
{
    int total = 0;
    for (int i = 0; i < n; i++)
        total += AddLockCheckFileList(names[i], work[i] ? gRun.ProductWorkPath : gRun.ProgramFilesPath, queue);
    return total;
}

// Whether `component` is still installed when the worker comes to remove
// `remover`: the registry test the removal procedures make at that moment, so
// a component selected for removal earlier in the worker's order is gone by then.
static BOOL InstalledAtRemovalOf(int component, int remover)
{
    if (gComponents[component].Selected && RemovalRank(component) < RemovalRank(remover)) return FALSE;
    return ComponentRecorded(gComponents[component].ValueName);
}

int BuildLockCheckList(LockCheckEntry **queue, HWND progress)
{
    static const char *const kServer[] = {"server", "serverd", "svslfrg", "javabind", "convtab"};
    static const BOOL kServerWork[] = {FALSE, TRUE, FALSE, FALSE, TRUE};
    static const char *const kNtClient[] = {"clint", "clslfrg", "clintcnv"};
    static const BOOL kNtClientWork[] = {FALSE, FALSE, TRUE};
    static const char *const kJavaClient[] = {"javabase", "clijava"};
    static const BOOL kJavaClientWork[] = {FALSE, FALSE};
    static const char *const kWebAdmin[] = {"webadmin", "webscrip"};
    static const BOOL kWebAdminWork[] = {FALSE, TRUE};
    const Component *c = gComponents;
    int total = 0;
    // The lists each procedure deletes, decided with its own test of what
    // else is installed when it runs.
    if (c[COMP_SERVER].Selected) {
        total += AddLists(kServer, kServerWork, 5, queue);
        if (!InstalledAtRemovalOf(COMP_WINDOWS_NT_CLIENT, COMP_SERVER))
            total += AddLists(kNtClient, kNtClientWork, 3, queue);
        if (!InstalledAtRemovalOf(COMP_JAVA_CLIENT, COMP_SERVER))
            total += AddLists(kJavaClient, kJavaClientWork, 2, queue);
    }
    if (c[COMP_WINDOWS_NT_CLIENT].Selected && !InstalledAtRemovalOf(COMP_SERVER, COMP_WINDOWS_NT_CLIENT))
        total += AddLists(kNtClient, kNtClientWork, 3, queue);
    if (c[COMP_JAVA_CLIENT].Selected) {
        // The Java client's own list goes whether or not the server stays.
        if (!InstalledAtRemovalOf(COMP_SERVER, COMP_JAVA_CLIENT)) total += AddLists(kJavaClient, kJavaClientWork, 2, queue);
        else total += AddLockCheckFileList("clijava", gRun.ProgramFilesPath, queue);
    }
    if (c[COMP_TOOLKIT].Selected) total += AddLockCheckFileList("toolkit", gRun.ProgramFilesPath, queue);
    if (c[COMP_INTERNET_GATEWAY_DOCS].Selected) total += AddLockCheckFileList("ijavadoc", gRun.ProgramFilesPath, queue);
    if (c[COMP_WEB_ADMIN].Selected) total += AddLists(kWebAdmin, kWebAdminWork, 2, queue);
    if (c[COMP_INTERNET_GATEWAY].Selected) total += AddLockCheckFileList("inetgway", gRun.ProgramFilesPath, queue);
    if (progress) {
        SendMessageA(progress, PBM_SETRANGE32, 0, total);
        SendMessageA(progress, PBM_SETSTEP, 1, 0);
    }
    return total;
}
