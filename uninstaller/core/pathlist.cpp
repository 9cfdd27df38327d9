#include "core/pathlist.h"
#include "core/mbchar.h"
#include "core/log.h"
#include <stdlib.h>
#include <string.h>

static char *HeapCopy(const char *a, const char *b, const char *c)
{
    size_t la = strlen(a), lb = b ? strlen(b) : 0, lc = c ? strlen(c) : 0;
    size_t size = la + (b ? lb + 1 : 0) + (c ? lc + 1 : 0) + 1;
    char *text = (char *)malloc(size);
    if (!text) return NULL;
    char *at = text;
    memcpy(at, a, la);
    at += la;
    if (b) {
        *at++ = '\\';
        memcpy(at, b, lb);
        at += lb;
    }
    if (c) {
        *at++ = '\\';
        memcpy(at, c, lc);
        at += lc;
    }
    *at = 0;
    return text;
}

static int PushCopy(PathNode **head, char *copy, const char *copyFailureLine)
{
    PathNode *node = (PathNode *)malloc(sizeof *node);
    if (!node) {
        free(copy);
        LogLine("***Can't allocate memory for isuPATHLIST");
        return 0;
    }
    if (!copy) {
        free(node);
        LogLine(copyFailureLine);
        return 0;
    }
    node->Path = copy;
    node->Next = *head;
    *head = node;
    return 1;
}

int PushPath(PathNode **head, const char *path, const char *copyFailureLine)
{
    return PushCopy(head, HeapCopy(path, NULL, NULL), copyFailureLine);
}

int PushJoinedPath(PathNode **head, const char *a, const char *b, const char *c)
{
    return PushCopy(head, HeapCopy(a, b, c), "***Can't allocate memory for FilePath");
}

int PathListHolds(const PathNode *head, const char *path)
{
    for (; head; head = head->Next)
        if (strcmp(head->Path, path) == 0) return 1;
    return 0;
}

int AddUniquePath(PathNode **head, const char *path)
{
    if (!MbFindChar(path, '\\') || PathListHolds(*head, path)) return 0;
    return PushPath(head, path);
}

PathNode *PopPath(PathNode **head)
{
    PathNode *node = *head;
    if (node) *head = node->Next;
    return node;
}

void FreePathNode(PathNode *node)
{
    if (!node) return;
    free(node->Path);
    free(node);
}

void FreePathList(PathNode **head)
{
    while (PathNode *node = PopPath(head)) FreePathNode(node);
}

size_t PathListLength(const PathNode *head)
{
    size_t n = 0;
    for (; head; head = head->Next) n++;
    return n;
}
