#include "removal/filelist.h"
#include "core/mbchar.h"
#include "removal/files.h"
#include "removal/listline.h"
#include "removal/registry.h"
#include "core/launch.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/pathguard.h"
#include "core/pathlist.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/statusline.h"
#include "core/stoprequest.h"
#include <commctrl.h>
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { LANGUAGE_FOLDER_FIRST_ID = 250, LANGUAGE_FOLDER_COUNT = 10, NLS_LIST_DONE = 664 };

// Shows an NLS string on a status line. The string is only loaded for a line
// that exists: a caller without windows has nothing to show it on.
static void ShowNlsText(HWND window, UINT id)
{
    if (!window) return;
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, id);
    SetStatusText(window, text, FALSE);
}

// Case-insensitive order by character: single-byte A-Z fold, the second byte
// of a double-byte character never does.
static int CompareNoCase(const char *a, const char *b, size_t limit)
{
    int second = 0;
    for (size_t i = 0; i < limit; i++) {
        unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (!second) {
            ca = MbFoldAscii(ca);
            cb = MbFoldAscii(cb);
        }
        if (ca != cb) return ca - cb;
        if (!ca) return 0;
        second = !second && MbNext(a + i) == a + i + 2;
    }
    return 0;
}

// By character: the directory's last character may end in the byte '\\'.
int IsUnderDirectory(const char *path, const char *directory)
{
    size_t length = strlen(directory);
    return length > 0 && strnlen(path, length + 1) > length && MbEqualNoCaseN(directory, path, length) &&
           path[length] == '\\';
}

int QuoteIfSpaced(char *path, size_t size)
{
    if (!MbFindChar(path, ' ') || path[0] == '"') return 1;
    size_t length = strlen(path);
    if (length + 3 > size) return 0;
    memmove(path + 1, path, length);
    path[0] = '"';
    path[length + 1] = '"';
    path[length + 2] = 0;
    return 1;
}

// Adds every ancestor directory of a path to the directory list, deepest
// first. The ancestors of a directory that is in the list already are there
// too (they were added with it), so the walk up stops at the first one found:
// a file whose folder is known costs one look-up, and the look-up finds it
// near the head, where the files of one folder put it.
static void GatherAncestors(const char *path, PathNode **directories)
{
    char parent[VL_PATH_SIZE];
    CopyText(parent, sizeof parent, path);
    for (char *slash = MbFindLastChar(parent, '\\'); slash; slash = MbFindLastChar(parent, '\\')) {
        *slash = 0;
        if (!MbFindChar(parent, '\\')) break;   // never listed (a drive such as "c:")
        if (PathListHolds(*directories, parent)) break;
        AddUniquePath(directories, parent);
    }
}

int DeleteListedFile(const char *path, PathNode **directories, const char *diskPath)
{
    // The management console file is installed read-only. (A path the guard
    // refuses keeps its attributes; DeleteFilePath logs the refusal.)
    if (MbFindText(path, "varolink.msc") && FileVerdict(path) == PATH_SAFE)
        MachineClearAttributes(path);
    int result = DeleteFilePathSpelt(path, diskPath, FALSE);
    GatherAncestors(path, directories);
    return result;
}

int DeleteListedPath(const char *path, BOOL counting, PathNode **directories, HWND itemText,
                     HWND progress)
{
    // Counting gathers the directories the working pass will try to remove,
    // so that their progress steps are counted too; nothing is deleted.
    if (!counting) ProgressStep(progress);
    char lower[VL_PATH_SIZE];
    CopyText(lower, sizeof lower, path);
    LowerText(lower);
    if (!PathHasLanguageTokens(lower)) {
        if (counting) {
            if (directories) GatherAncestors(lower, directories);
            return 1;
        }
        SetStatusText(itemText, lower, TRUE);
        return DeleteListedFile(lower, directories, path);
    }
    int result = 1;
    for (int i = 0; i < LANGUAGE_FOLDER_COUNT; i++) {
        char folder[VL_TEXT_SIZE], expanded[VL_PATH_SIZE];
        if (!LoadOwnString(folder, LANGUAGE_FOLDER_FIRST_ID + i)) {
            result = 0;
            continue;
        }
        if (!ExpandLanguagePath(lower, folder, expanded, sizeof expanded)) {
            if (counting) continue;
            LogLineF("***Path too long: '%s' (%s)", lower, folder);
            result = 0;
            continue;
        }
        if (counting) {
            if (directories) GatherAncestors(expanded, directories);
            continue;
        }
        SetStatusText(itemText, expanded, TRUE);
        result = DeleteListedFile(expanded, directories) && result;
    }
    return counting ? 1 : result;
}

