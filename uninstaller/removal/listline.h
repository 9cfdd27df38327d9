// The line grammar of the installer's component file lists (.u00) and of the
// service-level shipping lists (.log), and the check that keeps a listed path
// inside the folder it is applied to. No Windows dependency: the host build
// tests and fuzzes it.
#pragma once
#include <stddef.h>
#include "core/pathrules.h"   // RelativePathIsContained

enum { LIST_LINE_SIZE = 260 };   // lists are read in pieces of at most 259 bytes

// Cuts the line at its first CR, then its first LF. Returns the listed part
// (from the first backslash to the end), or NULL for a comment line (';' or
// '#' first) and for a line without a backslash.
const char *ListLinePath(char *line);


// Service-level line "added,file,<source>,%filepath%<subdir>" (or %workpath%).
enum {
    CSD_LINE_IGNORED = 0,   // not an "added,file" line with a known destination
    CSD_LINE_DELETE = 1,    // out = root + subdir + "\" + file name
    CSD_LINE_UNINST = 2,    // the destination is the uninst folder: never deleted (out as above)
    CSD_LINE_UNSAFE = 3,    // names a path outside the root, or one too long for a path buffer
};
int ParseServiceLevelLine(char *line, const char *root, char *out, size_t size);

// The "-lang1-" / "-lang5-" tokens of a lower-cased listed path. Returns 0
// when the path holds neither token (nothing to expand).
int PathHasLanguageTokens(const char *lowerPath);
// The path for one language folder ("de_de"). Returns 0 when the result
// does not fit out.
int ExpandLanguagePath(const char *lowerPath, const char *folder, char *out, size_t size);
