#include "qmconfig/qmexport.h"
#include "qmconfig/qmscan.h"
#include "core/log.h"
#include "core/machine.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/files.h"
#include "security/security.h"
#include <errno.h>
#include <stdlib.h>
#include <string.h>

// The script's running state: the header last written and the program folder
// of this export ("" when unknown). Owned by the removal worker thread while
// an export runs.
static RegScriptState sScript;
static char sFolder[VL_PATH_SIZE];

// The eight machine-level values saved after the configuration tree.
static const char *const kMachineValues[] = {"RepositoryMachineName", "RepositoryValid", "RepositoryType",
                                             "ClusterName", "MachineName", "MachineConnName", "VLQMName",
                                             "VLDAIQMName"};

int WriteRegScriptLine(FILE *script, const char *format, const char *text, const VerbatimPair *)
{
    if (text[0] == '[') {
        // A header becomes the current key header (for the verbatim list).
        if (!CopyText(sScript.Header, sizeof sScript.Header, text)) return -1;
        LogLineF("Key '%s'", text);
    } else {
        LogLineF("    %s", text);
    }
    return fprintf(script, format, text);
}

// The value writer's line sink: every line of a value goes to the script.
static int WriteValueLine(void *script, const char *line)
{
    return WriteRegScriptLine((FILE *)script, "%s\n", line, NULL) >= 0;
}

BOOL ExportRegistryValue(const char *name, DWORD type, const BYTE *data, DWORD size, FILE *script,
                         const VerbatimPair *list)
{
    // Values the installer listed keep the program folder as it is.
    const char *folder = ValueIsVerbatim(list, sScript.Header, name) ? NULL : sFolder;
    switch (WriteRegValue(name, type, data, size, folder, WriteValueLine, script)) {
    case REG_VALUE_WRITTEN:
        return TRUE;
    case REG_VALUE_BAD_NAME: {
        // A name regedit cannot read back is never written in another form:
        // the export stops and the configuration stays where it is. The log
        // shows it on one line.
        char shown[VL_TEXT_SIZE];
        CopyText(shown, sizeof shown, name);
        for (char *c = shown; *c; c++)
            if (*c == '\r' || *c == '\n') *c = ' ';
        LogLineF("***Value name not valid for .reg file \"%s\"", shown);
        return FALSE;
    }
    case REG_VALUE_NO_MEMORY:
        LogLineF("***Unable to allocate value data buffer %d", (int)size);
        return FALSE;
    default:
        LogLineF("***Can't write value to .reg file %d", errno);
        return FALSE;
    }
}

BOOL ExportRegistryKey(HKEY key, const char *path, FILE *script, const VerbatimPair *list)
{
    BOOL result = TRUE;
    char header[REG_LINE_SIZE];
    if (!FormatText(header, sizeof header, "[HKEY_LOCAL_MACHINE\\%s]", path) ||
        WriteRegScriptLine(script, "\n%s\n", header, list) < 0) {
        LogLineF("***Can't write to .reg file %d", errno);
        return FALSE;
    }

    DWORD longestName = 0, longestData = 0;
    LONG rc = RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, NULL, &longestName, &longestData,
                               NULL, NULL);
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Can't query key info %d", (int)rc);
        return FALSE;
    }
    char *name = (char *)malloc(longestName + 1);
    BYTE *data = (BYTE *)malloc(longestData + 1);
    if (!name) {
        LogLineF("***Unable to allocate value name buffer %d", (int)(longestName + 1));
        result = FALSE;
    }
    if (!data) {
        LogLineF("***Unable to allocate value data buffer %d", (int)(longestData + 1));
        result = FALSE;
    }
    for (DWORD index = 0; result; index++) {
        DWORD nameSize = longestName + 1, dataSize = longestData + 1, type = 0;
        rc = RegEnumValueA(key, index, name, &nameSize, NULL, &type, data, &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't enumerate Key values: '%s' %d", path, (int)rc);
            result = FALSE;
            break;
        }
        result = ExportRegistryValue(name, type, data, dataSize, script, list) && result;
    }
    free(name);
    free(data);

    for (DWORD index = 0; result; index++) {
        char subName[VL_PATH_SIZE + 1];
        DWORD subSize = sizeof subName;
        rc = RegEnumKeyExA(key, index, subName, &subSize, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't enumerate key: '%s' %d", path, (int)rc);
            result = FALSE;
            break;
        }
        char subPath[REG_LINE_SIZE];
        if (!FormatText(subPath, sizeof subPath, "%s\\%s", path, subName)) {
            LogLineF("***Can't open subKey: '%s' %d", subName, (int)ERROR_FILENAME_EXCED_RANGE);
            result = FALSE;
            break;
        }
        HKEY sub;
        rc = OpenKeyWithRepair(key, subName, subPath, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &sub);
        if (rc == ERROR_ACCESS_DENIED) {
            LogLineF("***ERROR_ACCESS_DENIED subKey: '%s'", subName);
            result = FALSE;
        } else if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't open subKey: '%s' %d", subName, (int)rc);
            result = FALSE;
        } else {
            result = ExportRegistryKey(sub, subPath, script, list) && result;
            RegCloseKey(sub);
        }
    }
    return result;
}

