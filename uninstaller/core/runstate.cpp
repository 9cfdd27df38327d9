#include "core/runstate.h"
#include "core/ledger.h"
#include <string.h>

RunState gRun;
char gComponentDisplayNames[20][VL_TEXT_SIZE];

Component gComponents[COMPONENT_COUNT] = {
    {"Server", "ConversionTablesComponent", 1, 1},
    {"Development Toolkit", "ToolkitComponent", 2, 2},
    {"Local Clients\\Windows NT Client", "WindowsNTClientComponent", 3, 3},
    {"Local Clients\\Java Client", NULL, 4, 4},
    {"Internet Gateway", NULL, 5, 5},
    {"Documentation\\Library HTML", "PublicationsComponent", 6, 6},
    {"Documentation\\Library PDF", NULL, 0, 7},
    {"Documentation\\Internet Gateway", NULL, 8, 8},
    {"Web Administration Server", NULL, 9, 9},
    {"Additional Languages\\en_us", NULL, 0, 10},
    {"Additional Languages\\fr_fr", NULL, 0, 11},
    {"Additional Languages\\de_de", NULL, 0, 12},
    {"Additional Languages\\es_es", NULL, 0, 13},
    {"Additional Languages\\it_it", NULL, 0, 14},
    {"Additional Languages\\ja_jp", NULL, 0, 15},
    {"Additional Languages\\ko_kr", NULL, 0, 16},
    {"Additional Languages\\zh_tw", NULL, 0, 17},
    {"Additional Languages\\pt_br", NULL, 0, 18},
    {"Additional Languages\\zh_cn", NULL, 0, 19},
    {NULL, NULL, 20, 0},
};

const int gRemovalOrder[REMOVAL_ORDER_COUNT] = {
    COMP_SERVER, COMP_WINDOWS_NT_CLIENT, COMP_TOOLKIT, COMP_HTML_LIBRARY, COMP_PDF_LIBRARY,
    COMP_JAVA_CLIENT, COMP_WEB_ADMIN, COMP_INTERNET_GATEWAY, COMP_INTERNET_GATEWAY_DOCS,
    COMP_LANG_EN_US, COMP_LANG_FR_FR, COMP_LANG_DE_DE, COMP_LANG_ES_ES, COMP_LANG_IT_IT,
    COMP_LANG_JA_JP, COMP_LANG_KO_KR, COMP_LANG_PT_BR, COMP_LANG_ZH_TW, COMP_LANG_ZH_CN,
};

int RemovalRank(int component)
{
    for (int rank = 0; rank < REMOVAL_ORDER_COUNT; rank++)
        if (gRemovalOrder[rank] == component) return rank;
    return -1;
}

void RunStateReset()
{
    memset(&gRun, 0, sizeof gRun);
    LedgerReset();
    gRun.AllSucceeded = TRUE;
    gRun.DefaultLogUsed = TRUE;
    gRun.DisplayColours = 16;
    for (int i = 0; i < COMPONENT_COUNT; i++) {
        gComponents[i].Installed = FALSE;
        gComponents[i].Incomplete = FALSE;
        gComponents[i].Selected = FALSE;
        gComponents[i].RecordedName[0] = 0;
    }
}
