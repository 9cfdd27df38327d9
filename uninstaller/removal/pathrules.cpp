#include "removal/pathrules.h"
#include "removal/listline.h"
#include "core/text.h"
#include <ctype.h>
#include <string.h>

enum { RULE_PATH_SIZE = 260 };

// Length of the drive ("X:") or share ("\\server\share") part, 0 when the
// path has neither.
static size_t RootLength(const char *path)
{
    if (isalpha((unsigned char)path[0]) && path[1] == ':' && path[2] == '\\') return 2;
    if (path[0] == '\\' && path[1] == '\\') {
        const char *server = path + 2;
        const char *slash = strchr(server, '\\');
        if (!slash || slash == server) return 0;
        const char *share = slash + 1;
        const char *end = strchr(share, '\\');
        if (!end || end == share) return 0;
        return (size_t)(end - path);
    }
    return 0;
}

int PathIsFullAndPlain(const char *path)
{
    if (!path) return 0;
    size_t root = RootLength(path), length = strlen(path);
    if (!root || length >= RULE_PATH_SIZE) return 0;
    char rest[RULE_PATH_SIZE];
    CopyText(rest, sizeof rest, path + root);   // begins with the backslash after the root
    size_t n = strlen(rest);
    if (n > 1 && rest[n - 1] == '\\') rest[--n] = 0;
    if (n < 2) return 0;                          // the drive or share itself
    if (strstr(rest, "\\\\")) return 0;           // an empty component
    if (root != 2 && !RelativePathIsContained(path + 2)) return 0;   // server and share names too
    return RelativePathIsContained(rest);
}

// Copy without one trailing backslash.
static void Trimmed(const char *path, char *out)
{
    CopyText(out, RULE_PATH_SIZE, path);
    size_t n = strlen(out);
    if (n > 0 && out[n - 1] == '\\') out[n - 1] = 0;
}

int PathIsInside(const char *path, const char *root)
{
    if (!PathIsFullAndPlain(path) || !PathIsFullAndPlain(root)) return 0;
    char p[RULE_PATH_SIZE], r[RULE_PATH_SIZE];
    Trimmed(path, p);
    Trimmed(root, r);
    size_t n = strlen(r);
    return strlen(p) > n + 1 && TextStartsNoCase(p, r) && p[n] == '\\';
}

static int SamePath(const char *a, const char *b)
{
    char x[RULE_PATH_SIZE], y[RULE_PATH_SIZE];
    Trimmed(a, x);
    Trimmed(b, y);
    return TextEqualNoCase(x, y);
}

int QmDirectoryIsDeletable(const char *directory, const char *dataDir)
{
    if (!PathIsInside(directory, dataDir)) return 0;
    char path[RULE_PATH_SIZE];
    Trimmed(directory, path);
    char *last = strrchr(path, '\\');
    if (!last || !last[1]) return 0;
    *last = 0;
    char *parent = strrchr(path, '\\');
    return parent && TextEqualNoCase(parent + 1, "qmgrs");
}

int QmLogPathIsDeletable(const char *logPath, const char *dataDir, const char *ownDirectory,
                         const char *const *directories, size_t count)
{
    if (!PathIsInside(logPath, dataDir)) return 0;
    for (size_t i = 0; i < count; i++) {
        const char *other = directories[i];
        if (!other || !other[0]) continue;
        // Neither a queue manager's folder nor a folder holding one.
        if (SamePath(logPath, other) || PathIsInside(other, logPath)) return 0;
        if (PathIsInside(logPath, other) && !(ownDirectory && SamePath(other, ownDirectory))) return 0;
    }
    return 1;
}

int ServiceLevelFolder(const char *data, const char *treeRoot, char *out, size_t size)
{
    if (size) out[0] = 0;
    const char *equals = strchr(data, '=');
    if (!equals) return CSD_NO_FOLDER;
    char folder[RULE_PATH_SIZE];
    if (!CopyText(folder, sizeof folder, equals + 1)) return CSD_FOLDER_REFUSED;
    size_t n = strlen(folder);
    if (n > 0 && folder[n - 1] == '\\') folder[n - 1] = 0;
    if (!PathIsFullAndPlain(folder)) return CSD_FOLDER_REFUSED;
    if (!PathIsInside(folder, treeRoot)) return CSD_FOLDER_ELSEWHERE;
    if (!CopyText(out, size, folder)) {
        if (size) out[0] = 0;
        return CSD_FOLDER_REFUSED;
    }
    return CSD_FOLDER_INSIDE;
}
