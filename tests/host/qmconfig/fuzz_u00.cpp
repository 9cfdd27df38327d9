// One .u00 list line, as the list reader sees it: the listed path, its
// containment check and the language expansion for every language folder,
// in a single-byte code page and in 932.
#include "removal/listline.h"
#include "core/text.h"
#include "tests/host/shared/codepage932.h"
#include <stdlib.h>
#include <string.h>

static void Judge(const unsigned char *data, size_t size)
{
    static const char *folders[] = {"en_us", "fr_fr", "de_de", "es_es", "it_it",
                                    "ja_jp", "pt_br", "ko_kr", "zh_cn", "zh_tw"};
    char line[LIST_LINE_SIZE];
    size_t n = size < sizeof line - 1 ? size : sizeof line - 1;
    memcpy(line, data, n);
    line[n] = 0;
    const char *path = ListLinePath(line);
    if (!path) return;
    // The listed part starts at a backslash of its own, never a second byte.
    if (*path != '\\' || !MbIsBoundary(line, (size_t)(path - line))) abort();
    int contained = RelativePathIsContained(path);
    if (contained && MbFindText(path, "\\..\\")) abort();
    char lower[LIST_LINE_SIZE];
    strcpy(lower, path);
    LowerText(lower);
    if (!PathHasLanguageTokens(lower)) return;
    for (const char *folder : folders) {
        char out[LIST_LINE_SIZE];
        if (ExpandLanguagePath(lower, folder, out, sizeof out) && strnlen(out, sizeof out) >= sizeof out) abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    Judge(data, size);
    CodePage932 cp;
    Judge(data, size);
    return 0;
}
