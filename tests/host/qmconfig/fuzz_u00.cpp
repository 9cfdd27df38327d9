// One .u00 list line, as the list reader sees it: the listed path, its
// containment check and the language expansion for every language folder.
#include "removal/listline.h"
#include <stdlib.h>
#include <string.h>
#include <ctype.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    static const char *folders[] = {"en_us", "fr_fr", "de_de", "es_es", "it_it",
                                    "ja_jp", "pt_br", "ko_kr", "zh_cn", "zh_tw"};
    char line[LIST_LINE_SIZE];
    size_t n = size < sizeof line - 1 ? size : sizeof line - 1;
    memcpy(line, data, n);
    line[n] = 0;
    const char *path = ListLinePath(line);
    if (!path) return 0;
    if (*path != '\\') abort();
    int contained = RelativePathIsContained(path);
    if (contained && strstr(path, "\\..\\")) abort();
    char lower[LIST_LINE_SIZE];
    strcpy(lower, path);
    for (char *c = lower; *c; c++) *c = (char)tolower((unsigned char)*c);
    if (!PathHasLanguageTokens(lower)) return 0;
    for (const char *folder : folders) {
        char out[LIST_LINE_SIZE];
        if (ExpandLanguagePath(lower, folder, out, sizeof out) && strnlen(out, sizeof out) >= sizeof out) abort();
    }
    return 0;
}
