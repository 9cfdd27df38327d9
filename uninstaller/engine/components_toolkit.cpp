// The development toolkit: its file list and its entries in the Path, lib,
// include and classpath variables.
#include "engine/components.h"
#include "removal/environment.h"
#include "engine/procedure.h"
#include "core/text.h"

int RemoveToolkitComponent(BOOL counting, BOOL cleanup, const char *registeredName, const char *programFiles,
                           const char *workPath, const char *programFolderName, HWND *status1, HWND *status2,
                           HWND *progress, HWND *status3)
{
    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    List(&run, "toolkit", 528);

    static const char *const kEntries[][2] = {
        {"Path", "tools\\c\\samples\\bin"},
        {"Path", "tools\\cplus\\samples\\in\\bin"},
        {"Path", "tools\\cplus\\samples\\vn\\bin"},
        {"lib", "tools\\lib"},
        {"include", "tools\\c\\include"},
        {"include", "tools\\cplus\\include"},
        {"include", "tools\\pli\\include"},
        {"include", "tools\\VB\\include"},
    };
    Budget(&run, 9);
    for (const auto &entry : kEntries) {
        Step(&run);
        DropEntry(&run, entry[0], entry[1]);
    }
    Step(&run);
    if (Working(&run)) {
        char samples[VL_PATH_SIZE];
        if (FormatText(samples, sizeof samples, "tools\\javaclnt\\samples\\%s", CurrentLanguageFolder()))
            DropEntry(&run, "classpath", samples);
        else
            Counted(&run, 0);
        RemoveOtherLanguageClasspath(run.ProgramFiles);
    }

    if (cleanup) {
        Budget(&run, 3);
        Phase(&run, 665);
        Step(&run);
        DeleteVersionValue(&run, "ToolkitComponent");
        Step(&run);
        DeleteComponentValue(&run, registeredName);
        Step(&run);
        DeleteComponentValue(&run, "Development Toolkit");
    }
    return ProcedureEnd(&run);
}
