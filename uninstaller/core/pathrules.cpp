#include "core/pathrules.h"
#include "core/mbchar.h"
#include <ctype.h>
#include <string.h>

static int IsSeparator(char c) { return c == '\\' || c == '/'; }

// Appends one component to out (with a separator unless it is the first,
// after the root "X:\").
static int AppendComponent(char *out, size_t size, size_t *length, const char *part, size_t n, int first)
{
    size_t need = *length + (first ? 0 : 1) + n;
    if (need + 1 > size) return 0;
    if (!first) out[(*length)++] = '\\';
    memcpy(out + *length, part, n);
    *length += n;
    out[*length] = 0;
    return 1;
}

PathVerdict CheckFolderPath(const char *folder, char *canonical, size_t size)
{
    char local[PATH_RULE_SIZE];
    if (!canonical || size > sizeof local) {
        canonical = local;
        size = sizeof local;
    }
    canonical[0] = 0;
    if (!folder || !folder[0]) return PATH_EMPTY;
    size_t total = strnlen(folder, PATH_RULE_SIZE);
    if (total >= PATH_RULE_SIZE) return PATH_TOO_LONG;

    const char *rest;
    size_t length = 0;
    if (IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        // "\\?\UNC\server\share": the long form of a network path.
        if (folder[2] == '?' && IsSeparator(folder[3]) && toupper((unsigned char)folder[4]) == 'U' &&
            toupper((unsigned char)folder[5]) == 'N' && toupper((unsigned char)folder[6]) == 'C' &&
            (IsSeparator(folder[7]) || !folder[7]))
            return PATH_NETWORK;
        // "\\?\x", "\\.\x": device namespace, never a product folder.
        if ((folder[2] == '?' || folder[2] == '.') && (IsSeparator(folder[3]) || !folder[3])) return PATH_DEVICE;
        // "\\server\share\...": another name, perhaps of a local folder
        // ("\\localhost\c$\windows"); the product's folders are local.
        return PATH_NETWORK;
    } else if (IsSeparator(folder[0]) && folder[1] == '?' && folder[2] == '?' && IsSeparator(folder[3])) {
        return PATH_DEVICE;
    } else if (isalpha((unsigned char)folder[0]) && folder[1] == ':') {
        if (folder[2] && !IsSeparator(folder[2])) return PATH_NOT_FULL;   // "C:x" is relative to C:'s current folder
        if (size < 4) return PATH_TOO_LONG;
        canonical[0] = (char)toupper((unsigned char)folder[0]);
        canonical[1] = ':';
        canonical[2] = '\\';
        canonical[3] = 0;
        length = 3;
        rest = folder + 2;
    } else {
        return PATH_NOT_FULL;
    }

    int components = 0;
    while (*rest) {
        while (IsSeparator(*rest)) rest++;
        if (!*rest) break;
        // By character: the second byte of a double-byte character may be
        // '\\' or '|' and is neither.
        const char *end = rest;
        for (; *end && !IsSeparator(*end); end = MbNext(end)) {
            unsigned char u = (unsigned char)*end;
            if (u < 32 || (!MbIsLead(u) && strchr(":*?\"<>|", u))) return PATH_BAD_NAME;
            // A lead byte with no second byte is no character: joined to a
            // separator it would read as another name.
            if (MbIsLead(u) && MbNext(end) == end + 1) return PATH_BAD_NAME;
        }
        size_t n = end - rest;
        // Windows ignores trailing dots and blanks: "x. " is x, ".." and "..."
        // climb or stay put. (Neither is ever a second byte.)
        while (n > 0 && (rest[n - 1] == '.' || rest[n - 1] == ' ')) n--;
        if (n == 0) return PATH_CLIMBS;
        if (!AppendComponent(canonical, size, &length, rest, n, components == 0)) return PATH_TOO_LONG;
        components++;
        rest = end;
    }
    if (components == 0) return PATH_DRIVE_ROOT;
    return PATH_SAFE;
}

