// The dialog procedure of each wizard page, by template id.
#pragma once
#include <windows.h>

// NULL when the page has no procedure: the run then ends as for a missing template.
DLGPROC PageProcedure(int templateId);
