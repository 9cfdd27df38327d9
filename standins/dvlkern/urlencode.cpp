// URL encoding of request values.
#include <stdlib.h>
#include <string.h>
#include "dvlkern.h"

static int IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '-' || c == '_' || c == '.' || c == '~';
}

extern "C" char* url_encode(const char* text)
{
    static const char hex[] = "0123456789ABCDEF";
    if (!text)
        return NULL;
    size_t n = strlen(text);
    char* out = (char*)malloc(n * 3 + 1);
    if (!out)
        return NULL;
    char* p = out;
    for (size_t i = 0; i < n; i++) {
        unsigned char c = (unsigned char)text[i];
        if (IsUnreserved(c)) {
            *p++ = (char)c;
        } else {
            *p++ = '%';
            *p++ = hex[c >> 4];
            *p++ = hex[c & 15];
        }
    }
    *p = 0;
    return out;
}