// Orders the gathered directories so that each comes before its ancestors.
static void RemoveListedDirectories(PathNode **head, const char *targetDir, HWND itemText,
                                    HWND progress, int *result)
{
    size_t count = 0;
    for (PathNode *node = *head; node; node = node->Next) count++;
    PathNode **order = count ? (PathNode **)malloc(count * sizeof *order) : NULL;
    if (count && !order) {
        LogLine("***Can't allocate memory for isuPATHLIST");
        FreePathList(head);
        *result = 0;
        return;
    }
    size_t n = 0;
    for (PathNode *node = *head; node; node = node->Next) order[n++] = node;
    qsort(order, count, sizeof *order, [](const void *a, const void *b) {
        const char *pa = (*(PathNode *const *)a)->Path, *pb = (*(PathNode *const *)b)->Path;
        return CompareNoCase(pb, pa, (size_t)-1);
    });
    for (int swapped = 1; swapped;) {
        swapped = 0;
        for (size_t i = 0; i + 1 < count; i++) {
            size_t la = strlen(order[i]->Path), lb = strlen(order[i + 1]->Path);
            size_t shorter = la < lb ? la : lb;
            if (la < lb && CompareNoCase(order[i]->Path, order[i + 1]->Path, shorter) == 0) {
                PathNode *keep = order[i];
                order[i] = order[i + 1];
                order[i + 1] = keep;
                swapped = 1;
            }
        }
    }
    for (size_t i = 0; i < count; i++) {
        if (!IsUnderDirectory(order[i]->Path, targetDir)) continue;
        SetStatusText(itemText, order[i]->Path, TRUE);
        ProgressStep(progress);
        *result = RemoveListedDirectory(order[i]->Path) && *result;
    }
    free(order);
    FreePathList(head);
}

// The file name part of a listed path: its HTML Help registration value.
static int DropHelpRegistration(const char *path)
{
    const char *name = MbFindLastChar(path, '\\');
    name = name ? name + 1 : path;
    return DeleteRegistryValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\HTML Help", name, FALSE);
}

// One line of a component list. Returns the steps it counts.
static int HandleComponentLine(char *line, BOOL counting, const char *listName, const char *targetDir,
                               PathNode **directories, HWND itemText, HWND progress, int *result)
{
    const char *relative = ListLinePath(line);
    if (!relative) return 0;
    char full[VL_PATH_SIZE];
    if (counting) {
        if (RelativePathIsContained(relative) && FormatText(full, sizeof full, "%s%s", targetDir, relative))
            DeleteListedPath(full, TRUE, directories, itemText, progress);
        return 1;
    }
    if (!RelativePathIsContained(relative)) {
        // A list names files below its target only; a line that climbs out of
        // it (or names a drive) is refused rather than followed.
        ProgressStep(progress);
        LogLineF("***Listed path outside '%s' not deleted: '%s'", targetDir, relative);
        *result = 0;
        return 1;
    }
    if (!FormatText(full, sizeof full, "%s%s", targetDir, relative)) {
        ProgressStep(progress);
        LogLineF("***Path too long: '%s%s'", targetDir, relative);
        *result = 0;
        return 1;
    }
    *result = DeleteListedPath(full, FALSE, directories, itemText, progress) && *result;
    if (TextEqualNoCase(listName, "help")) *result = DropHelpRegistration(full) && *result;
    return 1;
}

// One line of a service-level list. Returns the steps it counts.
static int HandleServiceLevelLine(char *line, BOOL counting, const char *targetDir,
                                  PathNode **directories, HWND itemText, HWND progress, int *result)
{
    char full[VL_PATH_SIZE];
    switch (ParseServiceLevelLine(line, targetDir, full, sizeof full)) {
    case CSD_LINE_DELETE:
        if (counting) return DeleteListedPath(full, TRUE, directories, itemText, progress);
        *result = DeleteListedPath(full, FALSE, directories, itemText, progress) && *result;
        return 1;
    case CSD_LINE_UNINST:
        if (!counting && FileExists(full)) LogLineF("Not deleting '%s'", full);
        return 0;
    case CSD_LINE_UNSAFE:
        if (!counting) {
            LogLineF("***Listed path outside '%s' not deleted: '%s'", targetDir, full);
            *result = 0;
        }
        return 0;
    default:
        return 0;
    }
}

int ProcessFileList(BOOL counting, BOOL serviceLevel, UINT phaseTextId, HWND phaseText, HWND itemText,
                    HWND progress, const char *listName, const char *listFolder, const char *targetDir)
{
    const char *extension = serviceLevel ? ".log" : ".u00";
    if (!counting) {
        if (serviceLevel) {
            LogLineF("Deleting CSD files in '%s\\%s%s'", listFolder, listName, extension);
        } else {
            LogLineF("Deleting file component '%s\\%s'", listFolder, listName);
            LogLineF("Target dir '%s'", targetDir);
        }
        ShowNlsText(phaseText, phaseTextId);
    }
    int count = 0, result = 1;
    PathNode *directories = NULL;
    char listPath[VL_PATH_SIZE];
    FILE *list = NULL;
    // An empty or root target would turn every listed path into one below the
    // drive's (or the share's) root: the list is not applied at all.
    if (counting ? CheckFolderPath(targetDir, NULL, 0) != PATH_SAFE : !GuardTargetFolder(targetDir))
        result = 0;
    else if (FormatText(listPath, sizeof listPath, "%s\\%s%s", listFolder, listName, extension))
        list = fopen(listPath, "rt");
    if (list) {
        char line[LIST_LINE_SIZE];
        while (fgets(line, sizeof line, list)) {
            // The end of the run stops a removal between two listed files.
            if (!counting && RemovalStopRequested()) break;
            count += serviceLevel
                ? HandleServiceLevelLine(line, counting, targetDir, &directories, itemText, progress, &result)
                : HandleComponentLine(line, counting, listName, targetDir, &directories, itemText, progress,
                                      &result);
        }
        fclose(list);
        if (counting) {
            // The working pass steps once for each gathered directory below the target.
            for (PathNode *node = directories; node; node = node->Next)
                if (IsUnderDirectory(node->Path, targetDir)) count++;
            FreePathList(&directories);
            return count;
        }
        ShowNlsText(phaseText, NLS_LIST_DONE);
        RemoveListedDirectories(&directories, targetDir, itemText, progress, &result);
    }
    if (counting) return count;
    LogLineF("Finished deleting file component '%s'", listName);
    SetStatusText(phaseText, "", FALSE);
    SetStatusText(itemText, "", FALSE);
    return result;
}

