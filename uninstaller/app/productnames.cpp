#include "app/productnames.h"
#include "core/mbchar.h"
#include "core/nls.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/listline.h"
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <new>
#include <string>
#include <unordered_set>

namespace {

// Enough for every list of the product several times over; a list beyond it
// only makes more files read as "not the product's".
enum { NAME_LIMIT = 200000, LANGUAGE_FIRST_ID = 250, LANGUAGE_COUNT = 10 };

std::unordered_set<std::string> sNames;     // folded listed paths, "\bin\x.dll"
std::unordered_set<std::string> sFolders;   // folded folders holding a listed path

std::string Folded(const char *text)
{
    std::string key = text;
    LowerText(&key[0]);
    return key;
}

void Keep(const char *listed)
{
    if (sNames.size() >= NAME_LIMIT) return;
    std::string key = Folded(listed);
    sNames.insert(key);
    // Every folder on the way ("\bin" of "\bin\x.dll"), by character.
    for (const char *p = key.c_str(); *p; p = MbNext(p))
        if (*p == '\\' && p != key.c_str()) sFolders.insert(key.substr(0, p - key.c_str()));
}

void KeepLine(char *line)
{
    const char *relative = ListLinePath(line);
    if (!relative || !RelativePathIsContained(relative)) return;
    char lower[VL_PATH_SIZE];
    if (!CopyText(lower, sizeof lower, relative)) return;
    std::string folded = Folded(lower);
    if (!PathHasLanguageTokens(folded.c_str())) {
        Keep(lower);
        return;
    }
    for (int i = 0; i < LANGUAGE_COUNT; i++) {
        char folder[VL_TEXT_SIZE], expanded[VL_PATH_SIZE];
        if (LoadOwnString(folder, LANGUAGE_FIRST_ID + i) &&
            ExpandLanguagePath(folded.c_str(), folder, expanded, sizeof expanded))
            Keep(expanded);
    }
}

// The part of path below root, with its leading separator; NULL when path
// is not below root.
const char *Below(const char *root, const char *path)
{
    size_t n = strlen(root);
    if (!n || strlen(path) <= n || !MbIsBoundary(path, n) || path[n] != '\\' || !MbEqualNoCaseN(root, path, n))
        return NULL;
    return path + n;
}

}  // namespace

void NoteProductListNames(const char *uninstFolder)
{
    try {
        sNames.clear();
        sFolders.clear();
        char pattern[VL_PATH_SIZE];
        if (!uninstFolder || !uninstFolder[0] || !FormatText(pattern, sizeof pattern, "%s\\*.u00", uninstFolder))
            return;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(pattern, &found);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            char path[VL_PATH_SIZE];
            if (!FormatText(path, sizeof path, "%s\\%s", uninstFolder, found.cFileName)) continue;
            FILE *list = fopen(path, "rt");
            if (!list) continue;
            char line[LIST_LINE_SIZE];
            while (fgets(line, sizeof line, list)) KeepLine(line);
            fclose(list);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    } catch (...) {
        // What was kept so far still counts.
    }
}

int ProductListNames(const char *root, const char *path)
{
    const char *below = Below(root, path);
    try {
        return below && sNames.count(Folded(below)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int ProductListNamesBelow(const char *root, const char *folder)
{
    const char *below = Below(root, folder);
    try {
        return below && sFolders.count(Folded(below)) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}
