#include "wizard/pagetable.h"

// Each page's procedure is listed here as its page is built.
DLGPROC PageProcedure(int templateId)
{
    switch (templateId) {
    default: return NULL;
    }
}
