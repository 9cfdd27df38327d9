// The components that are one file list and their registry values: the HTML
// and PDF libraries, the Internet Gateway and its documentation.
#include "engine/components.h"
#include "engine/procedure.h"

// Phase 665 and one step before each value deletion; an empty name is a
// step that deletes nothing.
static void FinalCleanup(ProcedureRun *run, const char *const *values, int count)
{
    Budget(run, count);
    Phase(run, 665);
    for (int i = 0; i < count; i++) {
        Step(run);
        DeleteComponentValue(run, values[i]);
    }
}

int RemoveLibraryHtmlComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                               const char *programFiles, const char *workPath, const char *programFolderName,
                               HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    List(&run, "libhtml", 529);
    if (cleanup) {
        Budget(&run, 3);
        Phase(&run, 665);
        Step(&run);
        DeleteVersionValue(&run, "PublicationsComponent");
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Documentation\\Library HTML");
    }
    return ProcedureEnd(&run);
}

int RemoveLibraryPdfComponent(BOOL counting, BOOL cleanup, const char *, const char *programFiles,
                              const char *workPath, const char *programFolderName, HWND *status1, HWND *status2,
                              HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    List(&run, "libpdf", 530);
    // This component has no registered name of its own.
    const char *values[] = {"", "Documentation\\Library PDF"};
    if (cleanup) FinalCleanup(&run, values, 2);
    return ProcedureEnd(&run);
}

int RemoveGatewayDocsComponent(BOOL counting, BOOL cleanup, const char *registeredName,
                               const char *programFiles, const char *workPath, const char *programFolderName,
                               HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    if (run.ProgramFolderName[0]) {
        Budget(&run, 1);
        Step(&run);
        ProgramFolderShortcut(&run, 196, FALSE, TRUE);
    }
    List(&run, "ijavadoc", 531);
    const char *values[] = {registeredName, "Documentation\\Internet Gateway"};
    if (cleanup) FinalCleanup(&run, values, 2);
    return ProcedureEnd(&run);
}

int RemoveGatewayComponent(BOOL counting, BOOL cleanup, const char *registeredName, const char *programFiles,
                           const char *workPath, const char *programFolderName, HWND *status1, HWND *status2,
                           HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    List(&run, "inetgway", 532);
    const char *values[] = {registeredName, "Internet Gateway"};
    if (cleanup) FinalCleanup(&run, values, 2);
    return ProcedureEnd(&run);
}
