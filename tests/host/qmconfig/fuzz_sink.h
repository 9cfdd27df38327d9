// Callbacks for the configuration readers under the fuzzer: they check that
// every text handed over is terminated and fits its buffer.
#pragma once
#include "qmconfig/qmtext.h"
extern const QmScanCalls kFuzzCalls;
FILE *FuzzFile(const unsigned char *data, size_t size);
