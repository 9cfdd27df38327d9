#include "engine/servicelevels.h"
#include "removal/filelist.h"
#include "removal/files.h"
#include "removal/datafolders.h"
#include "removal/registry.h"
#include "removal/shortcuts.h"
#include "core/fileprobes.h"
#include "core/log.h"
#include "core/pathguard.h"
#include "core/runstate.h"
#include "core/statusline.h"
#include "core/text.h"
#include "security/security.h"
#include <stdlib.h>
#include <string.h>

#define CSDS_APPLIED_KEY "Software\\Norvik\\Varolink\\CurrentVersion\\CSDS Applied"

enum { NLS_CSD_PHASE = 548 };

// Value names and backup folder names gathered while walking, newest first.
struct NameNode {
    NameNode *Next;
    char *Name;
};

static int PushName(NameNode **head, const char *name, const char *nodeFailure, const char *copyFailure)
{
    NameNode *node = (NameNode *)malloc(sizeof *node);
    if (!node) {
        LogLine(nodeFailure);
        return 0;
    }
    node->Name = (char *)malloc(strlen(name) + 1);
    if (!node->Name) {
        LogLine(copyFailure);
        free(node);
        return 0;
    }
    strcpy(node->Name, name);
    node->Next = *head;
    *head = node;
    return 1;
}

static NameNode *PopName(NameNode **head)
{
    NameNode *node = *head;
    if (node) *head = node->Next;
    return node;
}

static void FreeName(NameNode *node)
{
    free(node->Name);
    free(node);
}

// What the walk of the CSDS Applied key hands back.
struct ServiceLevelWalk {
    BOOL Counting;
    const char *TreeRoot;
    const char *OtherTreeRoot;   // the tree the other call cleans ("" when none)
    const char *ProgramFolderName;
    HWND Status, Progress;
    int Count;          // counting pass: steps
    int Result;         // working pass: 1 / 0
    BOOL ValueLeft;     // a service level of another tree stays recorded
    NameNode *Values;   // working pass: the values handled
};

static void Step(ServiceLevelWalk *walk)
{
    if (walk->Counting) walk->Count++;
    else ProgressStep(walk->Progress);
}

static int DeleteShortcut(const ServiceLevelWalk *walk, const char *item)
{
    if (!walk->ProgramFolderName || !walk->ProgramFolderName[0]) return 1;
    return DeleteProgramFolderItem(walk->ProgramFolderName, item);
}

