// The ten additional languages: a program-folder shortcut and three lists
// (compiled help, PDF and HTML books) each.
#include "engine/components.h"
#include "engine/procedure.h"
#include <string.h>

struct LanguageRow {
    const char *Key;
    UINT ShortcutId;   // own string table
    UINT PhaseId;
    const char *Lists[3];
};

static const LanguageRow kLanguages[] = {
    {"Additional Languages\\en_us", 315, 534, {"chmen_us", "pdfen_us", "htmen_us"}},
    {"Additional Languages\\fr_fr", 345, 535, {"chmfr_fr", "pdffr_fr", "htmfr_fr"}},
    {"Additional Languages\\de_de", 375, 536, {"chmde_de", "pdfde_de", "htmde_de"}},
    {"Additional Languages\\es_es", 405, 537, {"chmes_es", "pdfes_es", "htmes_es"}},
    {"Additional Languages\\it_it", 435, 538, {"chmit_it", "pdfit_it", "htmit_it"}},
    {"Additional Languages\\ja_jp", 465, 539, {"chmja_jp", "pdfja_jp", "htmja_jp"}},
    {"Additional Languages\\ko_kr", 495, 540, {"chmko_kr", "pdfko_kr", "htmko_kr"}},
    {"Additional Languages\\pt_br", 525, 541, {"chmpt_br", "pdfpt_br", "htmpt_br"}},
    {"Additional Languages\\zh_tw", 555, 542, {"chmzh_tw", "pdfzh_tw", "htmzh_tw"}},
    {"Additional Languages\\zh_cn", 585, 543, {"chmzh_cn", "pdfzh_cn", "htmzh_cn"}},
};

int RemoveLanguageComponent(BOOL counting, const char *componentKey, BOOL cleanup, const char *,
                            const char *programFiles, const char *workPath, const char *programFolderName,
                            HWND *status1, HWND *status2, HWND *progress, HWND *status3)
{
    const LanguageRow *row = NULL;
    for (const LanguageRow &candidate : kLanguages)
        if (componentKey && strcmp(componentKey, candidate.Key) == 0) row = &candidate;
    if (!row) return counting ? 0 : 0;

    ProcedureRun run;
    ProcedureBegin(&run, counting, programFiles, workPath, programFolderName, status1, status2, progress, status3);
    if (run.ProgramFolderName[0]) {
        Budget(&run, 1);
        Step(&run);
        ProgramFolderShortcut(&run, row->ShortcutId, TRUE, TRUE);
    }
    for (const char *list : row->Lists) List(&run, list, row->PhaseId);
    if (cleanup) {
        Budget(&run, 2);
        Phase(&run, 665);
        Step(&run);
        Step(&run);
        DeleteComponentValue(&run, row->Key);
    }
    return ProcedureEnd(&run);
}
