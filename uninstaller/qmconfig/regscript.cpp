#include "qmconfig/regscript.h"
#include "qmconfig/configtext.h"
#include "core/text.h"
#include <stdlib.h>
#include <string.h>

static const char kPlaceholder[] = "%PGMDIR%";
static const char kQmToken[] = "%QM%";

int ParseVerbatimLine(char *line, char *key, size_t keySize, char *name, size_t nameSize)
{
    if (!PrepareConfigLine(line)) return VERBATIM_SKIP;
    if (line[0] == '[') {
        char cleaned[VERBATIM_LINE_SIZE];
        if (!CopyText(cleaned, sizeof cleaned, line)) return VERBATIM_SKIP;
        CleanConfigValue(cleaned);
        return CopyText(key, keySize, cleaned) ? VERBATIM_KEY : VERBATIM_SKIP;
    }
    if (line[0] == '"') {
        char cleaned[VERBATIM_LINE_SIZE];
        if (!CopyText(cleaned, sizeof cleaned, line)) return VERBATIM_SKIP;
        char *equals = strchr(cleaned, '=');
        if (equals) *equals = 0;
        CleanConfigValue(cleaned);
        return CopyText(name, nameSize, cleaned) ? VERBATIM_NAME : VERBATIM_SKIP;
    }
    return VERBATIM_SKIP;
}

static char *CopyOf(const char *text)
{
    size_t size = strlen(text) + 1;
    char *copy = (char *)malloc(size);
    if (copy) memcpy(copy, text, size);
    return copy;
}

int ReadVerbatimList(FILE *file, VerbatimPair **head, void (*log)(void *context, const char *text),
                     void *context)
{
    int result = 1;
    char line[VERBATIM_LINE_SIZE], key[VERBATIM_LINE_SIZE] = "", name[VERBATIM_LINE_SIZE];
    while (fgets(line, sizeof line, file)) {
        int kind = ParseVerbatimLine(line, key, sizeof key, name, sizeof name);
        if (kind != VERBATIM_NAME || !key[0]) continue;
        VerbatimPair *pair = (VerbatimPair *)malloc(sizeof *pair);
        if (!pair) {
            log(context, "***Unable to allocate key buffer");
            result = 0;
            continue;
        }
        pair->Key = CopyOf(key);
        if (!pair->Key) {
            log(context, "***Unable to allocate key buffer");
            free(pair);
            result = 0;
            continue;
        }
        pair->Name = CopyOf(name);
        if (!pair->Name) {
            log(context, "***Unable to allocate value name buffer");
            free(pair->Key);
            free(pair);
            result = 0;
            continue;
        }
        pair->Next = *head;
        *head = pair;
    }
    return result;
}

void FreeVerbatimList(VerbatimPair **head)
{
    while (*head) {
        VerbatimPair *next = (*head)->Next;
        free((*head)->Key);
        free((*head)->Name);
        free(*head);
        *head = next;
    }
}

static int EndsNoCase(const char *text, size_t textLength, const char *suffix, size_t suffixLength)
{
    return suffixLength <= textLength && TextEqualNoCase(text + textLength - suffixLength, suffix);
}

int VerbatimKeyMatches(const char *pairKey, const char *header)
{
    const char *token = strstr(pairKey, kQmToken);
    if (!token) return TextEqualNoCase(pairKey, header);
    size_t before = (size_t)(token - pairKey);
    const char *after = token + strlen(kQmToken);
    size_t afterLength = strlen(after), headerLength = strlen(header);
    if (afterLength == 0 || before + afterLength > headerLength) return 0;
    char start[REG_LINE_SIZE];
    if (before >= sizeof start) return 0;
    memcpy(start, pairKey, before);
    start[before] = 0;
    return TextStartsNoCase(header, start) && EndsNoCase(header, headerLength, after, afterLength);
}

int LineIsVerbatim(const VerbatimPair *list, const char *header, const char *line)
{
    if (!list) return 0;
    char name[REG_LINE_SIZE];
    if (!CopyText(name, sizeof name, line)) return 0;
    char *equals = strchr(name, '=');
    if (equals) *equals = 0;
    CleanConfigValue(name);
    for (const VerbatimPair *pair = list; pair; pair = pair->Next)
        if (TextEqualNoCase(pair->Name, name) && VerbatimKeyMatches(pair->Key, header)) return 1;
    return 0;
}

