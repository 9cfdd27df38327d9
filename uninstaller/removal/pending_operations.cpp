// TEMPORARY: minimal definitions of operations being built elsewhere, so the
// removal flow links. Removed as soon as the real ones are merged.
#include "core/log.h"
#include "core/mif.h"
#include "qmconfig/qmdelete.h"
#include "qmconfig/qmexport.h"
#include "removal/servicelevels.h"

BOOL SaveQmConfiguration()
{
    LogLine("(pending) SaveQmConfiguration");
    return TRUE;
}

int DeleteQueueManagers(const char *, HWND)
{
    LogLine("(pending) DeleteQueueManagers");
    return 1;
}

int RemoveServiceLevels(BOOL counting, const char *, const char *, HWND *, HWND *)
{
    if (counting) return 0;
    LogLine("(pending) RemoveServiceLevels");
    return 1;
}

BOOL WriteStatusMif(const char *message, const char *mifName, BOOL success)
{
    LogLineF("(pending) WriteStatusMif '%s' '%s' %d", message, mifName, (int)success);
    return TRUE;
}