// One value of the CSDS Applied key whose name begins with "CSD".
static void HandleServiceLevel(ServiceLevelWalk *walk, const char *name, DWORD type, char *data)
{
    if (!walk->Counting) LogLineF("Processing '%s'", name);
    char folder[VL_PATH_SIZE] = "";
    int kind = (type == REG_SZ || type == REG_EXPAND_SZ) ? ServiceLevelFolder(data, walk->TreeRoot, folder, sizeof folder)
                                                         : CSD_NO_FOLDER;
    if (kind == CSD_FOLDER_REFUSED) {
        // The data names no folder of a tree ("X=C:\", a relative or
        // climbing path): nothing is deleted, and the record stays.
        if (!walk->Counting) {
            LogLineF("***CSD folder of '%s' not valid: '%s'; not deleted", name, data);
            walk->Result = 0;
        }
        walk->ValueLeft = TRUE;
        return;
    }
    if (kind == CSD_FOLDER_ELSEWHERE) {
        // Its folder lies in the other tree: that tree's call handles it. A
        // folder in neither tree is no service level of this product's to
        // delete: it and its record stay, and the log says so.
        char other[VL_PATH_SIZE];
        BOOL otherTree = walk->OtherTreeRoot[0] &&
                         ServiceLevelFolder(data, walk->OtherTreeRoot, other, sizeof other) == CSD_FOLDER_INSIDE;
        if (!walk->Counting) {
            if (otherTree) {
                LogLineF("CSD folder of '%s' is not in '%s' tree", name, walk->TreeRoot);
            } else {
                LogLineF("***CSD folder of '%s' is in neither tree: '%s'; not deleted", name, data);
                walk->Result = 0;
            }
        }
        walk->ValueLeft = TRUE;
        return;
    }
    if (kind == CSD_FOLDER_INSIDE && !walk->Counting && !GuardFolder(folder)) {
        // Inside the tree, yet a folder the guard keeps (logged there).
        walk->Result = 0;
        walk->ValueLeft = TRUE;
        return;
    }
    if (kind == CSD_FOLDER_INSIDE && walk->Counting && FolderVerdict(folder) != PATH_SAFE) {
        walk->ValueLeft = TRUE;
        return;
    }
    if (kind == CSD_FOLDER_EMPTY) {
        // "X=": the record names no folder, so there is nothing to walk; its
        // step, shortcuts and value go as for any other.
        Step(walk);
    }
    if (kind == CSD_FOLDER_INSIDE) {
        BOOL exists = FolderExists(folder);
        if (exists) {
            int list = ProcessFileList(walk->Counting, TRUE, NLS_CSD_PHASE, NULL, walk->Status, walk->Progress,
                                       "csdship", folder, walk->TreeRoot);
            if (walk->Counting) walk->Count += list;
            else walk->Result = list && walk->Result;
        }
        Step(walk);
        if (!walk->Counting && exists) {
            char pattern[VL_PATH_SIZE];
            if (FormatText(pattern, sizeof pattern, "%s\\*", folder)) {
                walk->Result = DeleteTree(pattern, TRUE, TRUE, TRUE, walk->Status, walk->Progress) && walk->Result;
            } else {
                LogLineF("***Path too long: '%s\\*'", folder);
                walk->Result = 0;
            }
        }
    }
    // The value's own record goes in step with the others (one step each).
    if (walk->Counting) {
        walk->Count++;
        return;
    }
    char item[VL_TEXT_SIZE];
    if (FormatText(item, sizeof item, "Remove %s", name)) walk->Result = DeleteShortcut(walk, item) && walk->Result;
    walk->Result = DeleteShortcut(walk, "Remove Latest CSD") && walk->Result;
    walk->Result = DeleteShortcut(walk, "Remove CSD") && walk->Result;
    if (!PushName(&walk->Values, name, "***Can't allocate memory for isuPATHLIST (CSD)",
                  "***Can't allocate memory for CSD value"))
        walk->Result = 0;
}

static void WalkServiceLevels(ServiceLevelWalk *walk)
{
    HKEY key;
    LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, CSDS_APPLIED_KEY, 0, KEY_READ, &key);
    if (rc == ERROR_ACCESS_DENIED) {
        TakeOwnership(CSDS_APPLIED_KEY, SE_REGISTRY_KEY);
        SecureRegistryKey(CSDS_APPLIED_KEY, FALSE, NOT_USED_ACCESS, 0);
        rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, CSDS_APPLIED_KEY, 0, KEY_ALL_ACCESS, &key);
    }
    if (rc == ERROR_FILE_NOT_FOUND) return;
    if (rc != ERROR_SUCCESS) {
        if (!walk->Counting) LogLineF("***Open key error %d '%s'", (int)rc, CSDS_APPLIED_KEY);
        walk->Result = 0;
        return;
    }
    DWORD longestName = 0, longestData = 0;
    rc = RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &longestName, &longestData, NULL, NULL);
    char *name = NULL, *data = NULL;
    if (rc != ERROR_SUCCESS) {
        if (!walk->Counting) LogLineF("***Can't query key info %d", (int)rc);
        walk->Result = 0;
    } else {
        name = (char *)malloc(longestName + 1);
        data = (char *)malloc(longestData + 1);
        if (!name && !walk->Counting) LogLineF("***Unable to allocate value name buffer %d", (int)(longestName + 1));
        if (!data && !walk->Counting) LogLineF("***Unable to allocate value data buffer %d", (int)(longestData + 1));
        if (!name || !data) walk->Result = 0;
    }
    for (DWORD index = 0; name && data; index++) {
        DWORD nameSize = longestName + 1, dataSize = longestData, type = 0;
        rc = RegEnumValueA(key, index, name, &nameSize, NULL, &type, (BYTE *)data, &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            if (!walk->Counting) LogLineF("***Can't enumerate Key values: '%s' %d", CSDS_APPLIED_KEY, (int)rc);
            walk->Result = 0;
            break;
        }
        data[dataSize <= longestData ? dataSize : longestData] = 0;
        if (TextStartsNoCase(name, "CSD")) HandleServiceLevel(walk, name, type, data);
        else walk->ValueLeft = TRUE;
    }
    free(name);
    free(data);
    RegCloseKey(key);
}

