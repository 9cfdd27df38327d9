// Discovery of the queue managers: the product's registry tree, VLS.INI in
// the data directory (with each queue manager's QM.INI) and the registry
// script config\Config.reg, merged into the queue-manager list.
#pragma once
#include <windows.h>

#define QM_CONFIG_KEY "Software\\Norvik\\Varolink\\CurrentVersion\\Configuration"

// Rebuilds the list; TRUE when every step succeeded. The list holds whatever
// was found either way.
BOOL ScanQueueManagers(const char *dataDir);

// Adds one queue manager found in a source. logPath NULL: the source names no
// log path, so it is taken from <prefix>\qmgrs\<directory>\QM.INI.
BOOL AddQueueManager(const char *name, const char *defaultPrefix, const char *prefix,
                     const char *directory, const char *logDefaultPath, const char *logPath,
                     BOOL tcpFlag, BOOL overwrite);

// The log path of a queue manager's QM.INI (out: MAX_PATH, "" when none).
// FALSE when the file is missing or cannot be opened.
BOOL ReadQmLogPath(const char *qmIniPath, char *out);
