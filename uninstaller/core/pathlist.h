// The one list of paths of the uninstaller: the tree walker's entries of one
// level, the directories a file list emptied, the servers of a class list,
// the subkeys of a registry key. Singly linked, new entries at the head; each
// node holds its own heap copy of the text. A list belongs to the function
// that built it (nothing here is shared between threads).
#pragma once
#include <stddef.h>

struct PathNode {
    PathNode *Next;
    char *Path;
};

// Pushes a heap copy of path. 0 when memory runs out, logged as
// "***Can't allocate memory for isuPATHLIST" (the node) or copyFailureLine
// (the copy); the list is unchanged then.
int PushPath(PathNode **head, const char *path,
             const char *copyFailureLine = "***Can't allocate memory for FilePath");
// Pushes "<a>\<b>" ("<a>\<b>\<c>" with c), never cut. 0 (logged) when out of memory.
int PushJoinedPath(PathNode **head, const char *a, const char *b, const char *c = NULL);
// Adds a heap copy of path unless an entry is equal (exact, case-sensitive);
// a path without a backslash is not added. 1 when added.
int AddUniquePath(PathNode **head, const char *path);
// 1 when an entry equals path (exact, case-sensitive).
int PathListHolds(const PathNode *head, const char *path);
// Takes the head off the list (NULL when empty); the caller frees it.
PathNode *PopPath(PathNode **head);
void FreePathNode(PathNode *node);
void FreePathList(PathNode **head);
size_t PathListLength(const PathNode *head);
