#include "qmconfig/logdefault.h"
#include "core/log.h"
#include "core/runstate.h"
#include "qmconfig/qmtext.h"
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
    ReadLogDefaultPathText(file, out, VL_PATH_SIZE);
    fclose(file);
    if (out[0]) LogLineF("Log path is '%s'", out);
    else LogLine("No logpath found");
    return 1;
}
