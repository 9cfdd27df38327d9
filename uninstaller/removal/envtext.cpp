#include "removal/envtext.h"
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
        const char *end = strchr(part, ';');
        size_t length = end ? (size_t)(end - part) : strlen(part);
        if (length > 0) {
            int same = strlen(entry) == length;
            for (size_t i = 0; same && i < length; i++) {
                char a = part[i], b = entry[i];
                if (a >= 'A' && a <= 'Z') a = (char)(a - 'A' + 'a');
                if (b >= 'A' && b <= 'Z') b = (char)(b - 'A' + 'a');
                same = a == b;
            }
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
