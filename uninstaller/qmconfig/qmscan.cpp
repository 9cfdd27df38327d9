#include "qmconfig/qmscan.h"
#include "qmconfig/qmlist.h"
#include "qmconfig/qmtext.h"
#include "core/log.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "removal/listline.h"
#include "core/fileprobes.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

BOOL ReadQmLogPath(const char *qmIniPath, char *out)
{
    out[0] = 0;
    if (!FileExists(qmIniPath)) {
        LogLineF("***Can't find '%s'", qmIniPath);
        return FALSE;
    }
    FILE *file = fopen(qmIniPath, "rt");
    if (!file) {
        LogLineF("***Can't open '%s'", qmIniPath);
        return FALSE;
    }
    LogLineF("Scanning '%s'", qmIniPath);
    if (!ReadQmIniLogPath(file, out, MAX_PATH)) LogLine("No logpath found");
    fclose(file);
    return TRUE;
}

BOOL AddQueueManager(const char *name, const char *defaultPrefix, const char *prefix,
                     const char *directory, const char *logDefaultPath, const char *logPath,
                     BOOL tcpFlag, BOOL overwrite)
{
    BOOL result = TRUE;
    if (defaultPrefix[0] && !prefix[0]) {
        LogLineF("Using default prefix for '%s'", name);
        prefix = defaultPrefix;
    }
    // The directory names one folder below <prefix>\qmgrs. Queue-manager
    // deletion removes that folder's whole tree, so a value that is empty or
    // climbs out of qmgrs must not turn into qmgrs itself or into a folder
    // outside it: such an entry keeps an empty directory.
    BOOL directoryUsable = directory[0] != 0;
    if (directoryUsable && !RelativePathIsContained(directory)) {
        LogLineF("***QM directory '%s' for '%s' is outside the qmgrs folder; ignored", directory, name);
        directoryUsable = FALSE;
        result = FALSE;
    }

    char log[VL_PATH_SIZE] = "";
    if (logPath) {
        CopyText(log, sizeof log, logPath);
    } else if (directoryUsable) {
        char qmIni[VL_PATH_SIZE];
        if (FormatText(qmIni, sizeof qmIni, "%s\\qmgrs\\%s\\QM.INI", prefix, directory) && FileExists(qmIni))
            result = ReadQmLogPath(qmIni, log) && result;
    }
    if (logDefaultPath[0] && !log[0]) {
        LogLineF("Using default QM log path for '%s'", name);
        CopyText(log, sizeof log, logDefaultPath);
    }

    char qmDirectory[VL_PATH_SIZE] = "";
    if (directoryUsable && !FormatText(qmDirectory, sizeof qmDirectory, "%s\\qmgrs\\%s", prefix, directory)) {
        LogLineF("***QM directory too long for '%s'", name);
        qmDirectory[0] = 0;
        result = FALSE;
    }
    return AddQmListEntry(name, qmDirectory, log, tcpFlag, overwrite) && result;
}

// Callbacks of the text readers.
static void ScanLog(void *, const char *text) { LogLine(text); }

static int ScanAdd(void *, const QmFields *fields, const QmScanDefaults *defaults, int logPathGiven,
                   int tcpFlag, int overwrite)
{
    return AddQueueManager(fields->Name, defaults->DefaultPrefix, fields->Prefix, fields->Directory,
                           defaults->LogDefaultPath, logPathGiven ? fields->LogPath : NULL, tcpFlag,
                           overwrite);
}

static int ScanMarkTcp(void *, const char *keyName) { return MarkTcpListener(keyName); }

static const QmScanCalls kScanCalls = {NULL, ScanLog, ScanAdd, ScanMarkTcp};

// A string value of the configuration tree; a value that does not fit a path
// buffer is refused. FALSE (out "") when missing.
static BOOL ReadConfigString(const char *subKey, const char *valueName, char *out)
{
    out[0] = 0;
    char *data;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, subKey, valueName, &data)) return FALSE;
    BOOL fits = CopyText(out, VL_PATH_SIZE, data);
    free(data);
    if (!fits) {
        LogLineF("***Value '%s' of '%s' too long; ignored", valueName, subKey);
        out[0] = 0;
    }
    return fits;
}

