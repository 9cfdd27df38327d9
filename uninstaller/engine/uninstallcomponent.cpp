// The per-component driver: status lines, log lines, the "Incomplete"
// marker and the two passes of the component's procedure.
#include "engine/components.h"
#include "removal/registry.h"
#include "engine/worker.h"
#include "core/log.h"
#include "core/nls.h"
#include "core/regread.h"
#include "core/runstate.h"
#include "core/text.h"
#include "core/messagebox.h"
#include "core/statusline.h"
#include <string.h>

static HWND At(HWND *address) { return address ? *address : NULL; }

static const struct {
    const char *Key;
    ComponentProcedure Procedure;
} kProcedures[] = {
    {"Local Clients\\Windows NT Client", RemoveWindowsClientComponent},
    {"Development Toolkit", RemoveToolkitComponent},
    {"Documentation\\Library HTML", RemoveLibraryHtmlComponent},
    {"Documentation\\Library PDF", RemoveLibraryPdfComponent},
    {"Local Clients\\Java Client", RemoveJavaClientComponent},
    {"Internet Gateway", RemoveGatewayComponent},
    {"Documentation\\Internet Gateway", RemoveGatewayDocsComponent},
};

static const char kLanguagePrefix[] = "Additional Languages\\";

// One call of the component's procedure; -1 when the key names none.
static int CallProcedure(BOOL counting, const char *key, const char *registeredName, const char *P, const char *D,
                         const char *logDefaultPath, const char *folder, HWND *s1, HWND *s2, HWND *s3,
                         HWND *progress, BOOL deleteData, BOOL cleanup)
{
    if (strcmp(key, "Server") == 0)
        return RemoveServerComponent(counting, cleanup, deleteData, registeredName, P, D, logDefaultPath, folder, s1,
                                     s2, progress, s3);
    if (strcmp(key, "Web Administration Server") == 0)
        return RemoveWebAdminComponent(counting, cleanup, deleteData, registeredName, P, D, folder, s1, s2, progress,
                                       s3);
    if (strncmp(key, kLanguagePrefix, sizeof kLanguagePrefix - 1) == 0)
        return RemoveLanguageComponent(counting, key, cleanup, registeredName, P, D, folder, s1, s2, progress, s3);
    for (const auto &entry : kProcedures)
        if (strcmp(key, entry.Key) == 0)
            return entry.Procedure(counting, cleanup, registeredName, P, D, folder, s1, s2, progress, s3);
    return -1;
}

int UninstallComponent(const char *componentKey, const char *registeredName, const char *programFiles,
                       const char *workPath, const char *logDefaultPath, const char *programFolderName,
                       HWND *status1, HWND *status2, HWND *status3, HWND *progress, const char *displayName,
                       BOOL *deleteData, int *option, int)
{
    if (!componentKey) return 0;
    if (!displayName) displayName = "";
    BOOL data = deleteData ? *deleteData : FALSE;
    BOOL cleanup = option ? *option != 0 : FALSE;

    SetStatusText(At(status3), "", FALSE);
    char format[VL_TEXT_SIZE], title[VL_TEXT_SIZE];
    LoadNlsString(format, 547);
    if (!FormatText(title, sizeof title, format, displayName)) title[sizeof title - 1] = 0;
    SetStatusText(At(status1), title, FALSE);
    LogLineF("\nUninstalling %s (%s)", componentKey, displayName);

    int sum = 1;
    int count = CallProcedure(TRUE, componentKey, registeredName, programFiles, workPath, logDefaultPath,
                              programFolderName, status1, status2, status3, progress, data, cleanup);
    if (count > 0) sum += count;

    int result = 1;
    ProgressReset(At(progress), sum);
    char text[VL_TEXT_SIZE];
    LoadNlsString(text, 623);
    SetStatusText(At(status2), text, FALSE);
    ProgressStep(At(progress));
    if (ComponentRecorded(componentKey))
        SetRegistryValue(HKEY_LOCAL_MACHINE, VL_COMPONENTS_KEY, componentKey, REG_SZ, "Incomplete", -1);
    if (CallProcedure(FALSE, componentKey, registeredName, programFiles, workPath, logDefaultPath,
                      programFolderName, status1, status2, status3, progress, data, cleanup) != 1)
        result = 0;
    ProgressFlush();
    SetStatusText(At(status2), "", FALSE);
    SetStatusText(At(status3), "", FALSE);

    if (RemovalStopRequested()) return 0;
    LogLineF("Finished uninstalling %s (%s)", componentKey, displayName);
    Sleep(1000);
    return result;
}
