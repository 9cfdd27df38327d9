// Which folders named by configuration data (queue-manager folders and log
// folders, service-level folders) a cleanup may delete: only folders that
// belong to the folder the cleanup works on. The deletion guard (core/
// pathguard.h) keeps every deletion away from roots and system folders; these
// rules keep data-driven deletions inside the data folder or the tree. No
// Windows dependency: the host build tests and fuzzes them.
#pragma once
#include <stddef.h>

// path lies strictly below root; both must pass the guard's folder rules and
// are compared in the form Windows resolves them to, without regard to case.
int PathIsInside(const char *path, const char *root);

// A queue manager's folder may be deleted when it is <...>\qmgrs\<name>
// strictly inside the data folder.
int QmDirectoryIsDeletable(const char *directory, const char *dataDir);
// A queue manager's log folder may be deleted when it lies strictly inside
// the data folder or inside the log default path (may be NULL or ""; used
// only when it neither is nor holds the data folder), is neither the data
// folder nor holds it, is no queue manager's folder nor holds one, and lies
// inside no other queue manager's folder than its own (ownDirectory).
// The caller has the log default path judged by the guard first.
int QmLogPathIsDeletable(const char *logPath, const char *dataDir, const char *logDefaultPath,
                         const char *ownDirectory, const char *const *directories, size_t count);

// The folder of a service level: the part of its registry data after the first '='.
enum {
    CSD_NO_FOLDER = 0,        // the data holds no '='
    CSD_FOLDER_INSIDE = 1,    // out: the folder as Windows resolves it, strictly inside the tree root
    CSD_FOLDER_ELSEWHERE = 2, // a full folder of another tree: not this call's to delete
    CSD_FOLDER_REFUSED = 3,   // relative, a drive or share root, climbing, or too long
    CSD_FOLDER_EMPTY = 4      // nothing (or only blanks) after the '=': no folder to walk
};
int ServiceLevelFolder(const char *data, const char *treeRoot, char *out, size_t size);