int EscapeRegText(const char *text, char *out, size_t size)
{
    if (size == 0) return 0;
    size_t used = 0;
    for (const char *in = text; *in; in++) {
        int escape = *in == '"' || *in == '\'' || *in == '\\';
        if (used + (size_t)escape + 1 >= size) {
            out[0] = 0;
            return 0;
        }
        if (escape) out[used++] = '\\';
        out[used++] = *in;
    }
    out[used] = 0;
    return 1;
}

int FormatRegStringLine(const char *name, const char *text, char *out, size_t size)
{
    char escaped[REG_LINE_SIZE];
    int fits = EscapeRegText(text, escaped, sizeof escaped) &&
               (name && name[0] ? FormatText(out, size, "\"%s\"=\"%s\"", name, escaped)
                                : FormatText(out, size, "@=\"%s\"", escaped));
    if (!fits && size) out[0] = 0;
    return fits;
}

int FormatRegDwordLine(const char *name, unsigned long value, char *out, size_t size)
{
    int fits = name && name[0] ? FormatText(out, size, "\"%s\"=dword:%8.8lx", name, value & 0xFFFFFFFFul)
                               : FormatText(out, size, "@=dword:%8.8lx", value & 0xFFFFFFFFul);
    if (!fits && size) out[0] = 0;
    return fits;
}

int MakeProgramFolderForms(const char *programFolder, ProgramFolderForms *forms)
{
    forms->Plain[0] = forms->Escaped[0] = 0;
    if (!programFolder || !programFolder[0]) return 0;
    if (!CopyText(forms->Plain, sizeof forms->Plain, programFolder)) {
        forms->Plain[0] = 0;
        return 0;
    }
    size_t used = 0;
    for (const char *in = programFolder; *in; in++) {
        if (used + 3 >= sizeof forms->Escaped) {
            forms->Plain[0] = forms->Escaped[0] = 0;
            return 0;
        }
        if (*in == '\\') forms->Escaped[used++] = '\\';
        forms->Escaped[used++] = *in;
    }
    forms->Escaped[used] = 0;
    return 1;
}

// One pass of the placeholder rule for one form of the folder.
static int ReplaceFolder(const char *line, const char *folder, char *out, size_t size)
{
    size_t folderLength = strlen(folder), used = 0;
    out[0] = 0;
    const char *in = line;
    while (*in) {
        const char *found = folderLength ? strstr(in, folder) : NULL;
        const char *copyEnd = found ? found : in + strlen(in);
        size_t chunk = (size_t)(copyEnd - in);
        if (used + chunk >= size) { out[0] = 0; return 0; }
        memcpy(out + used, in, chunk);
        used += chunk;
        if (!found) break;
        char next = found[folderLength];
        const char *piece = (next == '\\' || next == '"' || next == 0) ? kPlaceholder : folder;
        size_t pieceLength = piece == kPlaceholder ? sizeof kPlaceholder - 1 : folderLength;
        if (used + pieceLength >= size) { out[0] = 0; return 0; }
        memcpy(out + used, piece, pieceLength);
        used += pieceLength;
        in = found + folderLength;
    }
    out[used] = 0;
    return 1;
}

int SubstituteProgramFolder(const char *line, const ProgramFolderForms *forms, char *out, size_t size)
{
    if (size == 0) return 0;
    if (!forms || !forms->Plain[0]) {
        if (CopyText(out, size, line)) return 1;
        out[0] = 0;
        return 0;
    }
    char once[REG_LINE_SIZE * 2];
    if (!ReplaceFolder(line, forms->Plain, once, sizeof once)) { out[0] = 0; return 0; }
    return ReplaceFolder(once, forms->Escaped, out, size);
}

int PrepareRegScriptLine(RegScriptState *state, const VerbatimPair *list, const ProgramFolderForms *forms,
                         const char *text, char *out, size_t size)
{
    if (text[0] == '[') {
        if (!CopyText(out, size, text) || !CopyText(state->Header, sizeof state->Header, text)) {
            if (size) out[0] = 0;
            return 0;
        }
        return 1;
    }
    int fits = LineIsVerbatim(list, state->Header, text) ? CopyText(out, size, text)
                                                          : SubstituteProgramFolder(text, forms, out, size);
    if (!fits) {
        if (size) out[0] = 0;
        return 0;
    }
    return 2;
}
