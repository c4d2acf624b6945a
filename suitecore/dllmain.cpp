// SuiteCore's load-time start-up.
#include "suitecore/appmessages.h"
#include "suitecore/suitecore.h"

#include <framework/module.h>
#include <framework/syslib.h>

#include <initializer_list>

namespace
{
AFX_EXTENSION_MODULE g_suiteCoreModule;

// The shell, the browser control, GDI+ and the shell helpers, loaded from the system folder
// once for the process and kept for its life, so that the tools' windows find them mapped.
void LoadSystemLibraries()
{
    for (LPCWSTR name : {L"shell32.dll", L"shdocvw.dll", L"gdiplus.dll", L"shlwapi.dll"})
        AfxLoadSystemLibrary(name);
}
} // namespace

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
        LoadSystemLibraries();
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
