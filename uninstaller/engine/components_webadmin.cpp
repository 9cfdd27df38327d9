// Web Administration: its key files, its user data under D\vlwa (kept when
// the user asked to keep it and there is some), its file lists and its
// configuration key.
#include "engine/components.h"
#include "removal/directories.h"
#include "removal/files.h"
#include "engine/procedure.h"
#include "removal/registry.h"

enum { USER_DATA_BUDGET = 3 };

static void Walk(ProcedureRun *run, const char *path, BOOL files, BOOL directories)
{
    if (Working(run) && path[0]) Counted(run, DeleteTree(path, files, directories, FALSE, run->Status3, NULL));
    else if (Working(run)) Counted(run, 0);
}

int RemoveWebAdminComponent(BOOL counting, BOOL cleanup, BOOL deleteData, const char *registeredName,
                            const char *programFiles, const char *workPath, const char *programFolderName,
                            HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);

    Budget(&run, 3);
    Phase(&run, 545);
    ItemText(&run, "", FALSE);
    char path[VL_PATH_SIZE];
    Step(&run);
    ProgramPath(&run, path, "vlwa\\client\\PXTX509k.properties");
    Walk(&run, path, TRUE, TRUE);
    Step(&run);
    ProgramPath(&run, path, "vlwa\\server\\PXTRegistry\\pxtsnck1_crt");
    Walk(&run, path, TRUE, TRUE);
    Step(&run);
    WorkPath(&run, path, "vlWeb*");
    Walk(&run, path, TRUE, FALSE);

    char publicFolder[VL_PATH_SIZE];
    BOOL removeUserData = deleteData ||
        (WorkPath(&run, publicFolder, "vlwa\\scripts\\public") && FolderIsEmpty(publicFolder));
    if (removeUserData) {
        Budget(&run, USER_DATA_BUDGET);
        int start = ProgressPosition(&run);
        Phase(&run, 545);
        Step(&run);
        if (Working(&run)) Counted(&run, CleanWebAdminDirectory(run.WorkPath, &run.Status3, NULL));
        FillBudget(&run, start, USER_DATA_BUDGET);
    }
    ItemText(&run, "", FALSE);

    List(&run, "webadmin", 533);
    List(&run, "webscrip", 533, run.WorkPath);

    if (cleanup) {
        Budget(&run, 4);
        Phase(&run, 665);
        Step(&run);
        if (Working(&run))
            Counted(&run, DeleteRegistryTree(VL_PRODUCT_KEY "\\Configuration\\WebAdministration", NULL, TRUE));
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Web Administration Server");
        Step(&run);
        DeleteUninstFileQuietly(&run, "avliwadn.reg");
    }
    return ProcedureEnd(&run);
}
