#include "core/nls.h"
#include "core/log.h"
#include "core/messagebox.h"
#include "core/runstate.h"
#include "core/text.h"
#include <stdio.h>

enum { NLS_LANGUAGE_LETTER = 606 };

static HMODULE sModule;
static char sLanguageLetter;

int NlsLoadLibrary(const char *path)
{
    if (sModule) return 1;
    if (!path || !path[0]) return 0;
    sModule = LoadLibraryA(path);
    if (!sModule) return 0;
    char letter[VL_TEXT_SIZE];
    sLanguageLetter = LoadNlsString(letter, NLS_LANGUAGE_LETTER) ? letter[0] : 0;
    return 1;
}

void NlsFreeLibrary()
{
    if (sModule) FreeLibrary(sModule);
    sModule = NULL;
    sLanguageLetter = 0;
}

HMODULE NlsLibrary() { return sModule; }
char NlsLanguageLetter() { return sLanguageLetter; }

int LoadNlsString(char *out, UINT id)
{
    if (!sModule) {
        SharedLogBlock *block = LogBlock();
        const char *path = block ? block->NlsLibraryPath : "";
        FormatText(out, VL_TEXT_SIZE, "isuLoadNlsString LoadLibrary failed '%s' (ID '%lu'). (ZID4700)", path,
                   (unsigned long)id);
        ShowMessage(NULL, out, MB_ICONSTOP);
        return 0;
    }
    if (LoadStringA(sModule, id, out, VL_TEXT_SIZE - 1) > 0) return 1;
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
