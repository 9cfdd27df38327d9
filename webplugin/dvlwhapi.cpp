// DVLWHAPI: the entry point the web server calls once for every request
// routed to the plug-in, and the library's load hook.
#include <windows.h>
#include "dvlkern.h"
#include "whapi_interface.h"

// The web server only looks at the status it gets back; whatever the
// gateway made of the request, the plug-in has answered it.
#define REQUEST_HANDLED 200

extern "C" __declspec(dllexport) void WINAPI DVLWHAPI(void* handle, long* rc)
{
    dvl_InitCommonServices("DVL");
    dvlxtr_entry("DVLWHAPI (main)");
    {
        WHAPIInterface web(handle);
        VL_Gateway gateway(web);
        gateway.Post();
        dvlxtr_exit("DVLWHAPI (main)", 0);
        if (rc)
            *rc = REQUEST_HANDLED;
        // The gateway is destroyed here, then the interface.
    }
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // Requests come in on many threads; the plug-in keeps no per-thread state.
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