BOOL ExportCurrentVersionValues(FILE *script, const VerbatimPair *list)
{
    HKEY key;
    LONG rc = OpenProductKey(HKEY_LOCAL_MACHINE, VL_PRODUCT_KEY, KEY_QUERY_VALUE, &key);
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Unable to open key: '%s' %d", VL_PRODUCT_KEY, (int)rc);
        return FALSE;
    }
    if (WriteRegScriptLine(script, "\n%s\n", "[HKEY_LOCAL_MACHINE\\" VL_PRODUCT_KEY "]", list) < 0) {
        LogLineF("***Can't write to .reg file %d", errno);
        RegCloseKey(key);
        return FALSE;
    }
    BOOL result = TRUE;
    for (const char *name : kMachineValues) {
        DWORD size = 0, type = 0;
        rc = RegQueryValueExA(key, name, NULL, &type, NULL, &size);
        if (rc == ERROR_FILE_NOT_FOUND) continue;
        // Read at its own size: a value longer than a text buffer is exported too.
        BYTE *data = rc == ERROR_SUCCESS ? (BYTE *)malloc(size + 1) : NULL;
        if (rc == ERROR_SUCCESS && !data) {
            LogLineF("***Unable to allocate value data buffer %d", (int)(size + 1));
            result = FALSE;
            continue;
        }
        if (data) rc = RegQueryValueExA(key, name, NULL, &type, data, &size);
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Query value error %d [HKLM\\%s] '%s'", (int)rc, VL_PRODUCT_KEY, name);
            free(data);
            result = FALSE;
            continue;
        }
        result = ExportRegistryValue(name, type, data, size, script, list) && result;
        free(data);
    }
    RegCloseKey(key);
    return result;
}

static void ListLog(void *, const char *text) { LogLine(text); }

// Reads <program folder>\uninst\avlirgdn.u01. FALSE when it cannot be opened
// or a pair could not be stored.
static BOOL ReadVerbatimValues(VerbatimPair **list)
{
    char path[VL_PATH_SIZE];
    BOOL named = gRegFilePath[0] && FormatText(path, sizeof path, "%s\\uninst\\avlirgdn.u01", gRegFilePath);
    FILE *file = named ? fopen(path, "rt") : NULL;
    if (!file) {
        LogLineF("***Unable to open '%s'", named ? path : "\\uninst\\avlirgdn.u01");
        return FALSE;
    }
    BOOL result = ReadVerbatimList(file, list, ListLog, NULL);
    fclose(file);
    return result;
}

// The new script is written beside the old one and replaces it only once it
// is complete, so a failed export leaves the previous Config.reg as it was.
static BOOL ReplaceScript(const char *written, const char *path)
{
    DWORD code = MachineReplaceFile(written, path);
    if (code == 0 || code == MACHINE_HELD_BACK) return TRUE;
    LogLineF("***Can't replace '%s' %d", path, (int)code);
    return FALSE;
}

BOOL SaveQmConfiguration()
{
    LogLine("\nSaving QM configuration");
    BOOL result = TRUE;
    ReadProductPaths();
    CopyText(sFolder, sizeof sFolder, gRegFilePath);

    VerbatimPair *list = NULL;
    if (!ReadVerbatimValues(&list)) {
        FreeVerbatimList(&list);
        return FALSE;
    }

    HKEY key;
    LONG rc = OpenProductKey(HKEY_LOCAL_MACHINE, QM_CONFIG_KEY, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND) {
        LogLineF("No QM configuration found; key: '%s'", QM_CONFIG_KEY);
        FreeVerbatimList(&list);
        return TRUE;
    }
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Unable to open key: '%s' %d", QM_CONFIG_KEY, (int)rc);
        FreeVerbatimList(&list);
        return FALSE;
    }

    // The config folder is not created: it belongs to the kept data. Without
    // a data folder there is no place for the script at all.
    char path[VL_PATH_SIZE], written[VL_PATH_SIZE];
    BOOL named = gRegWorkPath[0] && FormatText(path, sizeof path, "%s\\config\\Config.reg", gRegWorkPath) &&
                 FormatText(written, sizeof written, "%s.new", path);
    FILE *script = named ? MachineCreateTextFile(written, path) : NULL;
    if (!script) {
        LogLineF("***Unable to open '%s'", named ? written : "\\config\\Config.reg");
        RegCloseKey(key);
        LogLine("Error saving QM configuration");
        FreeVerbatimList(&list);
        return FALSE;
    }

    sScript.Header[0] = 0;
    if (fprintf(script, "REGEDIT4\n;\n;Varolink\n;") < 0) {
        LogLineF("***Can't write value to .reg file %d", errno);
        result = FALSE;
    }
    if (result) result = ExportRegistryKey(key, QM_CONFIG_KEY, script, list);
    RegCloseKey(key);
    if (result) result = ExportCurrentVersionValues(script, list);
    if (fprintf(script, "\n") < 0) result = FALSE;
    if (fclose(script) != 0) result = FALSE;

    if (result) result = ReplaceScript(written, path);
    // An incomplete script is no record of anything: it goes, the old one stays.
    if (!result) DeleteFilePath(written, FALSE);

    LogLine(result ? "QM configuration saved" : "Error saving QM configuration");
    FreeVerbatimList(&list);
    return result;
}
