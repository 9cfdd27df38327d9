// Fuzzes the bounds check. Data it accepts is then walked the way the version
// API walks it, without any bounds checks of its own: ASan reports any read
// outside the buffer, which would mean the check let unsafe data through.
#include "verreport/versioncheck.h"
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

static unsigned Word(const unsigned char* p)
{
    return p[0] | (p[1] << 8);
}

static const unsigned char* Align(const unsigned char* base, const unsigned char* p)
{
    return base + ((p - base + 3) & ~3);
}

// Visits every node and reads every key and text value to its terminator,
// following the lengths as stored; returns a checksum so nothing is optimised out.
static unsigned Walk(const unsigned char* node, int wide, int depth)
{
    unsigned sum = 0;
    unsigned length = Word(node), valueLength = Word(node + 2);
    int text = wide && Word(node + 4);
    const unsigned char* p = node + (wide ? 6 : 4);
    if (wide)
        for (; Word(p); p += 2)
            sum += p[0];
    else
        for (; *p; p++)
            sum += *p;
    p += wide ? 2 : 1;
    const unsigned char* value = Align(node, p);
    if (text && valueLength)
        for (const unsigned char* t = value; Word(t); t += 2)
            sum += t[0];
    else
        for (unsigned i = 0; i < valueLength; i++)
            sum += value[i];
    const unsigned char* child = Align(node, value + (text ? valueLength * 2 : valueLength));
    while (child < node + length && depth < 32) {
        sum += Walk(child, wide, depth + 1);
        child = child + ((Word(child) + 3) & ~3u);
    }
    return sum;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // An exact-size copy, so that ASan sees every byte past the end.
    unsigned char* copy = (unsigned char*)malloc(size ? size : 1);
    if (size)
        memcpy(copy, data, size);
    if (VersionDataIsSound(copy, size)) {
        volatile unsigned sum = Walk(copy, copy[4] < ' ', 0);
        (void)sum;
    }
    free(copy);
    return 0;
}
