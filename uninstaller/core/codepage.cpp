#include "core/codepage.h"
#include "core/mbchar.h"
#include <windows.h>

void UseSystemCodePage()
{
    CPINFO info;
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1) MbSetLeadRanges(info.LeadByte);
    else MbSetLeadRanges(NULL);
}
