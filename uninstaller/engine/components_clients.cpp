// The Windows NT client and the Java client. Both share files, object
// classes and environment entries with the server, which they remove only
// when the server is no longer installed.
#include "engine/components.h"
#include "removal/files.h"
#include "engine/procedure.h"
#include "removal/registry.h"
#include "qmconfig/qmdelete.h"

static const char kServer[] = "Server";

int RemoveWindowsClientComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                                 const char *programFiles, const char *workPath, const char *programFolderName,
                                 HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);

    Phase(&run, 622);
    BOOL serverInstalled = ComponentInstalledNow(kServer);
    if (!serverInstalled) {
        Classes(&run, "clslfrg");
        Budget(&run, 1);
        Step(&run);
        if (Working(&run))
            DeleteRegistryTree("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Varolink", NULL, FALSE);
    }
    Budget(&run, 1);
    Step(&run);
    DeleteUninstFileQuietly(&run, "avliclcn.reg");

    if (!serverInstalled) {
        List(&run, "clint", 526);
        List(&run, "clslfrg", 526);
        List(&run, "clintcnv", 526, run.WorkPath);
        if (Working(&run)) DeleteCcsidTables(run.WorkPath);
    }

    if (cleanup) {
        // Four steps whether or not the shared configuration goes.
        Budget(&run, 4);
        int start = ProgressPosition(&run);
        Phase(&run, 665);
        Step(&run);
        DeleteVersionValue(&run, "WindowsNTClientComponent");
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Local Clients\\Windows NT Client");
        if (!serverInstalled) {
            Step(&run);
            // Spares Web Administration and the keys of queue managers whose folders stayed.
            if (Working(&run)) Counted(&run, DeleteConfigurationTree());
        }
        FillBudget(&run, start, 4);
    }
    if (!serverInstalled) {
        Budget(&run, 1);
        Step(&run);
        DropEntry(&run, "Path", "bin");
    }
    return ProcedureEnd(&run);
}

int RemoveJavaClientComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                              const char *programFiles, const char *workPath, const char *programFolderName,
                              HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    List(&run, "clijava", 527);
    if (!ComponentInstalledNow(kServer)) {
        List(&run, "javabase", 527);
        List(&run, "clijava", 527);
        Budget(&run, 2);
        Step(&run);
        DropEntry(&run, "classpath", "java\\lib\\com.norvik.vl.jar");
        Step(&run);
        DropEntry(&run, "classpath", "java\\lib\\com.norvik.vl.iiop.jar");
    }
    if (cleanup) {
        Budget(&run, 2);
        Phase(&run, 665);
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Local Clients\\Java Client");
    }
    return ProcedureEnd(&run);
}
