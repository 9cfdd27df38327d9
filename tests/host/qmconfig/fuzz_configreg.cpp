#include "fuzz_sink.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <string.h>

static void Judge(const unsigned char *data, size_t size)
{
    FILE *file = FuzzFile(data, size);
    if (!file) return;
    QmScanDefaults defaults;
    memset(&defaults, 0, sizeof defaults);
    ReadConfigRegText(file, &defaults, &kFuzzCalls);
    // The log default path reader takes the same forms.
    rewind(file);
    char path[QM_TEXT_SIZE];
    ReadLogDefaultPathText(file, path, sizeof path);
    if (strnlen(path, sizeof path) >= sizeof path) abort();
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
