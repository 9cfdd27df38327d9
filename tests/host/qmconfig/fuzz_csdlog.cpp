// One service-level list line: the path it deletes must lie under the root,
// in a single-byte code page and in 932.
#include "removal/listline.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <string.h>

static void Judge(const unsigned char *data, size_t size)
{
    char line[LIST_LINE_SIZE];
    size_t n = size < sizeof line - 1 ? size : sizeof line - 1;
    memcpy(line, data, n);
    line[n] = 0;
    char out[LIST_LINE_SIZE];
    int kind = ParseServiceLevelLine(line, "C:\\P", out, sizeof out);
    if (strnlen(out, sizeof out) >= sizeof out) abort();
    if (kind == CSD_LINE_DELETE || kind == CSD_LINE_UNINST) {
        if (strncmp(out, "C:\\P\\", 5) != 0) abort();
        if (!RelativePathIsContained(out + 4)) abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
