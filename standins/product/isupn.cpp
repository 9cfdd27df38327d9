// Stand-in for the product's uninstall support library AVLISUPN.DLL (not
// part of the product). Its entry isuVLStop takes fourteen arguments (32-bit
// words in a 32-bit build, pointer-sized in a 64-bit one), the first the name
// of a service, stops that service through the Service
// Control Manager and returns 0 (or the system error).
#include "record.h"
#include "servicecontrol.h"

static HMODULE sModule;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void *)
{
    if (reason == DLL_PROCESS_ATTACH) sModule = instance;
    return TRUE;
}

extern "C" DWORD WINAPI isuVLStop(DWORD_PTR service, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR,
                                  DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR,
                                  DWORD_PTR)
{
    const char *name = service ? (const char *)service : "";
    char buffer[MAX_PATH], call[300];
    snprintf(call, sizeof call, "isuVLStop %s", name);
    RecordCall(StandinName(sModule, buffer, sizeof buffer), call);
    return StopServiceAndWait(name, 15000);
}
