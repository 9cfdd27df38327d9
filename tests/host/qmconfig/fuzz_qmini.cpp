#include "fuzz_sink.h"
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return 0;
    char out[QM_TEXT_SIZE];
    int found = ReadQmIniLogPath(file, out, sizeof out);
    fclose(file);
    if (strnlen(out, sizeof out) >= sizeof out) abort();
    if (found != (out[0] != 0)) abort();
    return 0;
}
