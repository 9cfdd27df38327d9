// Growing text buffer.
#include <stdlib.h>
#include <string.h>
#include "dvlkern.h"

VL_TextBuffer::VL_TextBuffer() : data(NULL), used(0), capacity(0) {}

VL_TextBuffer::~VL_TextBuffer() { free(data); }

void VL_TextBuffer::clear()
{
    used = 0;
    if (data)
        data[0] = 0;
}

int VL_TextBuffer::append(const char* text, long length)
{
    if (!text || length <= 0)
        return 1;
    if (length > 0x3FFFFFFF - used)
        return 0;
    if (used + length + 1 > capacity) {
        long wanted = capacity ? capacity : 256;
        while (wanted < used + length + 1)
            wanted *= 2;
        char* grown = (char*)realloc(data, wanted);
        if (!grown)
            return 0;
        data = grown;
        capacity = wanted;
    }
    memcpy(data + used, text, length);
    used += length;
    data[used] = 0;
    return 1;
}

const char* VL_TextBuffer::text() const { return data ? data : ""; }

long VL_TextBuffer::length() const { return used; }
