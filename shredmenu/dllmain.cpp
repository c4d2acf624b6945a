// ShredMenu.dll: the in-process server of the context-menu handler, its registration and its
// four exported entry points.
#include "resource.h"
#include "shredmenu_ext.h"

#include <framework/module.h>
#include <framework/regkey.h>

namespace
{
const wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
const wchar_t kClassId[] = L"{D23C3BA7-6DC3-4DDF-9BDF-12599E852A40}";
const wchar_t kApprovedName[] = L"ShredToolShellExt extension";

// Registration runs under the system's default locale; the caller's comes back after.
class ThreadLocaleScope
{
public:
    explicit ThreadLocaleScope(LCID lcid) : m_previous(GetThreadLocale()) { SetThreadLocale(lcid); }
    ~ThreadLocaleScope() { SetThreadLocale(m_previous); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID m_previous;
};

bool IsNtFamily()
{
    return (GetVersion() & 0x80000000u) == 0;
}
} // namespace

// The DLL's application object: it names the module after the project (string 100), the
// title of the DLL's message boxes.
class CShredMenuApp
{
public:
    BOOL InitInstance()
    {
        AFX_MODULE_STATE* pState = AfxGetStaticModuleState();
        m_strAppName.LoadString(pState->m_hCurrentResourceHandle, IDS_PROJNAME);
        pState->m_lpszCurrentAppName = m_strAppName;
        return TRUE;
    }
    int ExitInstance()
    {
        AfxGetStaticModuleState()->m_lpszCurrentAppName = nullptr;
        return 0;
    }

private:
    CString m_strAppName;
};

class CShredMenuModule : public CAtlDllModuleT<CShredMenuModule>
{
public:
    DECLARE_LIBID(LIBID_ShredMenuLib)
    DECLARE_REGISTRY_APPID_RESOURCEID(IDR_SHREDMENU, L"{C42CB13B-CA97-468D-9F93-AD1220004E62}")
};

CShredMenuApp theApp;
CShredMenuModule _AtlModule;

OBJECT_ENTRY_AUTO(CLSID_ShredMenuExt, CShredMenuExt)

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        return AfxCallbackBarrier([] { return theApp.InitInstance(); }, FALSE);
    if (dwReason == DLL_PROCESS_DETACH)
        theApp.ExitInstance();
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _AtlModule.DllCanUnloadNow();
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv)
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return _AtlModule.DllGetClassObject(rclsid, riid, ppv);
}

// Explorer only loads approved handlers: without the right to approve this one, nothing is
// registered at all.
STDAPI DllRegisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxCallbackBarrier(
        []
        {
            if (IsNtFamily())
            {
                CRegKey approved;
                if (approved.Open(HKEY_LOCAL_MACHINE, kApprovedKey, KEY_SET_VALUE) != ERROR_SUCCESS)
                    return E_ACCESSDENIED;
                if (approved.SetStringValue(kClassId, kApprovedName) != ERROR_SUCCESS)
                    return E_ACCESSDENIED;
            }
            ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
            return _AtlModule.DllRegisterServer(TRUE);
        },
        E_UNEXPECTED);
}

STDAPI DllUnregisterServer()
{
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return AfxCallbackBarrier(
        []
        {
            if (IsNtFamily())
            {
                CRegKey approved;
                if (approved.Open(HKEY_LOCAL_MACHINE, kApprovedKey, KEY_SET_VALUE) == ERROR_SUCCESS)
                    approved.DeleteValue(kClassId);
            }
            ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
            return _AtlModule.DllUnregisterServer(TRUE);
        },
        E_UNEXPECTED);
}
