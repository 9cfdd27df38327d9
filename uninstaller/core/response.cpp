#include "core/response.h"
#include "core/log.h"
#include "core/responseparse.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdio.h>

static ResponseTable sTable = {NULL, 1};

BOOL ReadResponseFile()
{
    FILE *file = fopen(gRun.ResponseFilePath, "rt");
    if (!file) {
        LogLineF("Can't open '%s'", gRun.ResponseFilePath);
        return FALSE;
    }
    LogLine("Response file:");
    sTable.Ok = 1;
    char line[RESPONSE_LINE_SIZE];
    while (fgets(line, sizeof line, file)) ResponseParseLine(&sTable, line, LogLine);
    fclose(file);
    return sTable.Ok;
}

BOOL ResponseLookup(const char *stanza, const char *keyword, char *out)
{
    out[0] = 0;
    const char *value;
    switch (ResponseFind(&sTable, stanza, keyword, &value)) {
    case 0:
        CopyText(out, VL_TEXT_SIZE, value);
        return TRUE;
    case 1:
        LogLineF("Stanza '%s' not found", stanza);
        return FALSE;
    default:
        LogLineF("Stanza '%s' keyword '%s' not found", stanza, keyword);
        return FALSE;
    }
}

BOOL ResponseComponentChoice(const char *keyword, BOOL *flag)
{
    char value[VL_TEXT_SIZE];
    BOOL found = ResponseLookup("Components", keyword, value);
    if (TextEqualNoCase(value, "REMOVE") || TextEqualNoCase(value, "REMOVEDATA")) {
        *flag = TRUE;
        return found;
    }
    if (TextEqualNoCase(value, "KEEP") || TextEqualNoCase(value, "Skip")) return found;
    LogLineF("Unknown value [%s] %s=%s", "Components", keyword, value);
    return FALSE;
}

BOOL ApplyLockedFilesAnswer(HWND page)
{
    char value[VL_TEXT_SIZE];
    if (!ResponseLookup("Varolink", "LockedFiles", value)) return FALSE;
    if (TextEqualNoCase(value, "CANCEL")) {
        LogLineF("***Locked files found; %s=%s.", "LockedFiles", value);
        PostMessageA(page, gRun.MsgCancel, 0, 0);
    } else if (TextEqualNoCase(value, "CONTINUE")) {
        LogLineF("***Locked files found; %s=%s.", "LockedFiles", value);
        PostMessageA(page, gRun.MsgNext, 0, 0);
    } else {
        LogLineF("Unknown value [%s] %s=%s", "Varolink", "LockedFiles", value);
        PostMessageA(page, gRun.MsgCancel, 0, 0);
    }
    return TRUE;
}

static void Unlogged(const char *) {}

BOOL ResponseAsksPreview(const char *path)
{
    FILE *file = path && path[0] ? fopen(path, "rt") : NULL;
    if (!file) return FALSE;
    ResponseTable table;
    ResponseInit(&table);
    char line[RESPONSE_LINE_SIZE];
    while (fgets(line, sizeof line, file)) ResponseParseLine(&table, line, Unlogged);
    fclose(file);
    const char *value;
    BOOL preview = ResponseFind(&table, "Varolink", "Preview", &value) == 0 && TextEqualNoCase(value, "YES");
    ResponseFree(&table);
    return preview;
}

void ResponseReset()
{
    ResponseFree(&sTable);
}
