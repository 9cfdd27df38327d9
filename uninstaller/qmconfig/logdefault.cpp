#include "qmconfig/logdefault.h"
#include "core/log.h"
#include "core/runstate.h"
#include "qmconfig/configtext.h"
#include "core/fileprobes.h"
#include <stdio.h>

int ReadLogDefaultPath(const char *filePath, char *out)
{
    out[0] = 0;
    if (!FileExists(filePath)) {
        LogLineF("***Can't find '%s'", filePath);
        return 0;
    }
    FILE *file = fopen(filePath, "rt");
    if (!file) {
        LogLineF("***Can't open '%s'", filePath);
        return 0;
    }
    LogLineF("Scanning '%s'", filePath);
    char line[516];
    while (!out[0] && fgets(line, sizeof line, file)) {
        if (!PrepareConfigLine(line)) continue;
        // A value too long for a path buffer is refused rather than cut.
        if (!MatchLogDefaultPathLine(line, out, VL_PATH_SIZE)) out[0] = 0;
    }
    fclose(file);
    if (out[0]) LogLineF("Log path is '%s'", out);
    else LogLine("No logpath found");
    return 1;
}