PathVerdict CheckFilePath(const char *path, char *folder, size_t size)
{
    if (folder && size) folder[0] = 0;
    if (!path || !path[0]) return PATH_EMPTY;
    size_t total = strnlen(path, PATH_RULE_SIZE);
    if (total >= PATH_RULE_SIZE) return PATH_TOO_LONG;
    const char *last = NULL;
    for (const char *c = path; *c; c = MbNext(c))
        if (IsSeparator(*c)) last = c;
    if (!last) return PATH_NOT_FULL;
    char parent[PATH_RULE_SIZE];
    memcpy(parent, path, last - path);
    parent[last - path] = 0;
    PathVerdict verdict = CheckFolderPath(parent, folder, size);
    if (verdict != PATH_SAFE) return verdict;
    const char *name = last + 1;
    size_t n = strlen(name);
    for (const char *c = name; *c; c = MbNext(c)) {
        unsigned char u = (unsigned char)*c;
        if (u < 32 || (!MbIsLead(u) && strchr(":\"<>|", u))) return PATH_BAD_NAME;
        if (MbIsLead(u) && MbNext(c) == c + 1) return PATH_BAD_NAME;
    }
    while (n > 0 && (name[n - 1] == '.' || name[n - 1] == ' ')) n--;
    if (n == 0) return name[0] ? PATH_CLIMBS : PATH_BAD_NAME;
    return PATH_SAFE;
}

int FolderHolds(const char *outer, const char *inner)
{
    size_t n = strlen(outer);
    if (n == 0 || strnlen(inner, n) < n || !MbEqualNoCaseN(outer, inner, n)) return 0;
    return inner[n] == 0 || inner[n] == '\\' || *MbLastChar(outer, n) == '\\';
}

// One component of a canonical path, from *at: its length; *at moves past it
// and the backslash after it.
static size_t NextComponent(const char **at)
{
    const char *start = *at;
    const char *end = MbFindChar(start, '\\');
    size_t n = end ? (size_t)(end - start) : strlen(start);
    *at = end ? end + 1 : start + n;
    return n;
}

static int SameComponent(const char *a, size_t na, const char *b, size_t nb)
{
    return na == nb && MbEqualNoCaseN(a, b, na);
}

int FolderSpellsHolder(const char *outer, const char *inner, const char *innerShort)
{
    if (!outer[0]) return 0;
    const char *o = outer, *l = inner, *s = innerShort ? innerShort : "";
    while (*o) {
        if (!*l) return 0;   // outer lies deeper than inner
        const char *oc = o, *lc = l, *sc = s;
        size_t on = NextComponent(&o), ln = NextComponent(&l);
        size_t sn = *s ? NextComponent(&s) : 0;
        if (!SameComponent(oc, on, lc, ln) && !(sn && SameComponent(oc, on, sc, sn))) return 0;
    }
    return 1;
}

int NearestHolder(const char *path, const char *const *folders, size_t count)
{
    int nearest = -1;
    size_t longest = 0;
    for (size_t i = 0; i < count; i++) {
        if (!folders[i] || !folders[i][0]) continue;
        size_t n = strlen(folders[i]);
        if (n > longest && FolderHolds(folders[i], path)) {
            nearest = (int)i;
            longest = n;
        }
    }
    return nearest;
}

int RelativePathIsContained(const char *relative)
{
    if (MbFindChar(relative, ':') || MbFindChar(relative, '/')) return 0;
    if (relative[0] == '\\' && relative[1] == '\\') return 0;
    const char *part = relative;
    while (*part) {
        const char *end = part;
        int onlyDots = 1, length = 0;
        for (; *end && *end != '\\'; end = MbNext(end), length++)
            if (*end != '.' && *end != ' ') onlyDots = 0;
        // Windows drops trailing dots and blanks, so "..", ". ." and "..."
        // all climb to the parent (or stay put); none belongs in a list.
        if (length > 0 && onlyDots) return 0;
        part = *end ? end + 1 : end;
    }
    return 1;
}

const char *PathVerdictText(PathVerdict verdict)
{
    switch (verdict) {
    case PATH_SAFE: return "safe";
    case PATH_EMPTY: return "empty path";
    case PATH_TOO_LONG: return "path too long";
    case PATH_NOT_FULL: return "not a full path";
    case PATH_DEVICE: return "device path";
    case PATH_DRIVE_ROOT: return "drive root";
    case PATH_SHARE_ROOT: return "share root";
    case PATH_CLIMBS: return "climbing or empty component";
    case PATH_BAD_NAME: return "invalid name";
    case PATH_PROTECTED: return "protected folder";
    case PATH_NETWORK: return "network path";
    case PATH_LINK: return "reparse point";
    }
    return "refused";
}
