#include "qmconfig/regscript.h"
#include "qmconfig/configtext.h"
#include "core/mbchar.h"
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
        char *equals = MbFindChar(cleaned, '=');
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
    return suffixLength <= textLength && MbIsBoundary(text, textLength - suffixLength) &&
           TextEqualNoCase(text + textLength - suffixLength, suffix);
}

int VerbatimKeyMatches(const char *pairKey, const char *header)
{
    // Second bytes are 0x40 and above in every double-byte code page, so a
    // '%' is always a character of its own; the search steps by character
    // all the same, as every search in a path does.
    const char *token = MbFindText(pairKey, kQmToken);
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

int ValueIsVerbatim(const VerbatimPair *list, const char *header, const char *name)
{
    for (const VerbatimPair *pair = list; pair; pair = pair->Next)
        if (TextEqualNoCase(pair->Name, name ? name : "") && VerbatimKeyMatches(pair->Key, header)) return 1;
    return 0;
}

// True when the character before at (previous, or NULL) is a lead byte
// standing alone: a backslash put after it would be read as its second byte.
static int LoneLead(const char *previous, const char *at)
{
    return previous && previous + 1 == at && MbIsLead((unsigned char)*previous);
}

int EscapeRegText(const char *text, char *out, size_t size)
{
    if (size == 0) return 0;
    size_t used = 0;
    // By character: the second byte of a double-byte character is never
    // escaped, whatever its value.
    const char *previous = NULL;
    for (const char *in = text; *in;) {
        const char *next = MbNext(in);
        int escape = *in == '"' || *in == '\'' || *in == '\\';
        if (escape && LoneLead(previous, in)) {
            out[0] = 0;
            return 0;
        }
        if (used + (size_t)escape + (size_t)(next - in) >= size) {
            out[0] = 0;
            return 0;
        }
        if (escape) out[used++] = '\\';
        previous = in;
        while (in < next) out[used++] = *in++;
    }
    out[used] = 0;
    return 1;
}

static int IsTextType(unsigned long type)
{
    return type == SCRIPT_REG_SZ || type == SCRIPT_REG_EXPAND_SZ || type == SCRIPT_REG_MULTI_SZ;
}

// The occurrence of folder at data[at] counts when the string goes on with
// '\\', '"', '\'' or ends there.
static int FolderEndsAt(const unsigned char *data, size_t size, size_t end)
{
    if (end >= size) return 1;
    unsigned char next = data[end];
    return next == '\\' || next == '"' || next == '\'' || next == 0;
}

static int FolderAt(const unsigned char *data, size_t size, size_t at, const char *folder, size_t length)
{
    return at + length <= size && memcmp(data + at, folder, length) == 0 && FolderEndsAt(data, size, at + length);
}

// The length of the character at data[at]: the folder is looked for at
// character starts only, never from the second byte of one.
static size_t CharAt(const unsigned char *data, size_t size, size_t at)
{
    return MbIsLead(data[at]) && at + 1 < size && data[at + 1] >= 0x40 ? 2 : 1;
}

unsigned char *SubstituteProgramFolder(const unsigned char *data, size_t size, const char *folder,
                                       size_t *outSize)
{
    size_t length = folder ? strlen(folder) : 0;
    size_t placeholder = sizeof kPlaceholder - 1;
    // First the size: every qualifying occurrence may grow the data.
    size_t needed = 0;
    for (size_t at = 0; at < size;) {
        if (length && FolderAt(data, size, at, folder, length)) {
            needed += placeholder;
            at += length;
        } else {
            size_t n = CharAt(data, size, at);
            needed += n;
            at += n;
        }
    }
    unsigned char *out = (unsigned char *)malloc(needed ? needed : 1);
    if (!out) return NULL;
    size_t used = 0;
    for (size_t at = 0; at < size;) {
        if (length && FolderAt(data, size, at, folder, length)) {
            memcpy(out + used, kPlaceholder, placeholder);
            used += placeholder;
            at += length;
        } else {
            for (size_t n = CharAt(data, size, at); n; n--) out[used++] = data[at++];
        }
    }
    *outSize = used;
    return out;
}

// "name" with '"' and '\\' escaped, or @; 0 when it holds a line break or
// leaves no room on a line for the longest type tag and a byte.
static int FormatValueName(const char *name, char *out, size_t size)
{
    if (!name || !name[0]) return CopyText(out, size, "@");
    static const size_t kRoom = sizeof "=hex(ffffffff):\\" - 1;
    if (size <= kRoom + 2) return 0;
    size_t limit = size - kRoom, used = 0;
    out[used++] = '"';
    const char *previous = NULL;
    for (const char *in = name; *in;) {
        if (*in == '\r' || *in == '\n') return 0;
        const char *next = MbNext(in);
        int escape = *in == '"' || *in == '\\';
        if (escape && LoneLead(previous, in)) return 0;
        if (used + (size_t)escape + (size_t)(next - in) + 1 >= limit) return 0;
        if (escape) out[used++] = '\\';
        previous = in;
        while (in < next) out[used++] = *in++;
    }
    out[used++] = '"';
    out[used] = 0;
    return 1;
}

// The one-line string form: the text holds no line break, nothing but an
// optional terminating zero follows it, and the escaped line fits.
static int WriteStringForm(const char *prefix, const unsigned char *data, size_t size, RegLineWriter write,
                           void *context, int *result)
{
    size_t length = 0;
    while (length < size && data[length]) length++;
    if (size > length + 1) return 0;
    for (size_t i = 0; i < length; i++)
        if (data[i] == '\r' || data[i] == '\n') return 0;
    char text[REG_LINE_SIZE], escaped[REG_LINE_SIZE], line[REG_LINE_SIZE];
    if (length >= sizeof text) return 0;
    memcpy(text, data, length);
    text[length] = 0;
    if (!EscapeRegText(text, escaped, sizeof escaped) ||
        !FormatText(line, sizeof line, "%s=\"%s\"", prefix, escaped))
        return 0;
    *result = write(context, line) ? REG_VALUE_WRITTEN : REG_VALUE_WRITE_ERROR;
    return 1;
}

static int WriteHexForm(const char *prefix, unsigned long type, const unsigned char *data, size_t size,
                        RegLineWriter write, void *context)
{
    static const char kDigits[] = "0123456789abcdef";
    char line[REG_LINE_SIZE];
    int fits = type == SCRIPT_REG_BINARY ? FormatText(line, sizeof line, "%s=hex:", prefix)
                                         : FormatText(line, sizeof line, "%s=hex(%lx):", prefix, type & 0xFFFFFFFFul);
    if (!fits) return REG_VALUE_BAD_NAME;
    size_t length = strlen(line);
    for (size_t i = 0; i < size; i++) {
        // Room for "xx," and the continuation backslash, else a new line (a
        // long name leaves its first line without bytes).
        if (length + 4 > REG_HEX_WIDTH) {
            line[length++] = '\\';
            line[length] = 0;
            if (!write(context, line)) return REG_VALUE_WRITE_ERROR;
            strcpy(line, "  ");
            length = 2;
        }
        line[length++] = kDigits[data[i] >> 4];
        line[length++] = kDigits[data[i] & 15];
        if (i + 1 < size) line[length++] = ',';
        line[length] = 0;
    }
    return write(context, line) ? REG_VALUE_WRITTEN : REG_VALUE_WRITE_ERROR;
}

int WriteRegValue(const char *name, unsigned long type, const unsigned char *data, size_t size,
                  const char *folder, RegLineWriter write, void *context)
{
    char prefix[REG_LINE_SIZE];
    if (!FormatValueName(name, prefix, sizeof prefix)) return REG_VALUE_BAD_NAME;
    unsigned char *substituted = NULL;
    if (folder && folder[0] && IsTextType(type)) {
        size_t newSize = 0;
        substituted = SubstituteProgramFolder(data, size, folder, &newSize);
        if (!substituted) return REG_VALUE_NO_MEMORY;
        data = substituted;
        size = newSize;
    }
    int result = REG_VALUE_WRITTEN;
    if (type == SCRIPT_REG_SZ && WriteStringForm(prefix, data, size, write, context, &result)) {
        // written on one line
    } else if (type == SCRIPT_REG_DWORD && size == 4) {
        unsigned long value = (unsigned long)data[0] | (unsigned long)data[1] << 8 | (unsigned long)data[2] << 16 |
                              (unsigned long)data[3] << 24;
        char line[REG_LINE_SIZE];
        FormatText(line, sizeof line, "%s=dword:%8.8lx", prefix, value);
        result = write(context, line) ? REG_VALUE_WRITTEN : REG_VALUE_WRITE_ERROR;
    } else {
        result = WriteHexForm(prefix, type, data, size, write, context);
    }
    free(substituted);
    return result;
}
