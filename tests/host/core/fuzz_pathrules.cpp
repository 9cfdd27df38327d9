// The deletion guard's rules on arbitrary text: never a crash or an overrun,
// and whatever passes is a full path below a root that reads the same when
// checked again. Every input is judged twice: in a single-byte code page and
// in 932, whose second bytes may be '\\' or a letter.
#include "core/pathrules.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <string.h>

// A component of dots and blanks only (which Windows reads as a climb).
static int HasDotComponent(const char *p)
{
    for (const char *part = p; *part;) {
        const char *end = MbFindChar(part, '\\');
        if (!end) end = part + strlen(part);
        int dots = end > part;
        for (const char *c = part; c < end; c = MbNext(c))
            if (*c != '.' && *c != ' ') dots = 0;
        if (dots) return 1;
        part = *end ? end + 1 : end;
    }
    return 0;
}

static int IsRootForm(const char *p)
{
    return (p[1] == ':' && (p[2] == 0 || (p[2] == '\\' && p[3] == 0)));
}

static void Judge(const unsigned char *data, size_t size)
{
    char text[600];
    size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    memcpy(text, data, n);
    text[n] = 0;

    char canonical[PATH_RULE_SIZE];
    PathVerdict verdict = CheckFolderPath(text, canonical, sizeof canonical);
    if (verdict == PATH_SAFE) {
        size_t length = strnlen(canonical, sizeof canonical);
        if (length >= sizeof canonical || length == 0) abort();
        if (IsRootForm(canonical) || HasDotComponent(canonical) || strchr(canonical, '/')) abort();
        // Every character whole: no lead byte stands alone.
        for (const char *c = canonical; *c; c = MbNext(c))
            if (MbIsLead((unsigned char)*c) && MbNext(c) == c + 1) abort();
        char last = *MbLastChar(canonical, length);
        if (last == '\\' || last == '.' || last == ' ') abort();
        char again[PATH_RULE_SIZE];
        if (CheckFolderPath(canonical, again, sizeof again) != PATH_SAFE || strcmp(canonical, again)) abort();
        if (!FolderHolds(canonical, canonical)) abort();
        if (!FolderSpellsHolder(canonical, canonical, canonical)) abort();
        static const char *const kProtected[] = {"C:\\Windows", "C:\\Windows\\system32",
                                                 "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"};
        for (const char *p : kProtected)
            if (FolderSpellsHolder(canonical, p, NULL) != FolderHolds(canonical, p)) abort();
    }
    // Nothing beginning with two separators is ever a local folder.
    if ((text[0] == '\\' || text[0] == '/') && (text[1] == '\\' || text[1] == '/') && verdict == PATH_SAFE) abort();
    if (verdict == PATH_SAFE) {
        // The nearest holder holds the path, and no longer holder was passed over.
        const char *const folders[] = {"C:\\P", canonical, "C:\\P\\Data", "c:\\p\\data\\log", text};
        int nearest = NearestHolder(canonical, folders, 5);
        if (nearest < 0 || !FolderHolds(folders[nearest], canonical)) abort();
        for (const char *f : folders)
            if (f[0] && FolderHolds(f, canonical) && strlen(f) > strlen(folders[nearest])) abort();
    }
    char folder[PATH_RULE_SIZE];
    if (CheckFilePath(text, folder, sizeof folder) == PATH_SAFE) {
        if (CheckFolderPath(folder, NULL, 0) != PATH_SAFE) abort();
    }
    if (RelativePathIsContained(text) && (strchr(text, ':') || strchr(text, '/'))) abort();
    (void)PathVerdictText(verdict);
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
