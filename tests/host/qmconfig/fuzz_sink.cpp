#include "fuzz_sink.h"
#include <stdlib.h>
#include <string.h>

static void Check(const char *text, size_t size)
{
    if (strnlen(text, size) >= size) abort();
}

static void FuzzLog(void *, const char *text) { Check(text, 4096); }

static int FuzzAdd(void *, const QmFields *f, const QmScanDefaults *d, int, int, int)
{
    Check(f->Name, sizeof f->Name);
    Check(f->Prefix, sizeof f->Prefix);
    Check(f->Directory, sizeof f->Directory);
    Check(f->LogPath, sizeof f->LogPath);
    Check(d->DefaultPrefix, sizeof d->DefaultPrefix);
    Check(d->LogDefaultPath, sizeof d->LogDefaultPath);
    return f->Name[0] != 'x';
}

static int FuzzMark(void *, const char *key)
{
    Check(key, QM_TEXT_SIZE);
    return 1;
}

const QmScanCalls kFuzzCalls = {NULL, FuzzLog, FuzzAdd, FuzzMark};

FILE *FuzzFile(const unsigned char *data, size_t size)
{
    // fmemopen refuses a zero size; an empty file is the one-byte "\n" case.
    if (size == 0) return fmemopen((void *)"\n", 1, "r");
    return fmemopen((void *)data, size, "r");
}