// The listener protocol of a queue manager is TCP when its first 32-bit word is 2.
static BOOL ListenerIsTcp(const char *keyName)
{
    char subKey[600];
    if (!FormatText(subKey, sizeof subKey, "%s\\Services\\%s\\Listener", QM_CONFIG_KEY, keyName)) return FALSE;
    char *data;
    DWORD size = 0;
    if (!ReadRegValue(HKEY_LOCAL_MACHINE, subKey, "Protocol", &data, &size)) return FALSE;
    DWORD protocol = 0;
    if (size >= sizeof protocol) memcpy(&protocol, data, sizeof protocol);
    free(data);
    return size >= sizeof protocol && protocol == 2;
}

static BOOL ScanRegistry(QmScanDefaults *defaults)
{
    BOOL result = TRUE;
    LogLine("\nScanning registry for queue managers");
    char value[VL_PATH_SIZE];
    if (ReadConfigString(QM_CONFIG_KEY "\\AllQueueManagers", "DefaultPrefix", value) && value[0])
        CopyText(defaults->DefaultPrefix, sizeof defaults->DefaultPrefix, value);
    if (ReadConfigString(QM_CONFIG_KEY "\\LogDefaults", "LogDefaultPath", value) && value[0])
        CopyText(defaults->LogDefaultPath, sizeof defaults->LogDefaultPath, value);

    const char *listKey = QM_CONFIG_KEY "\\QueueManager";
    HKEY key;
    LONG rc = OpenProductKey(HKEY_LOCAL_MACHINE, listKey, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (rc == ERROR_FILE_NOT_FOUND) {
        LogLine("No queue managers defined in registry");
        return result;
    }
    if (rc != ERROR_SUCCESS) {
        LogLineF("***Can't open key: '%s' %d", listKey, (int)rc);
        return FALSE;
    }
    for (DWORD index = 0;; index++) {
        char keyName[VL_PATH_SIZE + 1];
        DWORD nameSize = sizeof keyName;
        rc = RegEnumKeyExA(key, index, keyName, &nameSize, NULL, NULL, NULL, NULL);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) {
            LogLineF("***Can't enumerate key: '%s' %d, index %d", listKey, (int)rc, (int)index);
            result = FALSE;
            break;
        }
        QmFields fields;
        QmFieldsClear(&fields);
        char qmKey[600], logKey[600];
        if (FormatText(qmKey, sizeof qmKey, "%s\\%s", listKey, keyName)) {
            ReadConfigString(qmKey, "Name", fields.Name);
            ReadConfigString(qmKey, "Prefix", fields.Prefix);
            ReadConfigString(qmKey, "Directory", fields.Directory);
            if (FormatText(logKey, sizeof logKey, "%s\\Log", qmKey)) ReadConfigString(logKey, "LogPath", fields.LogPath);
        }
        BOOL tcp = ListenerIsTcp(keyName);
        result = AddQueueManager(fields.Name, defaults->DefaultPrefix, fields.Prefix, fields.Directory,
                                 defaults->LogDefaultPath, fields.LogPath, tcp, TRUE) && result;
    }
    RegCloseKey(key);
    return result;
}

typedef int (*TextReader)(FILE *, QmScanDefaults *, const QmScanCalls *);

// One configuration file source: logs its absence, or scans it.
static BOOL ScanFile(const char *path, const char *missingFormat, TextReader reader, QmScanDefaults *defaults)
{
    if (!FileExists(path)) {
        LogLineF(missingFormat, path);
        return TRUE;
    }
    LogLineF("\nScanning '%s' for queue managers", path);
    FILE *file = fopen(path, "rt");
    if (!file) {
        LogLineF("***Can't open '%s'", path);
        return FALSE;
    }
    BOOL result = reader(file, defaults, &kScanCalls);
    fclose(file);
    return result;
}

BOOL ScanQueueManagers(const char *dataDir)
{
    BOOL result = TRUE;
    QmListFree();
    QmScanDefaults defaults;
    defaults.DefaultPrefix[0] = defaults.LogDefaultPath[0] = 0;

    result = ScanRegistry(&defaults) && result;

    char path[VL_PATH_SIZE];
    if (FormatText(path, sizeof path, "%s\\VLS.INI", dataDir)) {
        result = ScanFile(path, "\nNo .ini file '%s'", ReadVlsIniText, &defaults) && result;
    } else {
        LogLineF("\n***Can't open '%s'", path);
        result = FALSE;
    }
    if (FormatText(path, sizeof path, "%s\\config\\Config.reg", dataDir)) {
        result = ScanFile(path, "\nNo configuration file '%s'", ReadConfigRegText, &defaults) && result;
    } else {
        LogLineF("\n***Can't open '%s'", path);
        result = FALSE;
    }
    LogLine("  ");
    return result;
}
