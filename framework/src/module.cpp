#include "framework/module.h"

#include <algorithm>
#include <vector>

namespace
{
// The extension modules, in the order they registered. DllMain calls arrive under the
// loader lock; the critical section guards against threads that search concurrently.
class ExtensionModules
{
public:
    ExtensionModules() { InitializeCriticalSectionAndSpinCount(&m_lock, 1000); }
    ~ExtensionModules() { DeleteCriticalSection(&m_lock); }

    void Add(HMODULE module)
    {
        Locked(
            [&]
            {
                if (std::find(m_modules.begin(), m_modules.end(), module) == m_modules.end())
                    m_modules.push_back(module);
            });
    }

    void Remove(HMODULE module)
    {
        Locked([&] { m_modules.erase(std::remove(m_modules.begin(), m_modules.end(), module), m_modules.end()); });
    }

    bool Contains(HMODULE module)
    {
        bool found = false;
        Locked([&] { found = std::find(m_modules.begin(), m_modules.end(), module) != m_modules.end(); });
        return found;
    }

    HMODULE Find(LPCWSTR name, LPCWSTR type)
    {
        HMODULE found = nullptr;
        Locked(
            [&]
            {
                for (HMODULE m : m_modules)
                {
                    if (FindResourceW(m, name, type))
                    {
                        found = m;
                        break;
                    }
                }
            });
        return found;
    }

private:
    template <class Fn>
    void Locked(Fn fn)
    {
        EnterCriticalSection(&m_lock);
        try
        {
            fn();
        }
        catch (...)
        {
            LeaveCriticalSection(&m_lock);
            throw;
        }
        LeaveCriticalSection(&m_lock);
    }

    CRITICAL_SECTION m_lock;
    std::vector<HMODULE> m_modules;
};

ExtensionModules& Extensions()
{
    static ExtensionModules modules;
    return modules;
}

AFX_MODULE_STATE& AppState()
{
    static AFX_MODULE_STATE state = []
    {
        AFX_MODULE_STATE s;
        s.m_hCurrentInstanceHandle = GetModuleHandleW(nullptr);
        s.m_hCurrentResourceHandle = s.m_hCurrentInstanceHandle;
        return s;
    }();
    return state;
}

thread_local AFX_MODULE_STATE* t_currentState;

// Built at load, so that the first searches from several threads need no lock.
[[maybe_unused]] const bool g_initialised = (Extensions(), AppState(), true);
} // namespace

AFX_MODULE_STATE* AfxGetAppModuleState()
{
    return &AppState();
}

AFX_MODULE_STATE* AfxGetModuleState()
{
    return t_currentState ? t_currentState : &AppState();
}

HINSTANCE AfxGetInstanceHandle()
{
    return AfxGetModuleState()->m_hCurrentInstanceHandle;
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

void AfxSetResourceHandle(HINSTANCE hInstResource)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = hInstResource;
}

LPCWSTR AfxGetAppName()
{
    LPCWSTR name = AfxGetModuleState()->m_lpszCurrentAppName;
    if (!name)
        name = AppState().m_lpszCurrentAppName;
    return name ? name : L"";
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pNewState) : m_pPrevState(t_currentState)
{
    t_currentState = pNewState;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2()
{
    t_currentState = m_pPrevState;
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE hModule)
{
    if (state.bInitialized)
        return TRUE;
    if (!hModule)
        return FALSE;
    state.hModule = hModule;
    state.hResource = hModule;
    Extensions().Add(hModule);
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL)
{
    if (!state.bInitialized)
        return;
    Extensions().Remove(state.hModule);
    state.bInitialized = FALSE;
}

BOOL AfxIsExtensionModule(HMODULE hModule)
{
    return Extensions().Contains(hModule);
}

HINSTANCE AfxFindResourceHandle(LPCWSTR lpszName, LPCWSTR lpszType)
{
    HINSTANCE current = AfxGetResourceHandle();
    if (current && FindResourceW(current, lpszName, lpszType))
        return current;
    return Extensions().Find(lpszName, lpszType);
}

HINSTANCE AfxFindStringResourceHandle(UINT nID)
{
    return AfxFindResourceHandle(MAKEINTRESOURCEW((nID >> 4) + 1), MAKEINTRESOURCEW(6) /*RT_STRING*/);
}

CString AfxGetModuleFileName(HMODULE hModule)
{
    CString path;
    for (DWORD size = MAX_PATH; size <= 0x8000; size *= 2)
    {
        const DWORD n = GetModuleFileNameW(hModule, path.GetBuffer(static_cast<int>(size)), size);
        if (n == 0)
        {
            path.ReleaseBuffer(0);
            return path;
        }
        if (n < size) // otherwise the name was cut to the buffer
        {
            path.ReleaseBuffer(static_cast<int>(n));
            return path;
        }
        path.ReleaseBuffer(0);
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return path;
}
