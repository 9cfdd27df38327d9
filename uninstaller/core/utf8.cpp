#include "core/utf8.h"
#include <windows.h>
#include <string.h>
#include <vector>

int AnsiToUtf8(const char *text, std::string *out)
{
    out->clear();
    if (!text || !text[0]) return 1;
    int length = (int)strnlen(text, 1 << 20);
    int wideCount = MultiByteToWideChar(CP_ACP, 0, text, length, NULL, 0);
    if (wideCount <= 0) return 0;
    std::vector<WCHAR> wide(wideCount);
    if (MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), wideCount) != wideCount) return 0;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, NULL, 0, NULL, NULL);
    if (bytes <= 0) return 0;
    out->resize(bytes);
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideCount, &(*out)[0], bytes, NULL, NULL) != bytes) {
        out->clear();
        return 0;
    }
    return 1;
}
