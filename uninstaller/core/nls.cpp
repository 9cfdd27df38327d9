#include "core/nls.h"
#include "core/log.h"
#include "core/runstate.h"
#include "core/text.h"
#include "wizard/message.h"
#include <stdio.h>

int LoadNlsString(char *out, UINT id)
{
    // Guards against the message box asking for its own caption and language
    // while the library that holds them is the thing that failed to load.
    static int reportingLoadFailure;
    HMODULE module = LogNlsStringModule();
    SharedLogBlock *block = LogBlock();
    if (!module) {
        const char *path = block ? block->NlsLibraryPath : "";
        if (path[0]) module = LoadLibraryA(path);
        if (!module) {
            FormatText(out, VL_TEXT_SIZE, "isuLoadNlsString LoadLibrary failed '%s' (ID '%lu'). (ZID4700)",
                       path, (unsigned long)id);
            if (!reportingLoadFailure) {
                reportingLoadFailure = 1;
                char text[VL_TEXT_SIZE];
                CopyText(text, sizeof text, out);
                ShowMessage(NULL, text, MB_ICONSTOP);
                reportingLoadFailure = 0;
            }
            return 0;
        }
        LogSetNlsStringModule(module);
    }
    if (LoadStringA(module, id, out, VL_TEXT_SIZE - 1) > 0) return 1;
    FormatText(out, VL_TEXT_SIZE, "NLS LoadString failed (ID '%lu'). (ZID4701)", (unsigned long)id);
    LogLine(out);
    return 0;
}

int LoadOwnString(char *out, UINT id)
{
    if (LoadStringA(GetModuleHandleA(NULL), id, out, VL_TEXT_SIZE - 1) > 0) return 1;
    FormatText(out, VL_TEXT_SIZE, "LoadString failed (ID '%lu'). (ZID4702)", (unsigned long)id);
    LogLine(out);
    return 0;
}

const DLGTEMPLATE *FindNlsDialog(HMODULE module, int id)
{
    if (!module) return NULL;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    if (!resource) return NULL;
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) return NULL;
    return (const DLGTEMPLATE *)LockResource(loaded);
}
