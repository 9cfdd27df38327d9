#include "fuzz_sink.h"
#include "tests/host/shared/codepage932.h"
#include <string.h>

static void Judge(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return;
    QmScanDefaults defaults;
    memset(&defaults, 0, sizeof defaults);
    ReadVlsIniText(file, &defaults, &kFuzzCalls);
    fclose(file);
}

// Every input twice: in a single-byte code page and in 932.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
