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

// The response file as read: its path, whether it could be opened, and each
// read of it (a line, or a part of an overlong one) in order. The preview's
// look-up reads it and the run's reading that follows uses what was read: a
// response file may be something that can be read only once, such as a
// pipe. GUI thread only.
static struct {
    BOOL Loaded;
    BOOL Opened;
    std::string Path;
    std::vector<std::string> Reads;
} sFile;

static void LoadFile(const char *path)
{
    if (sFile.Loaded && sFile.Path == path) return;
    sFile.Loaded = TRUE;
    sFile.Path = path;
    sFile.Reads.clear();
    FILE *file = fopen(path, "rt");
    sFile.Opened = file != NULL;
    if (!file) return;
    char line[RESPONSE_LINE_SIZE];
    while (fgets(line, sizeof line, file)) sFile.Reads.push_back(line);
    fclose(file);
}

static void ParseFile(ResponseTable *table, ResponseLog log)
{
    char line[RESPONSE_LINE_SIZE];
    for (const std::string &read : sFile.Reads) {
        memcpy(line, read.c_str(), read.size() + 1);   // each read fitted this buffer
        ResponseParseLine(table, line, log);
    }
}

// Forgets what was read, so that a later reading opens the file again.
static void ForgetFile()
{
    sFile.Loaded = FALSE;
    sFile.Reads.clear();
}

BOOL ReadResponseFile()
{
    LoadFile(gRun.ResponseFilePath);
    if (!sFile.Opened) {
        LogLineF("Can't open '%s'", gRun.ResponseFilePath);
        ForgetFile();
        return FALSE;
    }
    LogLine("Response file:");
    sTable.Ok = 1;
    ParseFile(&sTable, LogLine);
    ForgetFile();
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
    LoadFile(path);
    ResponseTable table;
    ResponseInit(&table);
    ParseFile(&table, Unlogged);
    const char *value;
    BOOL preview = ResponseFind(&table, "Varolink", "Preview", &value) == 0 && TextEqualNoCase(value, "YES");
    ResponseFree(&table);
    return preview;
}

void ResponseReset()
{
    ForgetFile();
    ResponseFree(&sTable);
}
