#include "fuzz_sink.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <string.h>

static void Judge(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return;
    char out[QM_TEXT_SIZE];
    int found = ReadQmIniLogPath(file, out, sizeof out);
    fclose(file);
    if (strnlen(out, sizeof out) >= sizeof out) abort();
    if (found != (out[0] != 0)) abort();
}

// Every input twice: in a single-byte code page and in 932.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
