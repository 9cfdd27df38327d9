// Rules that keep deletions driven by configuration data (registry values,
// configuration files) inside the folder they belong to. No Windows
// dependency: the host build tests and fuzzes them.
#pragma once
#include <stddef.h>

// "X:\a\b" or "\\server\share\a": a full path with at least one folder below
// the drive or share, no component of dots and blanks only (Windows would
// climb with it), no further colon, no forward slash, no empty component.
// One trailing backslash is allowed.
int PathIsFullAndPlain(const char *path);
// path lies strictly below root (both full and plain), case ignored.
int PathIsInside(const char *path, const char *root);

// A queue manager's folder may be deleted when it is <...>\qmgrs\<name>
// strictly inside the data folder.
int QmDirectoryIsDeletable(const char *directory, const char *dataDir);
// A queue manager's log folder may be deleted when it lies strictly inside
// the data folder, is no queue manager's folder nor one of their ancestors,
// and lies inside no other queue manager's folder than its own (ownDirectory).
int QmLogPathIsDeletable(const char *logPath, const char *dataDir, const char *ownDirectory,
                         const char *const *directories, size_t count);

// The folder of a service level: the part of its registry data after the first '='.
enum {
    CSD_NO_FOLDER = 0,      // the data holds no '='
    CSD_FOLDER_INSIDE = 1,  // out: the folder, strictly inside the tree root
    CSD_FOLDER_ELSEWHERE = 2, // a plain full folder of another tree: not this call's to delete
    CSD_FOLDER_REFUSED = 3  // empty, relative, a drive or share root, climbing, or too long
};
int ServiceLevelFolder(const char *data, const char *treeRoot, char *out, size_t size);
