#include "qmconfig/qmexport.h"
#include "qmconfig/qmscan.h"
#include "core/log.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "security/security.h"
#include <errno.h>
#include <stdlib.h>
#include <string.h>

// The script's running state: the header last written and the program folder
// of this export. Owned by the removal worker thread while an export runs.
static RegScriptState sScript;
static ProgramFolderForms sFolder;
static BOOL sFolderKnown;

// The eight machine-level values saved after the configuration tree.
static const char *const kMachineValues[] = {"RepositoryMachineName", "RepositoryValid", "RepositoryType",
                                             "ClusterName", "MachineName", "MachineConnName", "VLQMName",
                                             "VLDAIQMName"};

int WriteRegScriptLine(FILE *script, const char *format, const char *text, const VerbatimPair *list)
{
    char line[REG_LINE_SIZE];
    int kind = PrepareRegScriptLine(&sScript, list, sFolderKnown ? &sFolder : NULL, text, line, sizeof line);
    if (kind == 0) {
        // The placeholder made the line longer than a script line: refuse it
        // rather than write a shortened (different) value.
        LogLineF("***Line too long for .reg file: '%s'", text);
        return -1;
    }
    if (kind == 1) LogLineF("Key '%s'", line);
    else LogLineF("    %s", line);
    return fprintf(script, format, line);
}

BOOL ExportRegistryValue(const char *name, DWORD type, const BYTE *data, DWORD size, FILE *script,
                         const VerbatimPair *list)
{
    char line[REG_LINE_SIZE];
    BOOL fits;
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        // Registry strings need not be terminated: take at most size bytes.
        char *text = (char *)malloc(size + 1);
        if (!text) {
            LogLineF("***Unable to allocate value data buffer %d", (int)(size + 1));
            return FALSE;
        }
        memcpy(text, data, size);
        text[size] = 0;
        fits = FormatRegStringLine(name, text, line, sizeof line);
        free(text);
    } else if (type == REG_DWORD) {
        DWORD value = 0;
        memcpy(&value, data, size < sizeof value ? size : sizeof value);
        fits = FormatRegDwordLine(name, value, line, sizeof line);
    } else {
        LogLineF("***Unsupported value type \"%s\" 0x%x", name, (unsigned)type);
        return FALSE;
    }
    if (!fits) {
        // A value that does not fit a script line is never cut into another
        // one: the export stops, and the configuration stays in the registry.
        LogLineF("***Value too long for .reg file \"%s\"", name);
        return FALSE;
    }
    if (WriteRegScriptLine(script, "%s\n", line, list) < 0) {
        LogLineF("***Can't write value to .reg file %d", errno);
        return FALSE;
    }
    return TRUE;
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
        BYTE data[VL_TEXT_SIZE];
        DWORD size = sizeof data, type = 0;
        rc = RegQueryValueExA(key, name, NULL, &type, data, &size);
        if (rc == ERROR_FILE_NOT_FOUND) continue;
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Query value error %d [HKLM\\%s] '%s'", (int)rc, VL_PRODUCT_KEY, name);
            result = FALSE;
            continue;
        }
        result = ExportRegistryValue(name, type, data, size, script, list) && result;
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

BOOL SaveQmConfiguration()
{
    LogLine("\nSaving QM configuration");
    BOOL result = TRUE;
    ReadProductPaths();
    sFolderKnown = MakeProgramFolderForms(gRegFilePath, &sFolder);

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
    char path[VL_PATH_SIZE];
    BOOL named = gRegWorkPath[0] && FormatText(path, sizeof path, "%s\\config\\Config.reg", gRegWorkPath);
    FILE *script = named ? fopen(path, "wt") : NULL;
    if (!script) {
        LogLineF("***Unable to open '%s'", named ? path : "\\config\\Config.reg");
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

    LogLine(result ? "QM configuration saved" : "Error saving QM configuration");
    FreeVerbatimList(&list);
    return result;
}
