// Module state: which module's resources the framework loads from, the application's
// instance and title, and the extension modules (DLLs such as SuiteCore) whose resources
// are searched after the current resource module.
#pragma once

#include "framework.h"
#include "string.h"

struct FRAMEWORK_API AFX_MODULE_STATE
{
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
    LPCWSTR m_lpszCurrentAppName = nullptr;
};

// The state of the thread's current module; the process's own module unless a DLL entry
// point switched to its state with AFX_MANAGE_STATE.
FRAMEWORK_API AFX_MODULE_STATE* AfxGetModuleState();
// The state of the process's main module.
FRAMEWORK_API AFX_MODULE_STATE* AfxGetAppModuleState();

// The state of the module this code is compiled into (each DLL or program has its own copy):
// its instance and its resources. A DLL called from outside switches to it at every entry
// point that loads resources or shows windows: AFX_MANAGE_STATE(AfxGetStaticModuleState()).
extern "C" IMAGE_DOS_HEADER __ImageBase;
inline AFX_MODULE_STATE* AfxGetStaticModuleState()
{
    static AFX_MODULE_STATE state = {reinterpret_cast<HINSTANCE>(&__ImageBase),
                                     reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr};
    return &state;
}

FRAMEWORK_API HINSTANCE AfxGetInstanceHandle();
FRAMEWORK_API HINSTANCE AfxGetResourceHandle();
FRAMEWORK_API void AfxSetResourceHandle(HINSTANCE hInstResource);
FRAMEWORK_API LPCWSTR AfxGetAppName();

// Switches the thread to another module's state for the lifetime of the object, so that a
// DLL called from outside (by Explorer, say) finds its own resources.
class FRAMEWORK_API AFX_MAINTAIN_STATE2
{
public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2&) = delete;
    AFX_MAINTAIN_STATE2& operator=(const AFX_MAINTAIN_STATE2&) = delete;

private:
    AFX_MODULE_STATE* m_pPrevState;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p)

struct FRAMEWORK_API AFX_EXTENSION_MODULE
{
    BOOL bInitialized = FALSE;
    HMODULE hModule = nullptr;
    HMODULE hResource = nullptr;
};

// Called from an extension DLL's DllMain at process attach: adds the DLL to the modules
// whose resources the framework searches. AfxTermExtensionModule removes it at detach.
FRAMEWORK_API BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule);
FRAMEWORK_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL bAll = FALSE);
FRAMEWORK_API BOOL AfxIsExtensionModule(HMODULE hModule);

// The first module, current resource module first and then the extension modules in the
// order they registered, that holds the resource; null when none does.
FRAMEWORK_API HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType);
FRAMEWORK_API HINSTANCE AfxFindStringResourceHandle(UINT nID);

// The full path of a module, however long; empty (with the last error set) on failure.
FRAMEWORK_API CString AfxGetModuleFileName(HMODULE hModule);
