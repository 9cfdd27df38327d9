#include "removal/listline.h"
#include "core/mbchar.h"
#include "core/text.h"
#include <string.h>

const char *ListLinePath(char *line)
{
    CutLineEnd(line);
    if (line[0] == ';' || line[0] == '#') return NULL;
    return MbFindChar(line, '\\');
}

// The next comma-separated field of *text (text advanced past the comma).
static char *NextField(char **text)
{
    char *field = *text;
    if (!field) return NULL;
    char *comma = MbFindChar(field, ',');
    if (comma) {
        *comma = 0;
        *text = comma + 1;
    } else {
        *text = NULL;
    }
    return field;
}

int ParseServiceLevelLine(char *line, const char *root, char *out, size_t size)
{
    out[0] = 0;
    CutLineEnd(line);
    if (line[0] == ';' || line[0] == '#') return CSD_LINE_IGNORED;

    char *rest = line;
    char *kind = NextField(&rest);
    char *what = NextField(&rest);
    char *source = NextField(&rest);
    char *destination = NextField(&rest);
    if (!destination || !TextEqualNoCase(kind, "added") || !TextEqualNoCase(what, "file"))
        return CSD_LINE_IGNORED;
    if (!TextStartsNoCase(destination, "%filepath%") && !TextStartsNoCase(destination, "%workpath%"))
        return CSD_LINE_IGNORED;
    // A source without a folder names no file of its own: the line is skipped.
    const char *slash = MbFindLastChar(source, '\\');
    if (!slash || !slash[1]) return CSD_LINE_IGNORED;
    const char *fileName = slash + 1;
    const char *subdir = destination + 10;

    // Without its leading backslash the subdirectory would run on into the
    // root's own name ("C:\Pbin"), a sibling of the tree.
    if (subdir[0] && subdir[0] != '\\') return CSD_LINE_UNSAFE;
    char relative[LIST_LINE_SIZE];
    if (!FormatText(relative, sizeof relative, "%s\\%s", subdir, fileName)) return CSD_LINE_UNSAFE;
    if (!RelativePathIsContained(relative)) {
        CopyText(out, size, relative);
        return CSD_LINE_UNSAFE;
    }
    if (!FormatText(out, size, "%s%s", root, relative)) {
        out[0] = 0;
        return CSD_LINE_UNSAFE;
    }
    return TextStartsNoCase(subdir, "\\uninst") ? CSD_LINE_UNINST : CSD_LINE_DELETE;
}

int PathHasLanguageTokens(const char *lowerPath)
{
    return MbFindText(lowerPath, "-lang1-") || MbFindText(lowerPath, "-lang5-");
}

// Replaces the first token in text by replacement; 0 when it would not fit.
// The token is looked for where a character starts, never in a second byte.
static int ReplaceFirst(char *text, size_t size, const char *token, const char *replacement)
{
    char *found = MbFindText(text, token);
    if (!found) return 1;
    char result[LIST_LINE_SIZE * 2];
    size_t head = (size_t)(found - text);
    memcpy(result, text, head);
    result[head] = 0;
    if (!AppendText(result, sizeof result, replacement)) return 0;
    if (!AppendText(result, sizeof result, found + strlen(token))) return 0;
    return CopyText(text, size, result);
}

int ExpandLanguagePath(const char *lowerPath, const char *folder, char *out, size_t size)
{
    if (size > LIST_LINE_SIZE * 2) size = LIST_LINE_SIZE * 2;
    if (!CopyText(out, size, lowerPath)) return 0;
    if (MbFindText(out, "-lang1-")) {
        char shortName[3] = {0, 0, 0};
        strncpy(shortName, folder, 2);
        if (!ReplaceFirst(out, size, "-lang1-", folder)) return 0;
        if (!ReplaceFirst(out, size, "-lang1-", folder)) return 0;
        return ReplaceFirst(out, size, "-lang5-", shortName);
    }
    return ReplaceFirst(out, size, "-lang5-", folder);
}