// The u20* folders of <tree>\BackUp; counting: one step each.
static void FindBackups(ServiceLevelWalk *walk, NameNode **backups)
{
    char pattern[VL_PATH_SIZE];
    if (!walk->TreeRoot[0] || !FormatText(pattern, sizeof pattern, "%s\\BackUp\\*", walk->TreeRoot)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileExA(pattern, FindExInfoStandard, &found, FindExSearchLimitToDirectories, NULL, 0);
    if (search == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME) {
            if (!walk->Counting) LogLineF("***FindFirstFileEx(3) error %d, path '%s'", (int)error, pattern);
            walk->Result = 0;
        }
        return;
    }
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!strcmp(found.cFileName, ".") || !strcmp(found.cFileName, "..")) continue;
        if (!TextStartsNoCase(found.cFileName, "u20")) continue;
        if (walk->Counting) walk->Count++;
        else if (!PushName(backups, found.cFileName, "***Can't allocate memory for isuPATHLIST",
                           "***Can't allocate memory for SubDir"))
            walk->Result = 0;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

int RemoveServiceLevels(BOOL counting, const char *treeRoot, const char *otherTreeRoot, const char *programFolderName,
                        HWND *status, HWND *progress)
{
    ServiceLevelWalk walk = {};
    walk.Counting = counting;
    walk.TreeRoot = treeRoot ? treeRoot : "";
    walk.OtherTreeRoot = otherTreeRoot ? otherTreeRoot : "";
    walk.ProgramFolderName = programFolderName;
    walk.Status = status ? *status : NULL;
    walk.Progress = progress ? *progress : NULL;
    walk.Result = 1;

    if (!counting) LogLine("Deleting all CSD info");
    WalkServiceLevels(&walk);

    if (!counting) {
        walk.Result = DeleteShortcut(&walk, "Remove CSD*") && walk.Result;
        walk.Result = DeleteShortcut(&walk, "Remove Latest CSD") && walk.Result;
        walk.Result = DeleteShortcut(&walk, "Remove CSD") && walk.Result;
        walk.Result = DeleteShortcut(&walk, "Memo.PTF File") && walk.Result;

        for (NameNode *node = PopName(&walk.Values); node; node = PopName(&walk.Values)) {
            ProgressStep(walk.Progress);
            DeleteRegistryValue(HKEY_LOCAL_MACHINE, CSDS_APPLIED_KEY, node->Name, FALSE);
            FreeName(node);
        }
        // The key goes only when nothing failed and no service level is left
        // recorded in it, so that a partly cleaned one stays visible.
        if (walk.Result && !walk.ValueLeft) walk.Result = DeleteRegistryTree(CSDS_APPLIED_KEY, NULL, TRUE);
    }

    NameNode *backups = NULL;
    FindBackups(&walk, &backups);
    if (counting) return walk.Count + 1;
    for (NameNode *node = PopName(&backups); node; node = PopName(&backups)) {
        ProgressStep(walk.Progress);
        char pattern[VL_PATH_SIZE];
        if (FormatText(pattern, sizeof pattern, "%s\\BackUp\\%s\\*", walk.TreeRoot, node->Name)) {
            walk.Result = DeleteTree(pattern, TRUE, TRUE, TRUE, walk.Status, walk.Progress) && walk.Result;
        } else {
            LogLineF("***Path too long: '%s\\BackUp\\%s\\*'", walk.TreeRoot, node->Name);
            walk.Result = 0;
        }
        FreeName(node);
    }
    ProgressStep(walk.Progress);
    char backUp[VL_PATH_SIZE];
    if (walk.TreeRoot[0] && FormatText(backUp, sizeof backUp, "%s\\BackUp", walk.TreeRoot))
        walk.Result = RemoveDirectoryPath(backUp, FALSE) && walk.Result;
    return walk.Result;
}
