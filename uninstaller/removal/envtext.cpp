#include "removal/envtext.h"
#include "core/mbchar.h"
#include "core/text.h"
#include <string.h>

int RemoveEnvListEntry(const char *oldValue, const char *entry, char *out, size_t size, int *found)
{
    *found = 0;
    if (size == 0) return 0;
    out[0] = 0;
    size_t used = 0;
    const char *part = oldValue;
    while (*part) {
        const char *end = MbFindChar(part, ';');
        size_t length = end ? (size_t)(end - part) : strlen(part);
        if (length > 0) {
            // By character: a second byte is compared as it is, never folded.
            int same = strlen(entry) == length && MbEqualNoCaseN(entry, part, length);
            if (same) {
                *found = 1;
            } else {
                size_t need = length + (used ? 1 : 0);
                if (used + need >= size) return 0;
                if (used) out[used++] = ';';
                memcpy(out + used, part, length);
                used += length;
                out[used] = 0;
            }
        }
        part = end ? end + 1 : part + length;
    }
    return 1;
}
