// SuiteCore's load-time start-up.
#include "suitecore/appmessages.h"
#include "suitecore/suitecore.h"

#include <framework/module.h>

namespace
{
AFX_EXTENSION_MODULE g_suiteCoreModule;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    switch (dwReason)
    {
    case DLL_PROCESS_ATTACH:
        // Tools find SuiteCore's dialogs, bitmaps and strings through the framework's
        // resource search once the library is registered as an extension module.
        if (!AfxInitExtensionModule(g_suiteCoreModule, hInstance))
            return FALSE;
        DisableThreadLibraryCalls(hInstance);
        suitecore::RegisterSuiteMessages();
        break;
    case DLL_PROCESS_DETACH:
        AfxTermExtensionModule(g_suiteCoreModule);
        break;
    default:
        break;
    }
    return TRUE;
}