// The bar steps on each poll of an unregistering server, keeping one of its
// ten steps for its end.
struct ServerPoll {
    HWND Progress;
    int *StepsLeft;
};

static void StepServerPoll(void *context)
{
    ServerPoll *poll = (ServerPoll *)context;
    if (*poll->StepsLeft > 1) {
        ProgressStep(poll->Progress);
        (*poll->StepsLeft)--;
    }
}

int UnregisterObjectClasses(BOOL counting, const char *listName, HWND itemText, HWND progress,
                            const char *programFiles)
{
    if (!counting) LogLineF("Unregistering object classes for '%s'", listName);
    int count = 0, result = 1;
    PathNode *servers = NULL;
    char listPath[VL_PATH_SIZE];
    FILE *list = NULL;
    // Only programs below a real program folder are ever started.
    if (counting ? CheckFolderPath(programFiles, NULL, 0) != PATH_SAFE : !GuardTargetFolder(programFiles))
        return 0;
    if (FormatText(listPath, sizeof listPath, "%s\\uninst\\%s.u00", programFiles, listName))
        list = fopen(listPath, "rt");
    if (list) {
        char line[LIST_LINE_SIZE];
        while (fgets(line, sizeof line, list)) {
            line[strcspn(line, "\r")] = 0;
            line[strcspn(line, "\n")] = 0;
            const char *relative = MbFindChar(line, '\\');
            if (!relative) continue;
            char full[VL_PATH_SIZE];
            // Only programs of the product's own folder are ever started.
            if (!RelativePathIsContained(relative) || !FormatText(full, sizeof full, "%s%s", programFiles, relative)) {
                if (!counting) LogLineF("***Listed path outside '%s' not unregistered: '%s'", programFiles, relative);
                result = 0;
                continue;
            }
            LowerText(full);
            if (!counting) SetStatusText(itemText, full, TRUE);
            if (!FileExists(full)) continue;
            if (counting) count += 10;
            else AddUniquePath(&servers, full);
        }
        fclose(list);
    }
    if (counting) {
        FreePathList(&servers);
        return count;
    }

    char binFolder[VL_PATH_SIZE], registrar[VL_PATH_SIZE];
    FormatText(binFolder, sizeof binFolder, "%s\\bin", programFiles);
    FormatText(registrar, sizeof registrar, "%s\\uninst\\avliregn.exe", programFiles);
    // Each server was counted as ten steps: the polls step the bar, the rest
    // of the ten follow once it has ended (or could not be started).
    for (PathNode *node = servers; node; node = node->Next) {
        int stepsLeft = 10;
        BOOL started;
        if (MbFindText(node->Path, ".exe")) {
            started = LaunchProcess(NULL, node->Path, binFolder, " -UnregServer");
        } else {
            char quoted[VL_PATH_SIZE + 4], parameters[VL_PATH_SIZE + 16];
            CopyText(quoted, sizeof quoted, node->Path);
            QuoteIfSpaced(quoted, sizeof quoted);
            FormatText(parameters, sizeof parameters, "%s -u", quoted);
            started = LaunchProcess(NULL, registrar, binFolder, parameters);
        }
        if (!started) {
            LogLineF("***Unable to unregister file '%s'.", node->Path);
            result = 0;
        } else {
            DWORD exitCode = 0;
            ServerPoll poll = {progress, &stepsLeft};
            if (!WaitLaunchedProcess(100, RemovalStopRequested, StepServerPoll, &poll, &exitCode)) {
                LogLineF("***Unable to unregister file '%s'.", node->Path);
                result = 0;
                if (RemovalStopRequested()) break;
            } else if (exitCode != 0) {
                LogLineF("***'%s' failed to unregister, code '%8.8lx'", node->Path, (unsigned long)exitCode);
                result = 0;
            } else {
                LogLineF("Unregistered '%s'", node->Path);
            }
        }
        for (; stepsLeft > 0; stepsLeft--) ProgressStep(progress);
    }
    FreePathList(&servers);
    SetStatusText(itemText, "", FALSE);
    return result;
}
