#include "core/response.h"
#include "core/log.h"
#include "core/responseparse.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

static ResponseTable sTable = {NULL, 1};

// The file as start-up read it to find a preview: its path, whether it could
// be opened, and each read of it (a line, or a part of an overlong one) in
// order. The file is read once only: a response file may be something that
// can be read only once, such as a pipe. GUI thread only.
static struct {
    BOOL Loaded;
    BOOL Opened;
    std::string Path;
    std::vector<std::string> Reads;
} sEarly;

// Reads the file into sEarly.
static void LoadEarly(const char *path)
{
    sEarly.Loaded = TRUE;
    sEarly.Path = path;
    sEarly.Reads.clear();
    FILE *file = fopen(path, "rt");
    sEarly.Opened = file != NULL;
    if (!file) return;
    char line[RESPONSE_LINE_SIZE];
    while (fgets(line, sizeof line, file)) sEarly.Reads.push_back(line);
    fclose(file);
}

BOOL ReadResponseFile()
{
    BOOL early = sEarly.Loaded && sEarly.Path == gRun.ResponseFilePath;
    FILE *file = early ? NULL : fopen(gRun.ResponseFilePath, "rt");
    if (early ? !sEarly.Opened : !file) {
        LogLineF("Can't open '%s'", gRun.ResponseFilePath);
        return FALSE;
    }
    LogLine("Response file:");
    sTable.Ok = 1;
    char line[RESPONSE_LINE_SIZE];
    if (early) {
        for (const std::string &read : sEarly.Reads) {
            memcpy(line, read.c_str(), read.size() + 1);   // each read fitted this buffer
            ResponseParseLine(&sTable, line, LogLine);
        }
        return sTable.Ok;
    }
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

BOOL ResponseValue(const char *stanza, const char *keyword, char *out)
{
    out[0] = 0;
    const char *value;
    if (ResponseFind(&sTable, stanza, keyword, &value) != 0) return FALSE;
    CopyText(out, VL_TEXT_SIZE, value);
    return TRUE;
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
    if (!path || !path[0]) return FALSE;
    LoadEarly(path);
    ResponseTable table;
    ResponseInit(&table);
    char line[RESPONSE_LINE_SIZE];
    for (const std::string &read : sEarly.Reads) {
        memcpy(line, read.c_str(), read.size() + 1);
        ResponseParseLine(&table, line, Unlogged);
    }
    const char *value;
    BOOL preview = ResponseFind(&table, "Varolink", "Preview", &value) == 0 && TextEqualNoCase(value, "YES");
    ResponseFree(&table);
    return preview;
}

void ResponseReset()
{
    sEarly.Loaded = FALSE;
    sEarly.Reads.clear();
    ResponseFree(&sTable);
}
