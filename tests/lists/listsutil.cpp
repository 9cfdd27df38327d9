#include "listsutil.h"
#include "core/log.h"
#include "core/nls.h"
#include "fixture.h"
#include "runner.h"
#include <windows.h>
#include <stdio.h>
#include <algorithm>

std::string ListsTempFolder(const char *tag) { return MakeUniqueTempFolder(tag); }




std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return (char)tolower((unsigned char)c); });
    return text;
}
