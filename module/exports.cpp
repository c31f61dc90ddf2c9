// The module's exports: the host loads contorra.dlo and learns its classes here.
#include "host/sdk/plugin_api.h"
#include "module/class_descs.h"
#include "module/module_globals.h"
#include "module/resource.h"
#include "module/window_classes.h"

DLLEXPORT BOOL WINAPI DllMain(HINSTANCE hinstDLL, ULONG fdwReason, LPVOID) {
    if (fdwReason == DLL_PROCESS_ATTACH) {
        hInstance = hinstDLL;
        DisableThreadLibraryCalls(hInstance);
        RegisterWindowClasses(PluginWindowClasses());
    }
    return TRUE;
}

DLLEXPORT const MCHAR* LibDescription() {
    return GetString(IDS_LIBDESCRIPTION);
}

DLLEXPORT int LibNumberClasses() {
    return PluginClassCount();
}

DLLEXPORT ClassDesc* LibClassDesc(int i) {
    return PluginClassDesc(i);
}

// Release 12000, interface 33, revision 0.
DLLEXPORT ULONG LibVersion() {
    return 0x2EE02100;
}
