#include "fuzz_sink.h"
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return 0;
    QmScanDefaults defaults;
    memset(&defaults, 0, sizeof defaults);
    ReadVlsIniText(file, &defaults, &kFuzzCalls);
    fclose(file);
    return 0;
}
