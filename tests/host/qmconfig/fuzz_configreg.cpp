#include "fuzz_sink.h"
#include <stdlib.h>
#include <string.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return 0;
    QmScanDefaults defaults;
    memset(&defaults, 0, sizeof defaults);
    ReadConfigRegText(file, &defaults, &kFuzzCalls);
    // The log default path reader takes the same forms.
    rewind(file);
    char path[QM_TEXT_SIZE];
    ReadLogDefaultPathText(file, path, sizeof path);
    if (strnlen(path, sizeof path) >= sizeof path) abort();
    fclose(file);
    return 0;
}
